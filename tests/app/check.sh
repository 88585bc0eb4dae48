# Shared by the shell tests: `check WHAT GOT WANT` compares two texts, and
# `finish` ends the test with the count of failures.
failures=0
check()
{
    if [ "$2" == "$3" ]; then
        echo "PASS: $1"
    else
        echo "FAIL: $1"
        echo "   got: $2"
        echo "  want: $3"
        failures=$((failures + 1))
    fi
}
finish()
{
    echo "$failures failed"
    [ "$failures" -eq 0 ]
}
