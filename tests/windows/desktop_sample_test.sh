#!/usr/bin/env bash
# quillbox-reader.exe under Wine in a real window on a virtual display, run as a throw-away Wine
# user (through in_fresh_wine_user.sh): started with the signed sample, it shows the sample in its
# form; the keyboard then chooses no revocation check and presses Verify/Decrypt, and OK on the
# verdict. The output must hold the sample's text and the log beside the program its record. A
# picture of the screen with the sample in the form is left at SCREENSHOT.
#   desktop_sample_test.sh READER_EXE SAMPLES_DIR SCREENSHOT
set -uo pipefail
reader=$1 samples=$2 screenshot=$3
work=$(mktemp -d)
xvfb_pid=
# Wine's processes go with the throw-away user; the display goes here.
trap '[ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
shot() { xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$1"; }
fail() {
    echo "FAIL: $*"
    shot "${screenshot%.png}-failed.png"
    exit 1
}
# Waits up to 60 s for a top-level window whose name matches $1; prints its id.
window_named() {
    local id
    for _ in $(seq 120); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.5
    done
    return 1
}
keys() { xdotool key --delay 200 "$@" 2>/dev/null; sleep 0.5; }

mkdir -p "$work/app" "$work/documents"
cp "$reader" "$work/app/quillbox-reader.exe"
cp "$samples/signed.qsig" "$work/documents/signed.qsig"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "no virtual display"
export DISPLAY=:$(cat "$work/display")

# Wine's own desktop stands in for the window manager Xvfb lacks, so the window opens maximised.
wine explorer /desktop=quillbox,1024x768 "$work/app/quillbox-reader.exe" \
    "$(windows_path "$work/documents/signed.qsig")" >"$work/reader.out" 2>&1 &
main=$(window_named "Quillbox Reader") || fail "no main window"
sleep 2

# A click into the input box (where the form's layout puts it) gives the window the keyboard; four
# tabs reach the revocation choice.
read -r x y width height < <(xwininfo -id "$main" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width/ {w=$2} /Height/ {h=$2} END {print x, y, w, h}')
[ "${width:-0}" -ge 600 ] && [ "${height:-0}" -ge 400 ] || fail "main window of ${width}x${height}"
shot "$screenshot"
xdotool mousemove $((x + 434)) $((y + 236)) click 1 2>/dev/null
sleep 0.5
keys Tab Tab Tab Tab Right Tab space
# OK on the verdict, then on the message that the file was saved.
for _ in $(seq 60); do [ "$(xdotool search --onlyvisible --name "Quillbox Reader" | wc -l)" -ge 2 ] && break; sleep 0.5; done
keys Return
for _ in $(seq 60); do [ -s "$work/documents/signed" ] && break; sleep 0.5; done
keys Return

[ "$(cat "$work/documents/signed" 2>/dev/null)" = \
  'A signed sample: the signature says who wrote it and that it is unchanged.' ] ||
    fail "the output holds \"$(cat "$work/documents/signed" 2>/dev/null)\""
record="VERIFICATION	Verification complete and File Saved	$(windows_path "$work/documents/signed.qsig") -> $(windows_path "$work/documents/signed")"
grep -qF -- "$record" <(tr -d '\r' <"$work/app/Reader-Log.txt" 2>/dev/null) || fail "no log record \"$record\""
echo "the window opened the signed sample and saved its content"
