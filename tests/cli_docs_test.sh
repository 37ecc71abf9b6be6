#!/usr/bin/env bash
# The man page and the bash completion say what "--help" says: every long option
# and every type in the help is in both, and neither names one the help does not.
# The completion is run as bash runs it on Tab, not searched as text.
#   cli_docs_test.sh PROGRAM MANPAGE COMPLETION
set -euo pipefail
program=$1 manpage=$2 completion=$3
failed=0
fail() { echo "FAIL: $*"; failed=1; }

help=$("$program" --help)
# An option is the first thing on its line of the option list.
help_options=$(sed -nE 's/^ +(-[a-zA-Z], )?(--[a-z][a-z-]*).*/\2/p' <<<"$help" | sort -u)
# The types: every entry of --list-types, the window's eight first, which --help names.
help_types=$("$program" --list-types | sed -nE 's/^  ([a-z0-9][a-z0-9-]*) .*/\1/p' | sort -u)
window_types=$(tr -s ' \n' ' ' <<<"$help" | sed -nE "s/.*Symbology: ([a-z0-9, ]+), the window's own.*/\\1/p" |
    tr -d ',' | tr ' ' '\n' | sed '/^$/d' | sort -u)
[ "$(wc -l <<<"$help_options")" -ge 10 ] || fail "too few options read from --help: $help_options"
[ "$(wc -l <<<"$window_types")" -eq 8 ] || fail "--help does not name the window's eight types: $window_types"
[ -z "$(comm -23 <(echo "$window_types") <(echo "$help_types"))" ] || fail "--list-types lacks a type --help names"

compare() { # what, expected, actual
    local missing extra
    missing=$(comm -23 <(echo "$2") <(echo "$3"))
    extra=$(comm -13 <(echo "$2") <(echo "$3"))
    [ -z "$missing" ] || fail "$1 lacks" $missing
    [ -z "$extra" ] || fail "$1 names what --help does not:" $extra
}

# The man page: options as roff writes them (\-\-name), types as the list's bold terms.
man_options=$(grep -oE '\\-\\-[a-z][a-z\\-]*' "$manpage" | sed 's/\\//g' | sort -u)
compare "the man page's options" "$help_options" "$man_options"
man_types=$( (sed -n '/^\.BI \\-t ", " \\-\\-type/,/^\.RE/p' "$manpage"
    sed -n '/^\.SH SYMBOLOGIES/,/^\.SH /p' "$manpage") | sed -nE 's/^\.B ([a-z0-9][a-z0-9\\-]*)$/\1/p' | sed 's/\\//g' |
    sort -u)
compare "the man page's types" "$help_types" "$man_types"
# The extensions --output takes, as the help lists them and as the man page's entry does.
help_extensions=$(tr -s ' \n' ' ' <<<"$help" | sed -nE 's/.*The file to write; ([a-z, ]+) by its extension.*/\1/p' |
    sed 's/ or /, /' | tr -d ' ' | tr ',' '\n' | sed '/^$/d' | sort -u)
[ "$(wc -l <<<"$help_extensions")" -ge 5 ] || fail "too few extensions read from --help: $help_extensions"
man_extensions=$(sed -n '/^\.BI \\-o ", " \\-\\-output/,/^\.TP/p' "$manpage" |
    sed -nE 's/^\.BR? ([a-z]+)( [,;.])?$/\1/p' | sort -u)
compare "the man page's --output extensions" "$help_extensions" "$man_extensions"
if command -v groff >/dev/null; then
    warnings=$(groff -man -ww -z "$manpage" 2>&1) || fail "groff: $warnings"
    [ -z "$warnings" ] || fail "groff: $warnings"
fi

# The completion, as bash calls it on Tab after the words given.
complete_after() {
    bash --norc --noprofile -c '
        source "$1"; shift
        COMP_WORDS=(barcode-generator "$@"); COMP_CWORD=$#
        _barcode_generator
        printf "%s\n" "${COMPREPLY[@]}"' bash "$completion" "$@" | sed '/^$/d' | sort -u
}
compare "the completion of --" "$help_options" "$(complete_after --)"
compare "the completion of -t" "$help_types" "$(complete_after -t '')"
compare "the completion of --type" "$help_types" "$(complete_after --data X --type '')"
[ "$(complete_after --type codaba)" = codabar ] || fail "--type codaba completes as: $(complete_after --type codaba)"
[ "$(complete_after --no-l)" = --no-label ] || fail "--no-l completes as: $(complete_after --no-l)"
# --output offers files of the formats the help names, and folders, in a folder of every kind.
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
mkdir "$files/folder"
touch "$files/notes.txt" "$files/picture.gif"
for extension in $help_extensions; do touch "$files/x.$extension"; done
completion=$(realpath "$completion")
offered=$(cd "$files" && complete_after -o '')
compare "the completion of -o" "$( (echo -; echo folder; sed 's/^/x./' <<<"$help_extensions") | sort -u)" "$offered"
bash --norc --noprofile -c 'source "$1"; complete -p barcode-generator' bash "$completion" >/dev/null ||
    fail "the completion does not register itself for barcode-generator"

if [ "$failed" -ne 0 ]; then
    exit 1
fi
echo "man page and completion agree with --help and --list-types: $(wc -l <<<"$help_options") options, $(wc -l <<<"$help_types") types"
