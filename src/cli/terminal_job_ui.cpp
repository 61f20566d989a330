#include "terminal_job_ui.h"

#include "command.h"
#include "one_line.h"
#include "verdict_block.h"

#include "platform/terminal_device.h"

#include <cstdlib>
#include <utility>

std::string messageKind(IconKind icon) {
    switch (icon) {
    case IconKind::RedAlert:
        return "fatal";
    case IconKind::Error:
        return "error";
    case IconKind::Success:
        return "success";
    case IconKind::Information:
    case IconKind::Magnifier:
        return "information";
    case IconKind::PadlockKey:
    case IconKind::Certificate:
        return "notice";
    default:
        return "warning";
    }
}

namespace {

bool isYes(const std::string& answer) {
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

} // namespace

TerminalJobUi::TerminalJobUi(Terminal& terminal, std::FILE* out, Answers answers)
    : terminal_(terminal), out_(out), answers_(std::move(answers)) {}

void TerminalJobUi::line(const std::string& kind, const std::string& text) {
    std::fprintf(out_, "quillbox: %s: %s\n", kind.c_str(), oneLineNaming(text, names_).c_str());
    std::fflush(out_);
}

void TerminalJobUi::reportProgress(const JobProgress& progress) {
    batchDocument_ = progress.files > 1 ? progress.input : std::string();
    constexpr std::uint64_t shownFromBytes = 4u << 20; // smaller documents are done at once
    if (progress.bytes >= shownFromBytes && platform::isTerminalStream(out_)) {
        line("progress", "file " + std::to_string(progress.file) + " of " + std::to_string(progress.files) +
                             ", " + std::to_string(progress.bytes >> 20) + " MiB");
    }
}

void TerminalJobUi::reportAbandonedFilesRemoved(const std::string& outputPath, int count) {
    line("information", "Removed " + std::to_string(count) + " unfinished temporary file" +
                            (count == 1 ? "" : "s") + " that ended programs had left beside " + outputPath);
}

bool TerminalJobUi::showMessage(const std::string& text, IconKind icon, Buttons buttons) {
    lastMessage_ = text;
    const bool asked = buttons != Buttons::Ok && !answers_.everyQuestion && terminal_.available();
    if (!asked) {
        const std::string kind = messageKind(icon);
        // In a batch, a failure names the document it ended, unless its words do already.
        const bool unnamed = (kind == "error" || kind == "fatal") && !batchDocument_.empty() &&
                             text.find(batchDocument_) == std::string::npos;
        line(kind, unnamed ? batchDocument_ + ": " + text : text);
        return buttons == Buttons::Ok || answers_.everyQuestion.value_or(false);
    }
    // The question and its [y/N] go where the answer is typed.
    const std::optional<std::string> answer =
        terminal_.readLine("quillbox: " + messageKind(icon) + ": " + oneLineNaming(text, names_) + " [y/N] ");
    return answer && isYes(*answer);
}

std::optional<SecretString> TerminalJobUi::cancelledIfEmpty(std::optional<SecretString> answer) {
    promptCancelled_ = promptCancelled_ || !answer;
    return answer;
}

std::optional<SecretString> TerminalJobUi::nextAnswer(AnswerFile& file) {
    try {
        return file.next();
    } catch (const UsageError& error) {
        reportUsageError(error.what());
        answerFileUnreadable_ = true;
        return std::nullopt;
    }
}

std::optional<SecretString> TerminalJobUi::askPassPhrase() {
    if (answers_.passPhrases) {
        std::optional<SecretString> answer = cancelledIfEmpty(nextAnswer(*answers_.passPhrases));
        // The job ends a blank answer without a word in most cases; a script is told why.
        if (answer && answer->empty()) {
            line("warning", "Blank password given to decrypt");
        }
        return answer;
    }
    if (!terminal_.available()) {
        line("error", "no terminal to ask for the pass phrase on; give --passphrase-file");
        return cancelledIfEmpty(std::nullopt);
    }
    for (;;) {
        std::optional<SecretString> answer = terminal_.readSecretLine("Enter pass phrase: ");
        if (!answer || !answer->empty()) {
            return cancelledIfEmpty(std::move(answer));
        }
        line("warning", "Cannot leave password blank!");
    }
}

bool TerminalJobUi::showKeyNotice() {
    line("notice",
         "Depending on the security level set for your keys, you may be asked for private key pass phrase "
         "during decryption");
    return false;
}

void TerminalJobUi::showSignatureResult(const SignatureVerdict& verdict) {
    std::fputs(verdictBlock(verdict).c_str(), out_);
    std::fflush(out_);
}

std::optional<SecretString> TerminalJobUi::askStorePassword(const std::string& tokenName, bool retry) {
    if (answers_.storePassword) {
        // The file's password was refused: asking again would only repeat it.
        if (retry) {
            return std::nullopt;
        }
        if (!storePasswordAnswer_) {
            std::optional<SecretString> first = nextAnswer(*answers_.storePassword);
            if (answerFileUnreadable_) {
                storePasswordCancelled_ = true;
                return cancelledIfEmpty(std::nullopt);
            }
            // An empty file gives the empty password.
            storePasswordAnswer_ = first ? std::move(*first) : SecretString();
        }
        return storePasswordAnswer_;
    }
    if (retry) {
        line("warning", "The password for " + tokenName + " was not accepted");
    }
    std::optional<SecretString> answer =
        cancelledIfEmpty(terminal_.readSecretLine("Password for " + oneLine(tokenName) + ": "));
    storePasswordCancelled_ = storePasswordCancelled_ || !answer;
    return answer;
}

void TerminalJobUi::reportDocumentEnd(const FileReport& report) {
    batchDocument_.clear();
    if (documentEnded_) {
        documentEnded_(report);
    }
}

// The job ends as soon as this returns; the command then reports what was done and exits.
void TerminalJobUi::terminateApplication(int exitStatus) {
    fatalExitStatus_ = exitStatus;
}
