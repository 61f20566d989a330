#!/usr/bin/env bash
# The bash completion of quillbox-cli offers exactly the commands and options its --help names,
# and the right kind of file after each option.
#
#   completion_test.sh COMPLETION_SCRIPT QUILLBOX_CLI
set -euo pipefail
completion=$1 cli=$2
. "$(dirname "$0")/test_helpers.sh"

# shellcheck source=/dev/null
. "$completion"

# Completes the last word of a command line, one candidate per line, sorted.
complete_line() {
    read -r -a COMP_WORDS <<<"$1"
    [[ $1 != *' ' ]] || COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _quillbox_cli
    [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}" | sort
}

help=$("$cli" --help)
# The tags of the option list: "  -o, --output PATH        text" gives -o and --output.
help_options=$(sed -n '/^Options of open:/,/^$/p' <<<"$help" | grep -E '^ +-' | sed -E 's/^ +//; s/  .*//' |
    grep -oE -- '--?[a-z][a-z-]*' | sort -u)
offered=$(complete_line 'quillbox-cli open -')
[ "$offered" = "$help_options" ] ||
    fail "open's options differ from --help: $(diff <(echo "$help_options") <(echo "$offered") | grep '^[<>]' | tr '\n' ' ')"

[ "$(complete_line 'quillbox-cli ' | tr '\n' ' ')" = '--help --version inspect open ' ] ||
    fail "commands: $(complete_line 'quillbox-cli ' | tr '\n' ' ')"
for command in open inspect --help --version; do
    grep -qF -- "$command" <<<"$(sed -n '/^Usage:/,/^$/p' <<<"$help")" || fail "--help has no $command"
done

mkdir -p "$scratch/files/sub"
touch "$scratch/files/a.qsig" "$scratch/files/b.txt" "$scratch/files/c.crl"
# Names that are also patterns, beside the names they would match.
mkdir -p "$scratch/files/sub/d*" "$scratch/files/sub/dx"
touch "$scratch/files/sub/a[1].qsig" "$scratch/files/sub/a1.qsig"
cd "$scratch/files"
# command line | candidates
cases=(
    "quillbox-cli open |a.qsig sub"
    "quillbox-cli inspect |a.qsig sub"
    "quillbox-cli open --crl |c.crl sub"
    "quillbox-cli open -o |a.qsig b.txt c.crl sub"
    "quillbox-cli open --passphrase-file |a.qsig b.txt c.crl sub"
    "quillbox-cli open --store |sub"
    "quillbox-cli open --app-dir |sub"
    "quillbox-cli open a.qsig --j|--json"
    "quillbox-cli open -- --j|"
    "quillbox-cli open -- -o |a.qsig sub"
    "quillbox-cli open sub/a[|sub/a[1].qsig"
    "quillbox-cli open --app-dir sub/d|sub/d* sub/dx"
)
for entry in "${cases[@]}"; do
    line=${entry%|*}
    want=${entry#*|}
    got=$(complete_line "$line" | tr '\n' ' ')
    [ "$got" = "${want:+$want }" ] || fail "'$line': offered '$got', expected '$want'"
done

finish
