#include "window/QtControls.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace zv {

QtKeyButton::QtKeyButton(QWidget* parent) : QPushButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
}

void QtKeyButton::setFaceColor(const QColor& color) {
    face_ = color;
    // A dark key lightens when held down, a light one darkens.
    const QColor down = color.lightness() < 96 ? QColor(72, 72, 72) : color.darker(118);
    const QColor border = color.lightness() < 96 ? QColor(40, 40, 40) : QColor(112, 112, 112);
    // A style sheet rather than the palette: the colour then shows on every style,
    // and a disabled key keeps the grey it was given instead of Qt's disabled look.
    setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid %2; border-radius: 0px; }"
                                 "QPushButton:disabled { background-color: %1; border: 1px solid %2; }"
                                 "QPushButton:pressed { background-color: %3; }")
                      .arg(color.name(), border.name(), down.name()));
}

void QtKeyButton::mousePressEvent(QMouseEvent* event) {
    QPointer<QtKeyButton> self(this);
    if (onPress_) onPress_(*event);
    if (self && isEnabled()) QPushButton::mousePressEvent(event);
    event->accept();
}

// A quick second press arrives as a double click; it is a press all the same.
void QtKeyButton::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

QtPictureBox::QtPictureBox(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::NoFocus); }

void QtPictureBox::setBackColor(std::optional<QColor> color) {
    back_ = color;
    update();
}

void QtPictureBox::setImage(const QImage& image) {
    image_ = image;
    scaled_ = QPixmap();
    update();
}

void QtPictureBox::setPrintedText(const QString& text) {
    printed_ = text;
    update();
}

void QtPictureBox::resizeEvent(QResizeEvent*) { scaled_ = QPixmap(); }

void QtPictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (back_) p.fillRect(rect(), *back_);
    if (!image_.isNull() && width() > 0 && height() > 0) {
        // The picture is scaled once to the box's size in device pixels: on a screen
        // with 2 device pixels per pixel it is drawn from the source at that
        // resolution, not as an enlarged copy of a small one. Made again when the
        // window moves to a screen of another ratio.
        const qreal ratio = devicePixelRatioF();
        const QSize device(qRound(width() * ratio), qRound(height() * ratio));
        if (scaled_.isNull() || scaled_.devicePixelRatio() != ratio) {
            QImage img = image_.scaled(device, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            img.setDevicePixelRatio(ratio);
            scaled_ = QPixmap::fromImage(std::move(img));
        }
        // Centred on whole device pixels, so the picture is copied 1:1 and stays sharp.
        const int dx = (device.width() - scaled_.width()) / 2, dy = (device.height() - scaled_.height()) / 2;
        p.drawPixmap(QPointF(dx / ratio, dy / ratio), scaled_);
    }
    if (!printed_.isEmpty()) {
        p.setFont(font());
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, printed_);
    }
}

void QtPictureBox::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (onPress_) onPress_(*event);
}

void QtPictureBox::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void QtPictureBox::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

}  // namespace zv
