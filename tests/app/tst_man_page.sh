#!/usr/bin/env bash
# The man page holds every command and every option that the program's help
# texts print, with the sections --help does not carry.
#   tst_man_page.sh PROGRAM PAGE
set -uo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
program=$1
page=$2
. "$here/check.sh"
# The completion reads the commands and options as the page's maker does.
. "$here/../../resources/bash-completion/tablewright"

# The page's text with roff's escapes and fonts taken out.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\[,/&]//g' "$page")
has()
{
    grep -qF -e "$1" <<< "$text" && echo yes || echo no
}

commands=$(_tablewright_commands "$program")
check "the help lists commands" "$([ -n "$commands" ] && echo yes)" yes
for command in "" $commands; do
    [ -n "$command" ] && check "a section for $command" "$(has ".SH \"TABLEWRIGHT ${command^^}\"")" yes
    options=$(_tablewright_options "$program" "$command" | cut -d ' ' -f 1)
    [ -n "$options" ] || check "${command:-tablewright} --help lists options" none some
    for option in $options; do
        check "${command:-tablewright} $option in the page" "$(has "$option")" yes
    done
done
for needed in TABLEWRIGHT_ORACLE_PASSWORD TABLEWRIGHT_MYSQL_PASSWORD Vantorell.ini \
    '.SH "EXIT STATUS"' '130' '.SH EXAMPLES' 'tablewright copy --to oracle orders customers'; do
    check "the page has $needed" "$(has "$needed")" yes
done
check "one page head" "$(grep -c '^\.TH TABLEWRIGHT "1" ' "$page")" 1
finish
