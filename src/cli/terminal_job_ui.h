#pragma once
// The job's person on a terminal: every message is one stderr line "quillbox: <kind>: <text>",
// every signature verdict a block of lines, and answers come from the options, the files given on
// the command line, or the terminal.
#include "answer_file.h"
#include "pipeline/job_ui.h"
#include "terminal.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct Answers {
    std::optional<bool> everyQuestion;       // --yes / --no
    std::optional<AnswerFile> passPhrases;   // --passphrase-file, a line per prompt in order
    std::optional<AnswerFile> storePassword; // --store-password-file, its first line
};

// The word for a message's icon: what it was shown as in the desktop program.
std::string messageKind(IconKind icon);

class TerminalJobUi : public JobUi {
public:
    TerminalJobUi(Terminal& terminal, std::FILE* out, Answers answers);

    bool showMessage(const std::string& text, IconKind icon, Buttons buttons) override;
    std::optional<SecretString> askPassPhrase() override;
    bool showKeyNotice() override;
    void showSignatureResult(const SignatureVerdict& verdict) override;
    std::optional<SecretString> askStorePassword(const std::string& tokenName, bool retry) override;
    // A terminal has no wait cursor.
    void beginWaitCursor() override {}
    void endWaitCursor() override {}
    // A "progress" line for large documents, only when a person watches stderr on a terminal.
    void reportProgress(const JobProgress& progress) override;
    void reportDocumentEnd(const FileReport& report) override;
    // One "information" line.
    void reportAbandonedFilesRemoved(const std::string& outputPath, int count) override;
    void terminateApplication(int exitStatus) override;

    // Called with each document's final report as the job leaves it.
    void onDocumentEnd(std::function<void(const FileReport&)> listener) {
        documentEnded_ = std::move(listener);
    }
    // A warning line on stderr.
    void warn(const std::string& text) { line("warning", text); }
    // The job's file names: a line break in one is shown escaped, where the line breaks of the
    // messages themselves become spaces.
    void nameFiles(std::vector<std::string> names) { names_ = std::move(names); }
    void error(const std::string& text) { line("error", text); }

    // True once a pass-phrase or store-password prompt went unanswered (Cancel, end of input, or
    // no terminal to ask on).
    bool promptCancelled() const { return promptCancelled_; }
    bool storePasswordCancelled() const { return storePasswordCancelled_; }
    // The text of the last message shown.
    const std::string& lastMessage() const { return lastMessage_; }
    // Set when a fatal error ended the job: the status the program ends with once it has reported
    // the documents so far.
    std::optional<int> fatalExitStatus() const { return fatalExitStatus_; }
    // True once a file of answers could not be read when its first answer was needed.
    bool answerFileUnreadable() const { return answerFileUnreadable_; }

private:
    std::optional<SecretString> cancelledIfEmpty(std::optional<SecretString> answer);
    // The next line of the file; nothing (reported) when it cannot be read.
    std::optional<SecretString> nextAnswer(AnswerFile& file);
    void line(const std::string& kind, const std::string& text);

    Terminal& terminal_;
    std::FILE* out_;
    Answers answers_;
    bool promptCancelled_ = false;
    bool storePasswordCancelled_ = false;
    std::string lastMessage_;
    std::optional<int> fatalExitStatus_;
    bool answerFileUnreadable_ = false;
    std::optional<SecretString> storePasswordAnswer_; // read once from its file
    std::string batchDocument_;                       // the batch's document in hand, if any
    std::vector<std::string> names_;
    std::function<void(const FileReport&)> documentEnded_;
};
