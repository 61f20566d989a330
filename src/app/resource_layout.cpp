#include "app/resource_layout.h"

#include "app/image_button.h"
#include "app/pictures.h"
#include "app/whole_text.h"

#include <QLabel>
#include <QLineEdit>

#include <algorithm>

QString controlName(int id) {
    return QStringLiteral("id%1").arg(id);
}

void ResourceLayout::placeWidget(QWidget* widget, int id, int x, int y, int width, int height) const {
    widget->setParent(host_);
    widget->setObjectName(controlName(id));
    widget->setGeometry(units_.rect(x, y, width, height));
}

QLabel* ResourceLayout::text(int id, const QString& text, int x, int y, int width, int height) const {
    auto* label = place(new QLabel(text), id, x, y, width, height);
    label->setAutoFillBackground(false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void widenToText(QLabel* label) {
    const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2 * label->margin() +
                       label->contentsMargins().left() + label->contentsMargins().right();
    // Never past the host's edge, where nothing would show it.
    const QWidget* host = label->parentWidget();
    const int room = host != nullptr && host->width() > label->x() ? host->width() - label->x() : needed;
    label->resize(std::max(label->width(), std::min(needed, room)), label->height());
}

QLabel* ResourceLayout::icon(int id, int pictureId, int x, int y, int width, int height) const {
    auto* label = place(new QLabel, id, x, y, width, height);
    // The control grows to the icon, as icon controls do.
    label->resize(label->size().expandedTo({iconPixels, iconPixels}));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setIconPicture(label, pictureId);
    return label;
}

ImageButton* ResourceLayout::button(int id, const QString& text, int x, int y, int width, int height,
                                    int hoverId, int normalId) const {
    auto* button = place(new ImageButton(text), id, x, y, width, height);
    button->SetFacePictures(hoverId, Qt::white, normalId, Qt::white);
    button->SetPicturePlacement(ImageButton::Over, false);
    return button;
}

QLineEdit* ResourceLayout::edit(int id, int x, int y, int width, int height) const {
    return place(new QLineEdit, id, x, y, width, height);
}

WholeText* ResourceLayout::wholeText(int id, const QString& text, int x, int y, int width, int height) const {
    WholeText* shown = placeWholeText(host_, text, units_.rect(x, y, width, height));
    shown->setObjectName(controlName(id));
    return shown;
}

void setIconPicture(QLabel* icon, int pictureId) {
    icon->setProperty("picture", pictureId);
    icon->setPixmap(pictures::pixmap(pictureId, {iconPixels, iconPixels}));
}
