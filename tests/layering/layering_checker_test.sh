#!/usr/bin/env bash
# The layering check on a made-up tree: every file of the first table breaks one rule and must be
# reported once; the files of the second table keep the rules and must not be reported.
# Usage: layering_checker_test.sh CHECKER
set -euo pipefail
checker=${1:?usage: layering_checker_test.sh CHECKER}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

breaking=(
    "e2eCrypto/upward.h"            '#include "certs/key_store.h"'
    "cli/sideways.cpp"              '#include "app/main_window.h"'
    "certs/relative.cpp"            '#include "../pipeline/job_ui.h"'
    "pipeline/qt_class.cpp"         '#include <QString>'
    "cli/qt_module.cpp"             '#include <QtCore/QDir>'
    "e2eCrypto/qt_lowercase.cpp"    '#include <qglobal.h>'
    "app/posix_call.cpp"            '#include <unistd.h>'
    "pipeline/posix_folder.cpp"     '#include <sys/stat.h>'
    "cli/spaced_signal.cpp"         '#  include <csignal>'
    "certs/nss_windows.cpp"         '#include <Windows.h>'
    "platform/shared_posix.cpp"     '#include <fcntl.h>'
    "pipeline/system_internals.cpp" '#include "platform/posix/staged_file.h"'
    "pipeline/system_test.cpp"      '#ifdef _WIN32'
    "app/system_test.cpp"           '#if defined(__linux__) && 1'
    "tools/unplaced.cpp"            '#include <string>'
)
keeping=(
    "platform/posix/calls.cpp"      $'#include "platform/posix/staged_file.h"\n#include <unistd.h>\n#include <sys/stat.h>\n#include <csignal>'
    "platform/win32/calls.cpp"      $'#include <windows.h>\n#include <io.h>'
    "platform/paths.h"              $'#ifdef _WIN32\n#endif\n#include <cerrno>'
    "certs/cryptoapi_store.cpp"     $'#include <wincrypt.h>\n#ifdef _WIN32\n#endif'
    "app/window.cpp"                $'#include <QWidget>\n#include <qdrawutil.h>\n#include "pipeline/job_ui.h"\n#include "platform/user_directories.h"'
    "cli/command.cpp"               $'#include "pipeline/job_driver.h"\n#include "one_line.h"\n#include "quillbox_names.h"\n#include <cstdio>'
    "e2eCrypto/codec.cpp"           $'#include "platform/file_io.h"\n#include <openssl/evp.h>\n#include <queue>\n// #include <unistd.h> in a comment is no include'
)

write_files() {
    while [ $# -gt 0 ]; do
        mkdir -p "$(dirname "$root/src/$1")"
        printf '%s\n' "$2" > "$root/src/$1"
        shift 2
    done
}
write_files "${breaking[@]}"
write_files "${keeping[@]}"

status=0
output=$("$checker" "$root" 2>/dev/null) || status=$?
if [ "$status" -ne 1 ]; then
    echo "the check ended with $status on a tree that breaks the rules, not 1" >&2
    exit 1
fi

failed=0
for ((i = 0; i < ${#breaking[@]}; i += 2)); do
    count=$(grep -c "^src/${breaking[i]}:" <<< "$output" || true)
    if [ "$count" -ne 1 ]; then
        echo "src/${breaking[i]} (${breaking[i + 1]}): reported $count times, not once" >&2
        failed=1
    fi
done
for ((i = 0; i < ${#keeping[@]}; i += 2)); do
    if grep -q "^src/${keeping[i]}:" <<< "$output"; then
        echo "src/${keeping[i]} keeps the rules but was reported:" >&2
        grep "^src/${keeping[i]}:" <<< "$output" >&2
        failed=1
    fi
done
exit "$failed"
