#pragma once
// The main window's own title bar: the caption background, the window icon, the caption buttons
// and "Brindleway - Quillbox Reader" in white. It also moves the frameless window.
#include <QFont>
#include <QPixmap>
#include <QWidget>

class CaptionBar : public QWidget {
    Q_OBJECT
public:
    enum Button { None = -1, Close = 0, MaximizeRestore = 1, Minimize = 2 };
    // The classic caption metrics the caption pictures are drawn for.
    static constexpr int captionHeight = 19;
    static constexpr int border = 1;
    static constexpr int buttonWidth = 18;
    static constexpr int buttonHeight = 18;

    explicit CaptionBar(QWidget* window);

    QRect buttonRect(Button button) const;
    QRect textRect() const;
    // The picture on a caption button (close 143, restore 142, maximize 144, minimize 141).
    int buttonPicture(Button button) const;
    int backgroundId() const;
    bool isActiveLook() const { return active_; }
    // The caption as it is painted now.
    QPixmap captionPicture();

    static QString companyWord() { return QStringLiteral("Brindleway"); }
    static QString titleText() { return QStringLiteral("- Quillbox Reader "); }

signals:
    void closeRequested();
    void maximizeRestoreRequested();
    void minimizeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    Button buttonAt(QPoint position) const;
    QPixmap buildPicture(bool active);
    void forgetPictures();
    void fonts();

    QWidget* window_;
    bool active_ = false;
    QPixmap activePicture_;
    QPixmap inactivePicture_;
    QSize pictureSize_;
    QFont companyFont_;
    QFont titleFont_;
    bool fontsReady_ = false;
    Button pressed_ = None;
    QPoint dragOffset_;
    bool dragging_ = false;
};
