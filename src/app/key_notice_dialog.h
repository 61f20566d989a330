#pragma once
// The notice shown before a layer is decrypted with a private key. Whether it is shown at all,
// and the marker that switches it off, are the pipeline's business.
#include "app/themed_dialog.h"

class QCheckBox;

namespace keynoticeid {
inline constexpr int icon = 1035;
inline constexpr int text = 1019;
inline constexpr int dontShowAgain = 1036;
inline constexpr int ok = 1;
} // namespace keynoticeid

class KeyNoticeDialog : public ThemedDialog {
    Q_OBJECT
public:
    explicit KeyNoticeDialog(QWidget* owner);

    // Modal; true when OK was pressed with "Do not show this dialog again" ticked.
    static bool ShowKeyNotice(QWidget* owner);
    bool dontShowAgain() const;

private:
    QCheckBox* dontShowAgain_;
};
