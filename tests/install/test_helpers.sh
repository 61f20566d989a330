# Sourced by the install tests: a missing tool skips the test (exit 77), failed checks are
# counted and reported together, and every file lives in one scratch directory.
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

need() {
    local tool
    for tool; do
        command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool not found"; exit 77; }
    done
}

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}

# The installed files, relative to the root, one a line; "*" stands for an optional ".gz".
# $1: 1 when the desktop program is built, $2: 1 when its fixed-size icons are drawn.
installed_files() {
    local with_desktop=$1 with_pngs=$2 size
    printf '%s\n' usr/bin/quillbox-cli usr/share/doc/quillbox-reader/README.md \
        usr/share/bash-completion/completions/quillbox-cli 'usr/share/man/man1/quillbox-cli.1*'
    [ "$with_desktop" = 1 ] || return 0
    printf '%s\n' usr/bin/quillbox-reader usr/share/applications/quillbox-reader.desktop \
        usr/share/mime/packages/quillbox-reader.xml usr/share/icons/hicolor/scalable/apps/quillbox-reader.svg \
        'usr/share/man/man1/quillbox-reader.1*'
    [ "$with_pngs" = 1 ] || return 0
    for size in 16 32 48 64 128 256; do
        echo "usr/share/icons/hicolor/${size}x${size}/apps/quillbox-reader.png"
    done
}

scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
