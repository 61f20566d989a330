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

scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
