#!/usr/bin/env bash
# Writes the symbologies that "barcode-generator --list-types" lists into the man
# page's SYMBOLOGIES section and the bash completion's list of types, after the
# libzint they come from changed. tests/cli_docs_test.sh says when they differ.
#   scripts/update-type-docs.sh PROGRAM
set -euo pipefail
program=$1
root=$(cd "$(dirname "$0")/.." && pwd)
manpage=$root/docs/man/barcode-generator.1
completion=$root/scripts/bash-completion/barcode-generator

list=$("$program" --list-types)
# The entries after the window's own: "  name   Title: description".
entries=$(sed -n '/^$/,$p' <<<"$list" | sed -nE 's/^  ([a-z0-9][a-z0-9-]*) +(.*)$/\1\t\2/p')
roff=$(while IFS=$'\t' read -r name text; do
    printf '.TP\n.B %s\n%s\n' "${name//-/\\-}" "$(sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^'/\\\\\\&'/" -e 's/^\./\\\&./' <<<"$text")"
done <<<"$entries")
awk -v block="$roff" '
    /^\.\\" TYPES BEGIN/ { print; print block; skip = 1; next }
    /^\.\\" TYPES END/ { skip = 0 }
    !skip { print }' "$manpage" >"$manpage.new"
mv "$manpage.new" "$manpage"

all=$(sed -nE 's/^  ([a-z0-9][a-z0-9-]*) .*/\1/p' <<<"$list" | tr '\n' ' ' | sed 's/ $//')
sed -i -E "s/^(    local types=\").*(\")$/\1$all\2/" "$completion"
echo "$(wc -l <<<"$entries") library types written"
