#include "app/message_dialog.h"

#include "app/image_button.h"
#include "app/whole_text.h"

MessageButtons messageButtons(Buttons buttons) {
    switch (buttons) {
    case Buttons::OkCancel:
        return MessageButtons::OkCancel;
    case Buttons::YesNo:
        return MessageButtons::YesNo;
    case Buttons::Ok:
        break;
    }
    return MessageButtons::Ok;
}

int MessageDialog::iconFor(IconKind icon) {
    switch (icon) {
    case IconKind::RedAlert:
        return 160; // red triangle with exclamation mark
    case IconKind::OrangeCircle:
        return 162; // orange circle with exclamation mark
    case IconKind::Error:
        return 159; // red circle with white cross
    case IconKind::Magnifier:
        return 165; // document with magnifying glass
    case IconKind::PadlockKey:
        return 166; // padlock with key
    case IconKind::Success:
        return 164; // green circle with tick
    case IconKind::Certificate:
        return 163; // certificate with pen
    case IconKind::Information:
        return 173; // speech bubble with "i"
    case IconKind::Warning:
        break;
    }
    return 161; // yellow triangle with exclamation mark, also for any value without a name
}

MessageDialog::MessageDialog(const QString& text, IconKind icon, MessageButtons buttons, QWidget* owner)
    : ThemedDialog(262, 106, gradient, owner) {
    const ResourceLayout& l = layout();
    l.icon(messageid::icon, iconFor(icon), 7, 7, 20, 20);
    WholeText* message = l.wholeText(messageid::text, text, 45, 14, 198, 48);

    ImageButton* ok = l.button(messageid::ok, QStringLiteral("OK"), 102, 78, 61, 15);
    ImageButton* cancel = l.button(messageid::cancel, QStringLiteral("Cancel"), 171, 78, 61, 15);
    ImageButton* yes = l.button(messageid::yes, QStringLiteral("&Yes"), 103, 78, 61, 15);
    ImageButton* no = l.button(messageid::no, QStringLiteral("&No"), 171, 78, 61, 15);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);

    const bool yesNo = buttons == MessageButtons::Yes || buttons == MessageButtons::YesNo;
    ok->setVisible(!yesNo);
    cancel->setVisible(buttons == MessageButtons::OkCancel);
    yes->setVisible(yesNo);
    no->setVisible(buttons == MessageButtons::YesNo);
    // Enter presses whichever of OK and Yes is showing.
    (yesNo ? yes : ok)->setDefault(true);
    (yesNo ? yes : ok)->setFocus();
    growToShow(message);
}

bool MessageDialog::ShowMessage(QWidget* owner, const QString& text, IconKind icon, MessageButtons buttons) {
    MessageDialog dialog(text, icon, buttons, owner);
    return dialog.exec() == QDialog::Accepted;
}
