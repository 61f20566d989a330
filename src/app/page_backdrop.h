#pragma once
// A page of the lower pane: its background picture drawn unscaled from the top-left corner, small
// or large by screen size, with the picture's edge colour beyond it.
#include <QWidget>

class PageBackdrop : public QWidget {
    Q_OBJECT
public:
    // The welcome page's pictures and the form's.
    static constexpr int welcomeSmall = 149;
    static constexpr int welcomeLarge = 167;
    static constexpr int formSmall = 151;
    static constexpr int formLarge = 170;

    PageBackdrop(int smallId, int largeId, QWidget* parent = nullptr);

    int pictureId() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int smallId_;
    int largeId_;
};
