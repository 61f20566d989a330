#include "app/pass_phrase_dialog.h"

#include "app/image_button.h"
#include "app/message_dialog.h"
#include "app/text_bytes.h"

#include <QLabel>
#include <QLineEdit>

PromptTexts PassPhraseDialog::passPhraseTexts() {
    return {QStringLiteral("SYMMETRIC DECRYPTION"), QStringLiteral("Enter pass phrase:"),
            QStringLiteral("NOTE: Passphrase is case sensitive")};
}

PromptTexts PassPhraseDialog::storePasswordTexts(const QString& tokenName, bool retry) {
    return {QStringLiteral("CERTIFICATE STORE"), QStringLiteral("Store password:"),
            retry ? QStringLiteral("Wrong password for %1, try again").arg(tokenName)
                  : QStringLiteral("For: %1").arg(tokenName)};
}

PassPhraseDialog::PassPhraseDialog(QWidget* owner, const PromptTexts& texts)
    : ThemedDialog(246, 103, gradient, owner) {
    const ResourceLayout& l = layout();
    l.icon(passphraseid::icon, MessageDialog::iconFor(IconKind::PadlockKey), 13, 10, 21, 20);
    QLabel* title = l.text(passphraseid::title, texts.title, 73, 13, 95, 12);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    l.text(passphraseid::label, texts.label, 14, 42, 76, 9);
    entry_ = l.edit(passphraseid::entry, 91, 40, 135, 16);
    entry_->setEchoMode(QLineEdit::Password);
    // Two lines down to the buttons: a long store name wraps instead of being cut.
    l.text(passphraseid::note, texts.note, 91, 58, 133, 20)->setWordWrap(true);

    ImageButton* ok = l.button(passphraseid::ok, QStringLiteral("&OK"), 61, 79, 61, 15);
    ImageButton* cancel = l.button(passphraseid::cancel, QStringLiteral("&Cancel"), 133, 79, 61, 15);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &PassPhraseDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &PassPhraseDialog::reject);
    entry_->setFocus();
}

void PassPhraseDialog::accept() {
    if (entry_->text().isEmpty()) {
        MessageDialog::ShowMessage(this, QStringLiteral("Cannot leave password blank!"));
        entry_->setFocus();
        return;
    }
    ThemedDialog::accept();
}

void PassPhraseDialog::reject() {
    entry_->clear();
    ThemedDialog::reject();
}

SecretString PassPhraseDialog::takePassPhrase() {
    SecretString phrase(toBytes(entry_->text()));
    entry_->clear();
    return phrase;
}

std::optional<SecretString> PassPhraseDialog::AskPassPhrase(QWidget* owner) {
    return ask(owner, passPhraseTexts());
}

std::optional<SecretString> PassPhraseDialog::askStorePassword(QWidget* owner, const QString& tokenName,
                                                               bool retry) {
    return ask(owner, storePasswordTexts(tokenName, retry));
}

std::optional<SecretString> PassPhraseDialog::ask(QWidget* owner, const PromptTexts& texts) {
    PassPhraseDialog dialog(owner, texts);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.takePassPhrase();
}
