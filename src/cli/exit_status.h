#pragma once
// The exit statuses of quillbox-cli, in one place (--help lists them). When several apply, the
// first in this order wins: usage, failed, cancelled, signatureFailed, saved.
namespace exitstatus {
inline constexpr int saved = 0;  // every input was saved (inspect: every input is a secured document)
inline constexpr int failed = 1; // an input failed or was skipped
inline constexpr int usage = 2;  // the command line was wrong
inline constexpr int signatureFailed = 3; // every input was saved, but a signature verdict was FAILED
inline constexpr int cancelled = 130;     // a prompt went unanswered, or Ctrl-C stopped the job
} // namespace exitstatus
