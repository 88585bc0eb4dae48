#!/usr/bin/env bash
# The bash completion, driven as bash drives it: COMP_WORDS and COMP_CWORD
# set, the function called, COMPREPLY read.
#   tst_completion.sh PROGRAM     (with TABLEWRIGHT_TESTBED_DIR: the test bed)
set -uo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
program=$1
. "$here/check.sh"
. /usr/share/bash-completion/bash_completion
. "$here/../../resources/bash-completion/tablewright"
. "$TABLEWRIGHT_TESTBED_DIR/env"

# complete WORD... : the completions of the last word, sorted, on one line.
complete_words()
{
    COMP_WORDS=("$program" "$@")
    COMP_CWORD=$#
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _tablewright
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}

export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
unset TABLEWRIGHT_MYSQL_PASSWORD TABLEWRIGHT_ORACLE_PASSWORD

while IFS='|' read -r what line want; do
    # shellcheck disable=SC2086
    check "$what" "$(eval complete_words $line)" "$want"
done <<'CASES'
commands|''|compare copy ddl list
a command by its start|co|compare copy
the program's options|--|--help --version
copy's options by their start|copy --ov|--overwrite
an option every command has|list --no-p|--no-prompt
--to values|copy --to ''|mysql oracle
--to= values|copy --to=m|mysql
--types values|copy --to oracle --types ''|exact plain
--overwrite values|copy --overwrite ''|ask no yes
--schema values|ddl --schema ''|basic full
--empty-text values|copy --empty-text ''|null refuse
an option's free value|copy --batch ''|
list's sides|list ''|mysql oracle
list's sides after an option's value|list --mysql-user root o|oracle
one side only|list mysql ''|
no tables before --to|copy ''|
CASES

# Without saved logins nothing is listed, and the listing asks nothing.
started=$SECONDS
check "no tables without saved logins" "$(complete_words copy --to oracle '')" ""
check "... at once" "$(((SECONDS - started) < 5))" 1
# On a terminal too, --no-prompt fails at once instead of asking.
out=$(timeout 20 script -qec "$program list mysql --no-prompt; echo exit \$?" /dev/null | tr -d '\r')
check "--no-prompt on a terminal" "$out" \
    "tablewright list: no MySQL password saved and TABLEWRIGHT_MYSQL_PASSWORD not set (--no-prompt)
exit 2"

# With saved logins, copy's tables are the source's: the other side of --to.
database=tw_completion
mariadb --no-defaults --socket="$TW_MYSQL_SOCKET" -uroot -e "DROP DATABASE IF EXISTS $database;
    CREATE DATABASE $database; CREATE TABLE $database.orders(a INT);
    CREATE TABLE $database.order_lines(a INT); CREATE TABLE $database.customers(a INT);"
cat > "$XDG_CONFIG_HOME/Vantorell.ini" <<INI
[Palomir%20Tablewright%20Studio%20for%20Two%20Databases]
OracleServer=$TW_ORACLE_SID
OracleUser=$TW_ORACLE_USER
OraclePassword=$TW_ORACLE_PASSWORD
MySQLServer=$TW_MYSQL_HOST
MySQLUser=root
MySQLPassword=
MySQLDatabase=$database
MySQLPort=$TW_MYSQL_PORT
INI
check "the source's tables" "$(complete_words copy --to oracle '')" "customers order_lines orders"
check "tables by their start" "$(complete_words copy --to=oracle ord)" "order_lines orders"
check "a table named already" "$(complete_words copy orders --to oracle ord)" "order_lines"
check "ddl's tables" "$(complete_words ddl --to oracle ord)" "order_lines orders"
check "compare's tables are copy's" "$(complete_words compare --to oracle ord)" "order_lines orders"
check "login options on the line count" \
    "$(complete_words copy --to oracle --mysql-database nosuch '')" ""
mariadb --no-defaults --socket="$TW_MYSQL_SOCKET" -uroot -e "DROP DATABASE $database"
finish
