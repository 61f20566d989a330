#include "app/message_dialog.h"

#include "app/image_button.h"

#include <QLabel>

int MessageDialog::iconFor(int kind) {
    switch (kind) {
    case 1:
        return 160; // red triangle with exclamation mark
    case 2:
        return 162; // orange circle with exclamation mark
    case 3:
        return 159; // red circle with white cross
    case 4:
        return 165; // document with magnifying glass
    case 5:
        return 166; // padlock with key
    case 6:
        return 164; // green circle with tick
    case 8:
        return 163; // certificate with pen
    case 9:
        return 173; // speech bubble with "i"
    default:
        return 161; // yellow triangle with exclamation mark
    }
}

MessageDialog::MessageDialog(const QString& text, int kind, bool withCancel, bool yesNo, bool withNo,
                             QWidget* owner)
    : ThemedDialog(262, 106, kGradient, owner) {
    const ResourceLayout& l = layout();
    l.icon(messageid::icon, iconFor(kind), 7, 7, 20, 20);
    QLabel* message = l.text(messageid::text, text, 45, 14, 198, 48);
    message->setWordWrap(true);

    ImageButton* ok = l.button(messageid::ok, QStringLiteral("OK"), 102, 78, 61, 15);
    ImageButton* cancel = l.button(messageid::cancel, QStringLiteral("Cancel"), 171, 78, 61, 15);
    ImageButton* yes = l.button(messageid::yes, QStringLiteral("&Yes"), 103, 78, 61, 15);
    ImageButton* no = l.button(messageid::no, QStringLiteral("&No"), 171, 78, 61, 15);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);

    ok->setVisible(!yesNo);
    cancel->setVisible(!yesNo && withCancel);
    yes->setVisible(yesNo);
    no->setVisible(yesNo && withNo);
    // Enter presses whichever of OK and Yes is showing.
    (yesNo ? yes : ok)->setDefault(true);
    (yesNo ? yes : ok)->setFocus();
}

bool MessageDialog::ShowMessage(QWidget* owner, const QString& text, int kind, bool withCancel, bool yesNo,
                                bool withNo) {
    MessageDialog dialog(text, kind, withCancel, yesNo, withNo, owner);
    return dialog.exec() == QDialog::Accepted;
}
