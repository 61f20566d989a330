#pragma once
// Places controls on a dialog or form as its resource layout gives them: by control id, at
// positions and sizes in dialog units. Each control is named "id<number>" so that it can be found.
#include "app/dialog_units.h"

class ImageButton;
class QLabel;
class QLineEdit;
class QWidget;
class WholeText;

QString controlName(int id);

// Pictures of the push-button faces.
inline constexpr int faceHover = 152;
inline constexpr int faceNormal = 153;
// Icons are drawn at the platform's standard icon size.
inline constexpr int iconPixels = 32;

class ResourceLayout {
public:
    ResourceLayout(QWidget* host, const DialogUnits& units) : host_(host), units_(units) {}

    const DialogUnits& units() const { return units_; }

    // Puts widget (a child of the host) at the given place and names it by id.
    template <typename W> W* place(W* widget, int id, int x, int y, int width, int height) const {
        placeWidget(widget, id, x, y, width, height);
        return widget;
    }
    // A static text with a transparent background.
    QLabel* text(int id, const QString& text, int x, int y, int width, int height) const;
    // An icon control showing picture pictureId; its "picture" property holds the number.
    QLabel* icon(int id, int pictureId, int x, int y, int width, int height) const;
    ImageButton* button(int id, const QString& text, int x, int y, int width, int height,
                        int hoverId = faceHover, int normalId = faceNormal) const;
    QLineEdit* edit(int id, int x, int y, int width, int height) const;
    // A static text shown whole (see WholeText), in a scroll area at the given place.
    WholeText* wholeText(int id, const QString& text, int x, int y, int width, int height) const;

private:
    void placeWidget(QWidget* widget, int id, int x, int y, int width, int height) const;

    QWidget* host_;
    DialogUnits units_;
};

// Widens a one-line static text to its text, up to its host's edge, where the face is wider than
// the one the layout was drawn for: a text is not cut (a colon at its end included).
void widenToText(QLabel* label);

// Shows picture pictureId in an icon control made by ResourceLayout::icon.
void setIconPicture(QLabel* icon, int pictureId);
