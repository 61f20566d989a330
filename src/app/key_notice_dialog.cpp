#include "app/key_notice_dialog.h"

#include "app/image_button.h"
#include "app/message_dialog.h"

#include <QCheckBox>
#include <QLabel>

KeyNoticeDialog::KeyNoticeDialog(QWidget* owner) : ThemedDialog(262, 106, kGradient, owner) {
    const ResourceLayout& l = layout();
    l.icon(keynoticeid::icon, MessageDialog::iconFor(IconKind::PadlockKey), 7, 7, 20, 20);
    QLabel* text =
        l.text(keynoticeid::text,
               QStringLiteral("Depending on the security level set for your keys, you may be asked for "
                              "private key pass phrase during decryption"),
               35, 22, 196, 23);
    text->setWordWrap(true);
    dontShowAgain_ = l.place(new QCheckBox(QStringLiteral("Do not show this dialog again")),
                             keynoticeid::dontShowAgain, 36, 48, 189, 12);
    ImageButton* ok = l.button(keynoticeid::ok, QStringLiteral("OK"), 100, 84, 60, 15);
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    fitLines(text);
}

bool KeyNoticeDialog::dontShowAgain() const {
    return dontShowAgain_->isChecked();
}

bool KeyNoticeDialog::ShowKeyNotice(QWidget* owner) {
    KeyNoticeDialog dialog(owner);
    return dialog.exec() == QDialog::Accepted && dialog.dontShowAgain();
}
