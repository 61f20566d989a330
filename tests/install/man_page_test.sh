#!/usr/bin/env bash
# The man page generator: every line of a program's help survives into the rendered page (none is
# swallowed as a roff request or mangled by an escape), headings become sections, and the page
# built for quillbox-cli is the one its current --help gives.
#
#   man_page_test.sh MAN_FROM_HELP QUILLBOX_CLI BUILT_PAGE DATE
set -euo pipefail
generator=$1 cli=$2 built_page=$3 date=$4
. "$(dirname "$0")/test_helpers.sh"
need groff

# A help text with the awkward cases: lines opening with "." and "'", backslashes, a paragraph
# ending in ":" that is not a heading, items with continuation lines, command lines.
fake=$scratch/fake
cat >"$fake" <<'SCRIPT'
#!/bin/sh
case $1 in
--version) echo "fake 2.5" ;;
--help) cat <<'HELP' ;;
fake - a program with awkward help

Usage:
  fake run [options] FILE...
  fake --help | --version

fake reads FILE and writes C:\Temp\out and \\server\share
.qsig files are read as they are, and so is a line starting with a dot
'quoted' lines open with an apostrophe.

Options:
  -n, --name NAME   the name, with a "quoted" word
                    and a second line of text
  --dry-run         nothing is written

Kinds of message, one per line, "fake: <kind>: <text>", where
<kind> is one of:
  error    an error
  note     a note

Exit status:
  0    done
  130  cancelled

Examples:
  fake run --name "x" a.qsig b.qsig
HELP
esac
SCRIPT
chmod +x "$fake"

# Every help line that is not a heading must appear in the page rendered as plain text (white
# space folded), and groff must have nothing to warn about.
check_round_trip() {
    local program=$1 page=$2 text line
    groff -man -Tutf8 -P-cbu -ww "$page" >"$scratch/rendered" 2>"$scratch/groff.log"
    [ ! -s "$scratch/groff.log" ] || fail "groff warns about $page: $(cat "$scratch/groff.log")"
    text=$(tr -s ' \n\t' '   ' <"$scratch/rendered")
    while IFS= read -r line; do
        [[ -n ${line// /} && ! $line =~ ^[^\ ].*:$ ]] || continue
        line=$(tr -s ' ' <<<"$line")
        line=${line# }
        [[ $text == *"$line"* ]] || fail "$(basename "$program"): lost or changed: '$line'"
    done < <("$program" --help)
}

"$generator" "$fake" "$scratch/fake.1"
check_round_trip "$fake" "$scratch/fake.1"
sections=$(grep '^\.SH' "$scratch/fake.1" | tr '\n' ' ')
[ "$sections" = '.SH "NAME" .SH "SYNOPSIS" .SH "DESCRIPTION" .SH "OPTIONS" .SH "EXIT STATUS" .SH "EXAMPLES" ' ] ||
    fail "sections: $sections"
grep -q '^\.TH "FAKE" 1 "" "fake 2\.5"' "$scratch/fake.1" || fail "title line: $(head -n 1 "$scratch/fake.1")"
# Options are typed as written, so their dashes must be minus signs, not hyphens.
grep -q '\\-\\-dry\\-run' "$scratch/fake.1" || fail "the dashes of --dry-run are not escaped"

"$generator" "$cli" "$scratch/quillbox-cli.1" "$date"
check_round_trip "$cli" "$scratch/quillbox-cli.1"
grep -q "^\.TH \"QUILLBOX\\\\-CLI\" 1 \"$date\" " "$scratch/quillbox-cli.1" || fail "no date: $(head -n 1 "$scratch/quillbox-cli.1")"
for section in INSPECT 'JSON OUTPUT' 'PASS PHRASES' MESSAGES 'EXIT STATUS' ENVIRONMENT; do
    grep -q "^\.SH \"$section\"" "$scratch/quillbox-cli.1" || fail "no section $section"
done
cmp -s "$scratch/quillbox-cli.1" "$built_page" || fail "the built man page is not the one --help gives now"

finish
