#!/usr/bin/env bash
# Checks the layers of the source tree under ROOT/src: every include points at the including folder
# or a folder below it (app, cli -> pipeline -> certs -> e2eCrypto -> platform), Qt headers appear
# only in app/, operating-system headers and operating-system #if tests only where the system's own
# code lives. Prints one line per finding and fails when there is any.
# Usage: check_layering.sh ROOT
set -euo pipefail
src=${1:?usage: check_layering.sh ROOT}/src

declare -A below=(
    [platform]=""
    [e2eCrypto]="platform"
    [certs]="e2eCrypto platform"
    [pipeline]="certs e2eCrypto platform"
    [app]="pipeline certs e2eCrypto platform"
    [cli]="pipeline certs e2eCrypto platform"
)

qt_header='^(Qt[A-Za-z]*(/|$)|Q[A-Z][A-Za-z0-9]*$)'
qt_lowercase_header='^q[a-z0-9_]+\.h$'
os_header='^((sys|netinet|arpa|linux)/.*|(unistd|fcntl|signal|termios|pwd|grp|dirent|dlfcn|pthread|poll|spawn|syslog|utime|netdb|sched|semaphore|glob|fnmatch|libgen|wordexp|mqueue|aio|ifaddrs|io|direct|process|conio|share|shlobj|shellapi|shlwapi|aclapi|accctrl|sddl|ntsecapi|bcrypt|ncrypt|objbase|knownfolders|lmcons|tlhelp32|psapi|userenv|wtsapi32|ws2tcpip|iphlpapi)\.h|win[a-z0-9_]*\.h|csignal)$'
os_condition='^[[:space:]]*#[[:space:]]*(if|ifdef|ifndef|elif)\b.*\b(_WIN32|_WIN64|WIN32|__linux__|__linux|__unix__|__unix|__APPLE__|__MINGW32__|__MINGW64__|_MSC_VER|__CYGWIN__)\b'
include_line='^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^>"]+)[>"]'

findings=0
report() {
    printf '%s\n' "$1"
    findings=$((findings + 1))
}

# The system's own code: the two platform implementations and the CryptoAPI store.
holds_system_calls() {
    [[ $1 == platform/posix/* || $1 == platform/win32/* || $1 == certs/cryptoapi_* ]]
}
# Operating-system #if tests are also allowed in the shared platform code and the NSS store.
may_test_the_system() {
    holds_system_calls "$1" || [[ $1 == platform/* || $1 == certs/nss_* ]]
}

while IFS= read -r -d '' file; do
    relative=${file#"$src"/}
    layer=${relative%%/*}
    if [[ -z ${below[$layer]+known} ]]; then
        report "src/$relative: folder $layer is in no layer"
        continue
    fi
    while IFS=: read -r number line; do
        where="src/$relative:$number"
        if [[ $line =~ $os_condition ]] && ! may_test_the_system "$relative"; then
            report "$where: operating-system #if outside the platform code"
        fi
        [[ $line =~ $include_line ]] || continue
        bracket=${BASH_REMATCH[1]}
        target=${BASH_REMATCH[2]}
        if [[ $target == *../* ]]; then
            report "$where: \"$target\" reaches out of its folder; include it by folder"
            continue
        fi
        folder=${target%%/*}
        if [[ $target == */* && -n ${below[$folder]+known} && $folder != "$layer" &&
              " ${below[$layer]} " != *" $folder "* ]]; then
            report "$where: upward include \"$target\" ($layer may include ${below[$layer]:-nothing else})"
        fi
        if [[ $target =~ ^platform/(posix|win32)/ && $layer != platform ]]; then
            report "$where: \"$target\" is one system's implementation; include the platform header"
        fi
        if [[ $layer != app ]] && [[ $target =~ $qt_header || ($bracket == "<" && $target =~ $qt_lowercase_header) ]]; then
            report "$where: Qt header <$target> below app/"
        fi
        lowercase=${target,,}
        if [[ $lowercase =~ $os_header ]] && ! holds_system_calls "$relative"; then
            report "$where: operating-system header <$target> outside src/platform/posix, src/platform/win32 and the CryptoAPI store"
        fi
    done < <(grep -n '^[[:space:]]*#' "$file" || true)
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

if [ "$findings" -ne 0 ]; then
    echo "layering: $findings finding(s)" >&2
    exit 1
fi
