#pragma once
// The look every dialog of the program shares: caption "Quillbox Reader", the dialog font, a
// fixed size given in dialog units, and a background picture under transparent texts.
#include "app/resource_layout.h"

#include <QDialog>

class QLabel;
class WholeText;

class ThemedDialog : public QDialog {
    Q_OBJECT
public:
    // Background pictures.
    static constexpr int kGradient = 147;    // message and prompt dialogs
    static constexpr int kResultPlate = 174; // signature result dialog
    // Room a dialog leaves on its screen's height for its frame and caption.
    static constexpr int kFrameAllowance = 48;

    ThemedDialog(int widthUnits, int heightUnits, int backgroundId, QWidget* parent);

    const ResourceLayout& layout() const { return layout_; }
    int backgroundId() const { return backgroundId_; }

    // Grows the dialog downwards until text shows whole, at most to the screen's height; the
    // controls below the text move down with the bottom. A text still too long scrolls, but the
    // words after its last path (the question about the file) stay in view below it.
    void growToShow(WholeText* text);
    // Grows a wrapped text, and the dialog below it, until its lines fit: faces differ in height
    // from the one the layout was drawn for.
    void fitLines(QLabel* text);

protected:
    // Dialogs open centred over their owner, with their frame inside the screen and their one-line
    // texts widened to their text.
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Makes grown extra pixels taller; the dialog grows by as much, and the controls below move down.
    void growDownwards(QWidget* grown, int extra);
    void pinWordsAfterPath(WholeText* text);

    int backgroundId_;
    ResourceLayout layout_;
};
