#!/usr/bin/env bash
# Installs the build into a staging root, moves the installed tree elsewhere and runs the
# installed quillbox-cli from there with an empty environment, so that nothing can lead it back to
# the build tree: it must open a signed document, and keep its log in the per-user data directory
# when its own directory is not writable.
#
#   installed_programs_test.sh CMAKE BUILD_DIR VERSION WITH_DESKTOP WITH_PNGS
set -euo pipefail
cmake=$1 build=$2 version=$3 with_desktop=$4 with_pngs=$5
. "$(dirname "$0")/test_helpers.sh"
need openssl cmp file

DESTDIR="$scratch/stage" "$cmake" --install "$build" --prefix /usr >"$scratch/install.log" ||
    { cat "$scratch/install.log" >&2; exit 1; }
mv "$scratch/stage" "$scratch/root"
root=$scratch/root
cli=$root/usr/bin/quillbox-cli

# --- the layout ----------------------------------------------------------------------------------
while IFS= read -r path; do
    compgen -G "$root/$path" >/dev/null || fail "not installed: $path"
done < <(installed_files "$with_desktop" "$with_pngs")
if [ "$with_pngs" = 1 ]; then
    for size in 16 32 48 64 128 256; do
        png=$root/usr/share/icons/hicolor/${size}x${size}/apps/quillbox-reader.png
        file -b "$png" | grep -q "PNG image data, $size x $size" || fail "the ${size}px icon is not a ${size}px PNG"
    done
fi
if compgen -G "$root/usr/share/doc/quillbox-reader/manual/*.qrc" >/dev/null; then
    fail "the manual's resource list was installed"
fi
if command -v readelf >/dev/null && readelf -d "$cli" | grep -Eq 'R(UN)?PATH'; then
    fail "quillbox-cli carries a library search path: $(readelf -d "$cli" | grep -E 'R(UN)?PATH')"
fi

# --- a signed document, made with the openssl tool -----------------------------------------------
openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Install Check" \
    -keyout "$scratch/key.pem" -out "$scratch/cert.pem" 2>/dev/null
# CR LF, a zero byte and a high byte: the saved content must come back byte for byte.
printf 'first line\r\nsecond line\n\0\377 last' >"$scratch/plain"
openssl smime -sign -nodetach -binary -outform PEM -in "$scratch/plain" \
    -signer "$scratch/cert.pem" -inkey "$scratch/key.pem" -out "$scratch/letter.qsig"

# --- where the log goes ----------------------------------------------------------------------------
# As root every directory counts as writable, so root runs the installed program as nobody; anyone
# else makes the installed bin directory read-only. Either way the program's own directory is
# refused and the per-user data directory must stand in for it.
chmod 755 "$scratch"
run_as=()
if [ "$(id -u)" -eq 0 ]; then
    need setpriv
    run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    "${run_as[@]}" test -x "$cli" || { echo "SKIP: nobody cannot reach $scratch"; exit 77; }
else
    chmod a-w "$root/usr/bin"
fi

version_line=$(env -i PATH=/usr/bin:/bin "${run_as[@]}" "$cli" --version | head -n 1) ||
    fail "--version failed"
[ "$version_line" = "quillbox-cli $version" ] || fail "--version printed '$version_line'"

# case name | environment beyond HOME (relative to the case's home) | where the log must appear
cases=(
    "per-user data directory||.local/share/quillbox-reader"
    "XDG_DATA_HOME|XDG_DATA_HOME=@/xdg|xdg/quillbox-reader"
    "QUILLBOX_HOME|QUILLBOX_HOME=@/chosen|chosen"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r name setting log_dir <<<"$entry"
    home=$scratch/home-${name// /-}
    mkdir -p "$home/work"
    cp "$scratch/letter.qsig" "$home/work/"
    [ "$(id -u)" -ne 0 ] || chown -R 65534:65534 "$home"
    environment=(PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8)
    [ -z "$setting" ] || environment+=("${setting//@/$home}")

    status=0
    (cd "$home/work" && env -i "${environment[@]}" "${run_as[@]}" "$cli" open --yes letter.qsig) \
        >"$home/output" 2>&1 || status=$?
    [ "$status" -eq 0 ] || fail "$name: open ended with $status: $(cat "$home/output")"
    cmp -s "$scratch/plain" "$home/work/letter" || fail "$name: the saved content differs"
    grep -qx SUCCESS "$home/output" || fail "$name: no SUCCESS verdict: $(cat "$home/output")"
    grep -q '^quillbox: success: ' "$home/output" || fail "$name: no success line: $(cat "$home/output")"
    [ -s "$home/$log_dir/Reader-Log.txt" ] || fail "$name: no log in $log_dir"
    [ ! -e "$root/usr/bin/Reader-Log.txt" ] || fail "$name: the log was written beside the program"
done

finish
