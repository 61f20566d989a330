#pragma once
// The program's one message dialog: an icon by kind, the text, and OK / OK+Cancel / Yes / Yes+No.
#include "app/themed_dialog.h"

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

class MessageDialog : public ThemedDialog {
    Q_OBJECT
public:
    MessageDialog(const QString& text, int kind, bool withCancel, bool yesNo, bool withNo, QWidget* owner);

    // The icon picture shown for an icon kind; unknown kinds get the yellow warning triangle.
    static int iconFor(int kind);

    // Modal; true when OK or Yes was pressed (Cancel, No, Escape and the close box give false).
    static bool ShowMessage(QWidget* owner, const QString& text, int kind = 0, bool withCancel = false,
                            bool yesNo = false, bool withNo = false);
};
