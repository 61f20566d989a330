#pragma once
// A flat push button drawn by the program: a face picture (white shows through), another picture
// while the mouse is over it or it is pressed, a thin raised or sunken border, and an embossed
// look when disabled.
#include <QColor>
#include <QImage>
#include <QPushButton>

class ImageButton : public QPushButton {
    Q_OBJECT
public:
    enum Placement { Beside = 0, Above = 1, Right = 2, Over = 3 };
    // SetFacePictures results.
    enum FaceResult { FaceOk = 0, FaceNoSize = 1, FaceNoMask = 2 };
    // SetPicturePlacement refuses placements above Over with this result.
    static constexpr int placementRefused = 4;

    explicit ImageButton(const QString& text, QWidget* parent = nullptr);

    // Loads the hover and normal pictures; without a normal picture the hover one serves in every
    // state, without a hover picture the button has no picture at all.
    int SetFacePictures(int hoverId, QColor hoverTransparent, int normalId, QColor normalTransparent);
    int SetPicturePlacement(int placement, bool repaint);

    bool isMouseOver() const { return mouseOver_; }
    Placement placement() const { return placement_; }
    bool hasFacePicture() const { return !hover_.source.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Enter presses the focused button, as Space does, in dialogs and on the form alike.
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Face {
        int id = 0;
        QColor transparent;
        QImage source; // at its natural size, transparent colour already cleared
        QImage scaled; // the source drawn to the button's size (placement over)
    };

    void setMouseOver(bool over);
    const QImage& faceFor(Face& face);
    QRect pictureRect(QSize pictureSize, QRect bounds) const;
    QRect captionRect(QSize pictureSize, QRect bounds) const;
    void paintEmbossed(QPainter& painter, const QImage& picture, QPoint at) const;
    void paintCaption(QPainter& painter, QRect rect) const;

    Face hover_;
    Face normal_;
    Placement placement_ = Over;
    bool mouseOver_ = false;
};
