#pragma once
// The look every dialog of the program shares: caption "Quillbox Reader", the dialog font, a
// fixed size given in dialog units, and a background picture under transparent texts.
#include "app/resource_layout.h"

#include <QDialog>

class WholeText;

class ThemedDialog : public QDialog {
    Q_OBJECT
public:
    // Background pictures.
    static constexpr int kGradient = 147;    // message and prompt dialogs
    static constexpr int kResultPlate = 174; // signature result dialog

    ThemedDialog(int widthUnits, int heightUnits, int backgroundId, QWidget* parent);

    const ResourceLayout& layout() const { return layout_; }
    int backgroundId() const { return backgroundId_; }

    // Grows the dialog downwards until text shows whole, at most to the screen's height (the rest
    // scrolls); the controls below the text move down with the bottom.
    void growToShow(WholeText* text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int backgroundId_;
    ResourceLayout layout_;
};
