// The image button: its results, its four looks (compared pixel by pixel) and when it lights up.
#include "app/image_button.h"
#include "app/pictures.h"
#include "app/resource_layout.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <optional>

namespace {

// A shown window holding the button under test and a line edit beside it.
class ImageButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The pointer may still rest where an earlier test left it: put it away from every window.
        QCursor::setPos(790, 790);
        host_ = std::make_unique<QWidget>();
        host_->resize(300, 120);
        button_ = new ImageButton(QStringLiteral("Browse"), host_.get());
        button_->setGeometry(20, 20, 107, 24);
        button_->SetFacePictures(faceHover, Qt::white, faceNormal, Qt::white);
        button_->SetPicturePlacement(ImageButton::Over, false);
        edit_ = new QLineEdit(host_.get());
        edit_->setGeometry(20, 70, 100, 24);
        host_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host_.get()));
    }

    QImage look() const { return button_->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QColor colour(QPalette::ColorRole role) const { return button_->palette().color(role); }
    QPoint outside() const { return QPoint(250, 100); }

    std::unique_ptr<QWidget> host_;
    ImageButton* button_ = nullptr;
    QLineEdit* edit_ = nullptr;
};

// The box around the caption's dark pixels, away from the border.
std::optional<QRect> captionBox(const QImage& image) {
    std::optional<QRect> box;
    for (int y = 2; y < image.height() - 2; ++y) {
        for (int x = 2; x < image.width() - 2; ++x) {
            if (qGray(image.pixel(x, y)) < 60) {
                box = box ? box->united(QRect(x, y, 1, 1)) : QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

bool hasColour(const QImage& image, QColor colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).rgb() == colour.rgb()) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(ImageButtonTest, FourLooksDifferFromEachOther) {
    const QImage normal = look();
    QTest::mouseMove(button_, button_->rect().center());
    ASSERT_TRUE(button_->isMouseOver());
    const QImage hover = look();
    QTest::mousePress(button_, Qt::LeftButton, {}, button_->rect().center());
    const QImage pressed = look();
    QTest::mouseRelease(button_, Qt::LeftButton, {}, button_->rect().center());
    button_->setEnabled(false);
    const QImage disabled = look();
    const QImage all[] = {normal, hover, pressed, disabled};
    for (int a = 0; a < 4; ++a) {
        for (int b = a + 1; b < 4; ++b) {
            EXPECT_NE(all[a], all[b]) << a << " and " << b;
        }
    }
}

TEST_F(ImageButtonTest, TheFocusShowsOnTheCaptionWithoutARectangle) {
    QApplication::setActiveWindow(host_.get());
    edit_->setFocus();
    const QImage normal = look();
    button_->setFocus();
    ASSERT_TRUE(button_->hasFocus());
    const QImage focused = look();
    EXPECT_NE(focused, normal);
    EXPECT_EQ(focused.copy(0, 0, focused.width(), 2), normal.copy(0, 0, normal.width(), 2))
        << "top unchanged";
    EXPECT_EQ(focused.copy(0, 0, 2, focused.height()), normal.copy(0, 0, 2, normal.height()))
        << "left unchanged";
}

TEST_F(ImageButtonTest, NormalLookHasNoBorderAndLetsWhiteShowTheButtonFace) {
    const QImage normal = look();
    // The face picture is white at its rounded corners: there the button colour shows.
    EXPECT_EQ(normal.pixelColor(0, 0).rgb(), colour(QPalette::Button).rgb());
    EXPECT_EQ(normal.pixelColor(normal.width() - 1, normal.height() - 1).rgb(),
              colour(QPalette::Button).rgb());
}

TEST_F(ImageButtonTest, HoverIsRaisedAndPressedIsSunken) {
    QTest::mouseMove(button_, button_->rect().center());
    const QImage hover = look();
    EXPECT_EQ(hover.pixelColor(0, 0).rgb(), colour(QPalette::Light).rgb());
    EXPECT_EQ(hover.pixelColor(hover.width() - 1, hover.height() - 1).rgb(), colour(QPalette::Dark).rgb());
    QTest::mousePress(button_, Qt::LeftButton, {}, button_->rect().center());
    const QImage pressed = look();
    EXPECT_EQ(pressed.pixelColor(0, 0).rgb(), colour(QPalette::Dark).rgb());
    EXPECT_EQ(pressed.pixelColor(pressed.width() - 1, pressed.height() - 1).rgb(),
              colour(QPalette::Light).rgb());
    QTest::mouseRelease(button_, Qt::LeftButton, {}, button_->rect().center());
}

TEST_F(ImageButtonTest, PressingMovesTheCaptionOnePixelRightAndDown) {
    QTest::mouseMove(button_, button_->rect().center());
    const auto hover = captionBox(look());
    QTest::mousePress(button_, Qt::LeftButton, {}, button_->rect().center());
    const auto pressed = captionBox(look());
    QTest::mouseRelease(button_, Qt::LeftButton, {}, button_->rect().center());
    ASSERT_TRUE(hover && pressed);
    EXPECT_EQ(*pressed, hover->translated(1, 1));
}

TEST_F(ImageButtonTest, HoverShowsTheHoverPicture) {
    QTest::mouseMove(button_, button_->rect().center());
    const QPoint onFace(4, button_->height() / 2);
    const QColor hoverFace = pictures::render(faceHover, button_->size()).pixelColor(onFace);
    EXPECT_EQ(look().pixelColor(onFace).rgb(), hoverFace.rgb());
    QTest::mouseMove(host_.get(), outside());
    const QColor normalFace = pictures::render(faceNormal, button_->size()).pixelColor(onFace);
    EXPECT_EQ(look().pixelColor(onFace).rgb(), normalFace.rgb());
}

TEST_F(ImageButtonTest, DisabledLookIsEmbossedWithAnEtchedCaption) {
    button_->setEnabled(false);
    const QImage disabled = look();
    // The pale inside of the face is gone; the outline and the caption remain in the two 3D colours.
    EXPECT_EQ(disabled.pixelColor(4, disabled.height() / 2).rgb(), colour(QPalette::Button).rgb());
    EXPECT_TRUE(hasColour(disabled, colour(QPalette::Light)));
    EXPECT_TRUE(hasColour(disabled, colour(QPalette::Dark)));
    EXPECT_FALSE(captionBox(disabled).has_value()) << "no caption in the ordinary text colour";
}

TEST_F(ImageButtonTest, LightsOnlyWhileTheMouseIsOverIt) {
    QTest::mouseMove(button_, button_->rect().center());
    EXPECT_TRUE(button_->isMouseOver());
    QTest::mouseMove(host_.get(), outside());
    EXPECT_FALSE(button_->isMouseOver());
}

TEST_F(ImageButtonTest, ADragStartedElsewhereDoesNotLightIt) {
    QTest::mousePress(host_.get(), Qt::LeftButton, {}, outside());
    QTest::mouseMove(button_, button_->rect().center());
    EXPECT_FALSE(button_->isMouseOver());
    QTest::mouseRelease(host_.get(), Qt::LeftButton, {}, outside());
}

TEST_F(ImageButtonTest, LosingTheFocusOrBeingDisabledPutsItOut) {
    button_->setFocus();
    QTest::mouseMove(button_, button_->rect().center());
    ASSERT_TRUE(button_->isMouseOver());
    edit_->setFocus();
    EXPECT_FALSE(button_->isMouseOver());

    QTest::mouseMove(button_, button_->rect().center() + QPoint(1, 0));
    button_->setFocus();
    button_->setEnabled(false);
    EXPECT_FALSE(button_->isMouseOver());
    EXPECT_FALSE(button_->hasFocus()) << "the focus moves on";
    QTest::mouseMove(button_, button_->rect().center());
    EXPECT_FALSE(button_->isMouseOver()) << "a disabled button never lights";
}

TEST_F(ImageButtonTest, ClickingTakesTheFocusAndClicks) {
    edit_->setFocus();
    int clicks = 0;
    QObject::connect(button_, &QPushButton::clicked, [&clicks] { ++clicks; });
    QTest::mouseClick(button_, Qt::LeftButton, {}, button_->rect().center());
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(button_->hasFocus());
}

TEST(ImageButtonPlacement, AcceptsTheFourPlacementsAndRefusesLargerOnes) {
    ImageButton button(QStringLiteral("x"));
    for (int placement = ImageButton::Beside; placement <= ImageButton::Over; ++placement) {
        EXPECT_EQ(button.SetPicturePlacement(placement, true), 0);
        EXPECT_EQ(button.placement(), placement);
    }
    button.SetPicturePlacement(ImageButton::Above, false);
    for (int refused : {4, 5, 100}) {
        EXPECT_EQ(button.SetPicturePlacement(refused, true), ImageButton::placementRefused);
        EXPECT_EQ(button.placement(), ImageButton::Above) << "unchanged";
    }
}

TEST(ImageButtonFaces, MissingPicturesAreAllowed) {
    struct Case {
        int hover;
        int normal;
        bool picture;
    };
    for (const Case c :
         {Case{faceHover, faceNormal, true}, Case{faceHover, 9999, true}, Case{9999, faceNormal, false}}) {
        ImageButton button(QStringLiteral("x"));
        EXPECT_EQ(button.SetFacePictures(c.hover, Qt::white, c.normal, Qt::white), ImageButton::FaceOk);
        EXPECT_EQ(button.hasFacePicture(), c.picture) << c.hover << "/" << c.normal;
    }
}

TEST(ImageButtonFaces, WithoutANormalPictureTheHoverPictureServesAlways) {
    ImageButton onlyHover(QStringLiteral("x"));
    ImageButton bothHover(QStringLiteral("x"));
    onlyHover.resize(107, 24);
    bothHover.resize(107, 24);
    onlyHover.SetFacePictures(faceHover, Qt::white, 9999, Qt::white);
    bothHover.SetFacePictures(faceHover, Qt::white, faceHover, Qt::white);
    EXPECT_EQ(onlyHover.grab().toImage(), bothHover.grab().toImage());
}

TEST(ImageButtonFaces, WithoutPicturesOnlyTheFaceColourAndCaptionArePainted) {
    ImageButton button(QStringLiteral("x"));
    button.resize(60, 20);
    button.SetFacePictures(9999, Qt::white, 9998, Qt::white);
    const QImage image = button.grab().toImage();
    EXPECT_EQ(image.pixelColor(3, 3).rgb(), button.palette().color(QPalette::Button).rgb());
}

} // namespace
