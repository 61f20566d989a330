#include "open_report.h"

#include "json_lines.h"
#include "one_line.h"

#include "platform/standard_streams.h"

#include <utility>

namespace {

// Every document that was not saved says why, even where the job showed no message for it.
void explainUnsaved(FileReport& file, const std::string& notProcessedReason) {
    if (!file.outcome.empty()) {
        return;
    }
    switch (file.status) {
    case FileStatus::Saved:
    case FileStatus::Failed:
        break;
    case FileStatus::Skipped:
        file.outcome = "This file is tampered [OR] Not of a valid signed/encrypted format [OR] Corrupted; "
                       "skipped as answered";
        break;
    case FileStatus::Declined:
        file.outcome = file.output + " file already exists; overwriting it was declined";
        break;
    case FileStatus::Cancelled:
        file.outcome = "The prompt for its pass phrase was cancelled or had no answer";
        break;
    case FileStatus::NotProcessed:
        file.outcome = notProcessedReason;
        break;
    }
}

} // namespace

OpenReport::OpenReport(std::vector<std::string> inputs, std::vector<std::string> outputs, bool json,
                       TerminalJobUi& ui, StandardOutput& out)
    : inputs_(std::move(inputs)), outputs_(std::move(outputs)), json_(json), ui_(ui), out_(out) {
    setLastWords();
}

void OpenReport::setLastWords() const {
    if (json_) {
        out_.setLastWords(interruptedLine());
        return;
    }
    // The lines on stderr list what a termination signal leaves undone, as the JSON line does.
    std::string lines;
    for (std::size_t next = files_.size(); !jobOver_ && next < inputs_.size(); ++next) {
        lines += "quillbox: warning: " + shownName(inputs_[next]) +
                 " was not processed: " + std::string(interruptedOutcome) + "\n";
    }
    platform::setLastWordsOnStandardError(std::move(lines));
}

std::string OpenReport::interruptedLine() const {
    const std::size_t next = files_.size();
    return !jobOver_ && next < inputs_.size() ? interruptedJsonLine(inputs_[next], outputs_[next]) + "\n"
                                              : std::string();
}

void OpenReport::write(const FileReport& report) {
    files_.push_back(report);
    if (json_) {
        out_.record(jsonLine(report), interruptedLine());
    } else {
        setLastWords();
    }
}

void OpenReport::documentEnded(FileReport report) {
    // A cancelled store-password prompt fails the document being opened and ends the job: that
    // document counts as cancelled, not as failed.
    if (ui_.storePasswordCancelled() && report.status == FileStatus::Failed) {
        report.status = FileStatus::Cancelled;
    }
    explainUnsaved(report, {});
    if (report.status == FileStatus::Saved && !report.layersLeft.empty()) {
        ui_.warn(report.output + " was saved with its " + layerName(report.layersLeft.front()) +
                 " layer still in it");
    }
    write(report);
}

void OpenReport::jobEnded(bool pathsValid) {
    jobOver_ = true;
    setLastWords();
    const std::string reason = pathsValid ? "The job ended before this file was reached" : ui_.lastMessage();
    while (files_.size() < inputs_.size()) {
        FileReport report;
        report.input = inputs_[files_.size()];
        report.output = outputs_[files_.size()];
        explainUnsaved(report, reason);
        // As --json lists them, so do the lines on stderr, once the job had passed the path rules
        // (whose message says why nothing was done).
        if (!json_ && pathsValid) {
            ui_.warn(report.input + " was not processed: " + reason);
        }
        write(report);
    }
}
