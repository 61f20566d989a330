#pragma once
// A JobUi that answers from scripts and records every call in order, so a test can run a whole job
// without a person and then assert on what the person would have seen.
#include "pipeline/job_ui.h"

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

// Thrown by ScriptedJobUi::terminateApplication so that the job stops where the process would end.
struct TerminatedForTest : std::runtime_error {
    explicit TerminatedForTest(int status);
    int exitStatus;
};

struct UiEvent {
    enum class Kind { Message, PassPhrasePrompt, KeyNotice, Verdict, StorePasswordPrompt, Terminate };

    Kind kind = Kind::Message;
    std::string text; // message text, or the token name of a store-password prompt
    IconKind icon = IconKind::Warning;
    Buttons buttons = Buttons::Ok;
    bool answer = false; // what the button press answered (Message, KeyNotice); retry flag (store prompt)
    SignatureVerdict verdict;
    int exitStatus = 0;
};

// What a message event shows: enough for readable EXPECT_EQ on the message sequence.
struct ShownMessage {
    std::string text;
    IconKind icon = IconKind::Warning;
    Buttons buttons = Buttons::Ok;
    bool operator==(const ShownMessage&) const = default;
};
std::ostream& operator<<(std::ostream& out, const ShownMessage& message);
std::ostream& operator<<(std::ostream& out, IconKind icon);
std::ostream& operator<<(std::ostream& out, Buttons buttons);

class ScriptedJobUi : public JobUi {
public:
    // --- scripts ---
    // Answers for Yes/No and OK/Cancel messages, in order; once used up, defaultAnswer applies.
    // Plain OK messages never consume an answer (they always return true).
    std::deque<bool> answers;
    bool defaultAnswer = false;
    // Pass phrases in order; std::nullopt is Cancel. Once used up, every prompt is cancelled.
    std::deque<std::optional<std::string>> passPhrases;
    // Key-notice answers ("do not show again" ticked); once used up, keyNoticeDefault.
    std::deque<bool> keyNoticeAnswers;
    bool keyNoticeDefault = false;
    // Store passwords in order; std::nullopt is Cancel. Once used up, every prompt is cancelled.
    std::deque<std::optional<std::string>> storePasswords;
    // Runs on each message as it is shown, before its answer goes back: a test acts mid-job with it.
    std::function<void(const std::string& text)> onMessage;

    // Convenience for scripts.
    ScriptedJobUi& answer(bool yes);
    ScriptedJobUi& passPhrase(std::optional<std::string> phrase);

    // --- JobUi ---
    bool showMessage(const std::string& text, IconKind icon, Buttons buttons) override;
    std::optional<SecretString> askPassPhrase() override;
    bool showKeyNotice() override;
    void showSignatureResult(const SignatureVerdict& verdict) override;
    std::optional<SecretString> askStorePassword(const std::string& tokenName, bool retry) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    void reportProgress(const JobProgress& /*progress*/) override {}
    void reportDocumentEnd(const FileReport& /*report*/) override {}
    void reportAbandonedFilesRemoved(const std::string& /*outputPath*/, int count) override {
        abandonedFilesRemoved += count;
    }
    // Records the call, then throws TerminatedForTest.
    void terminateApplication(int exitStatus) override;

    // --- records ---
    std::vector<UiEvent> events;
    int waitCursorDepth = 0;    // open begin/end pairs now
    int maxWaitCursorDepth = 0; // deepest nesting seen
    int waitCursorBegins = 0;
    bool waitCursorUnbalanced = false; // an end without a begin was seen
    int abandonedFilesRemoved = 0;

    // Filtered views of events.
    std::vector<ShownMessage> messages() const;
    std::vector<std::string> messageTexts() const;
    std::vector<SignatureVerdict> verdicts() const;
    int passPhrasePrompts() const;
    int keyNotices() const;
    int storePasswordPrompts() const;
    std::optional<int> terminatedWith() const;
    // The kinds of every event, in order: handy to assert the interleaving of prompts and messages.
    std::vector<UiEvent::Kind> kinds() const;
    void clear();

private:
    int count(UiEvent::Kind kind) const;
};
