#pragma once
// The program's one message dialog: an icon by kind, the text, and OK / OK+Cancel / Yes / Yes+No.
#include "app/themed_dialog.h"

#include "pipeline/job_ui.h"

class ImageButton;
class QLabel;

// Control ids of the message dialog.
namespace messageid {
inline constexpr int icon = 1017;
inline constexpr int text = 1018;
inline constexpr int ok = 1;
inline constexpr int cancel = 2;
inline constexpr int yes = 1037;
inline constexpr int no = 1008;
} // namespace messageid

// The rows of buttons a message can end with; the job's Buttons plus a lone Yes.
enum class MessageButtons { Ok, OkCancel, Yes, YesNo };

MessageButtons messageButtons(Buttons buttons);

class MessageDialog : public ThemedDialog {
    Q_OBJECT
public:
    MessageDialog(const QString& text, IconKind icon, MessageButtons buttons, QWidget* owner);

    // The icon picture shown for an icon kind; unknown kinds get the yellow warning triangle.
    static int iconFor(IconKind icon);

    // Modal; true when OK or Yes was pressed (Cancel, No, Escape and the close box give false).
    static bool ShowMessage(QWidget* owner, const QString& text, IconKind icon = IconKind::Warning,
                            MessageButtons buttons = MessageButtons::Ok);
};
