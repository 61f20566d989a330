#pragma once
// The prompt for the pass phrase of a pass-phrase layer, and in the same form the certificate
// store's password prompt. An empty entry is refused in the dialog.
#include "app/themed_dialog.h"

#include "e2eCrypto/secret_string.h"

#include <optional>

class QLineEdit;

namespace passphraseid {
inline constexpr int icon = 1038;
inline constexpr int title = 1012;
inline constexpr int label = 1019;
inline constexpr int entry = 1001;
inline constexpr int note = 1013;
inline constexpr int ok = 1016;
inline constexpr int cancel = 2;
} // namespace passphraseid

struct PromptTexts {
    QString title;
    QString label;
    QString note;
};

class PassPhraseDialog : public ThemedDialog {
    Q_OBJECT
public:
    PassPhraseDialog(QWidget* owner, const PromptTexts& texts);

    static PromptTexts passPhraseTexts();
    static PromptTexts storePasswordTexts(const QString& tokenName, bool retry);

    // The text exactly as typed, or nothing when the person cancelled.
    static std::optional<SecretString> AskPassPhrase(QWidget* owner);
    static std::optional<SecretString> askStorePassword(QWidget* owner, const QString& tokenName, bool retry);
    SecretString takePassPhrase();

public slots:
    void accept() override;
    void reject() override;

private:
    static std::optional<SecretString> ask(QWidget* owner, const PromptTexts& texts);

    QLineEdit* entry_;
};
