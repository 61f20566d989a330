#include "support/scripted_job_ui.h"

TerminatedForTest::TerminatedForTest(int status)
    : std::runtime_error("terminateApplication(" + std::to_string(status) + ")"), exitStatus(status) {}

std::ostream& operator<<(std::ostream& out, IconKind icon) {
    return out << "IconKind(" << static_cast<int>(icon) << ")";
}

std::ostream& operator<<(std::ostream& out, Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return out << "Ok";
    case Buttons::OkCancel:
        return out << "OkCancel";
    case Buttons::YesNo:
        return out << "YesNo";
    }
    return out << "Buttons(?)";
}

std::ostream& operator<<(std::ostream& out, const ShownMessage& message) {
    return out << "{\"" << message.text << "\", " << message.icon << ", " << message.buttons << "}";
}

namespace {
template <typename T> std::optional<T> takeFront(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) {
        return std::nullopt;
    }
    std::optional<T> front = std::move(queue.front());
    queue.pop_front();
    return front;
}

bool takeAnswer(std::deque<bool>& queue, bool fallback) {
    if (queue.empty()) {
        return fallback;
    }
    bool front = queue.front();
    queue.pop_front();
    return front;
}

std::optional<SecretString> asSecret(std::optional<std::string> text) {
    if (!text) {
        return std::nullopt;
    }
    return SecretString(std::move(*text));
}
} // namespace

ScriptedJobUi& ScriptedJobUi::answer(bool yes) {
    answers.push_back(yes);
    return *this;
}

ScriptedJobUi& ScriptedJobUi::passPhrase(std::optional<std::string> phrase) {
    passPhrases.push_back(std::move(phrase));
    return *this;
}

bool ScriptedJobUi::showMessage(const std::string& text, IconKind icon, Buttons buttons) {
    UiEvent event;
    event.kind = UiEvent::Kind::Message;
    event.text = text;
    event.icon = icon;
    event.buttons = buttons;
    event.answer = buttons == Buttons::Ok ? true : takeAnswer(answers, defaultAnswer);
    events.push_back(event);
    if (onMessage) {
        onMessage(text);
    }
    return event.answer;
}

std::optional<SecretString> ScriptedJobUi::askPassPhrase() {
    UiEvent event;
    event.kind = UiEvent::Kind::PassPhrasePrompt;
    events.push_back(event);
    return asSecret(takeFront(passPhrases));
}

bool ScriptedJobUi::showKeyNotice() {
    UiEvent event;
    event.kind = UiEvent::Kind::KeyNotice;
    event.answer = takeAnswer(keyNoticeAnswers, keyNoticeDefault);
    events.push_back(event);
    return event.answer;
}

void ScriptedJobUi::showSignatureResult(const SignatureVerdict& verdict) {
    UiEvent event;
    event.kind = UiEvent::Kind::Verdict;
    event.verdict = verdict;
    events.push_back(event);
}

std::optional<SecretString> ScriptedJobUi::askStorePassword(const std::string& tokenName, bool retry) {
    UiEvent event;
    event.kind = UiEvent::Kind::StorePasswordPrompt;
    event.text = tokenName;
    event.answer = retry;
    events.push_back(event);
    return asSecret(takeFront(storePasswords));
}

void ScriptedJobUi::beginWaitCursor() {
    ++waitCursorBegins;
    ++waitCursorDepth;
    if (waitCursorDepth > maxWaitCursorDepth) {
        maxWaitCursorDepth = waitCursorDepth;
    }
}

void ScriptedJobUi::endWaitCursor() {
    if (waitCursorDepth == 0) {
        waitCursorUnbalanced = true;
        return;
    }
    --waitCursorDepth;
}

void ScriptedJobUi::terminateApplication(int exitStatus) {
    UiEvent event;
    event.kind = UiEvent::Kind::Terminate;
    event.exitStatus = exitStatus;
    events.push_back(event);
    throw TerminatedForTest(exitStatus);
}

std::vector<ShownMessage> ScriptedJobUi::messages() const {
    std::vector<ShownMessage> shown;
    for (const UiEvent& event : events) {
        if (event.kind == UiEvent::Kind::Message) {
            shown.push_back({event.text, event.icon, event.buttons});
        }
    }
    return shown;
}

std::vector<std::string> ScriptedJobUi::messageTexts() const {
    std::vector<std::string> texts;
    for (const ShownMessage& message : messages()) {
        texts.push_back(message.text);
    }
    return texts;
}

std::vector<SignatureVerdict> ScriptedJobUi::verdicts() const {
    std::vector<SignatureVerdict> shown;
    for (const UiEvent& event : events) {
        if (event.kind == UiEvent::Kind::Verdict) {
            shown.push_back(event.verdict);
        }
    }
    return shown;
}

int ScriptedJobUi::count(UiEvent::Kind kind) const {
    int n = 0;
    for (const UiEvent& event : events) {
        n += event.kind == kind ? 1 : 0;
    }
    return n;
}

int ScriptedJobUi::passPhrasePrompts() const {
    return count(UiEvent::Kind::PassPhrasePrompt);
}
int ScriptedJobUi::keyNotices() const {
    return count(UiEvent::Kind::KeyNotice);
}
int ScriptedJobUi::storePasswordPrompts() const {
    return count(UiEvent::Kind::StorePasswordPrompt);
}

std::optional<int> ScriptedJobUi::terminatedWith() const {
    for (const UiEvent& event : events) {
        if (event.kind == UiEvent::Kind::Terminate) {
            return event.exitStatus;
        }
    }
    return std::nullopt;
}

std::vector<UiEvent::Kind> ScriptedJobUi::kinds() const {
    std::vector<UiEvent::Kind> result;
    for (const UiEvent& event : events) {
        result.push_back(event.kind);
    }
    return result;
}

void ScriptedJobUi::clear() {
    events.clear();
    waitCursorBegins = 0;
    maxWaitCursorDepth = waitCursorDepth;
    waitCursorUnbalanced = false;
}
