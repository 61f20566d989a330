#!/usr/bin/env bash
# Makes the Debian package from the build and checks what a person installing it gets: every
# installed file under /usr, stripped programs, library dependencies read from the binaries, and
# the package's own fields.
#
#   debian_package_test.sh CPACK BUILD_DIR WITH_DESKTOP WITH_PNGS
set -euo pipefail
cpack=$1 build=$2 with_desktop=$3 with_pngs=$4
. "$(dirname "$0")/test_helpers.sh"
need dpkg-deb dpkg-shlibdeps file

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; exit 1; }
packages=("$scratch"/quillbox-reader_*.deb)
[ ${#packages[@]} -eq 1 ] && [ -f "${packages[0]}" ] || { fail "no single package: ${packages[*]}"; finish; }
package=${packages[0]}

dpkg-deb --contents "$package" | awk '{ print $6 }' | sed 's|^\./||' >"$scratch/contents"
while IFS= read -r path; do
    grep -qx -- "${path//\*/.*}" "$scratch/contents" || fail "not in the package: $path"
done < <(installed_files "$with_desktop" "$with_pngs")
if grep -v '^usr/' "$scratch/contents" | grep -q .; then
    fail "files outside /usr: $(grep -v '^usr/' "$scratch/contents" | tr '\n' ' ')"
fi

dpkg-deb -x "$package" "$scratch/root"
for program in "$scratch"/root/usr/bin/*; do
    file -b "$program" | grep -q ', stripped' || fail "$(basename "$program") is not stripped"
done

field() { dpkg-deb --field "$package" "$1"; }
[ "$(field Package)" = quillbox-reader ] || fail "Package: $(field Package)"
[ "$(field Section)" = utils ] || fail "Section: $(field Section)"
[ "$(field Maintainer)" = "Quillbox Reader developers" ] || fail "Maintainer: $(field Maintainer)"
[ -n "$(field Description)" ] || fail "no Description"
wanted=(libc6 libssl3 libnss3)
[ "$with_desktop" = 0 ] || wanted+=(libqt6widgets6 libqt6svg6)
for library in "${wanted[@]}"; do
    [[ ", $(field Depends)," == *", $library "* ]] || fail "Depends lacks $library: $(field Depends)"
done

finish
