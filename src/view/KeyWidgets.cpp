#include "view/KeyWidgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace zv {

KeyButton::KeyButton(QWidget* parent) : QPushButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
}

void KeyButton::setFaceColor(const QColor& color) {
    if (color == face_) return;
    face_ = color;
    // Painted by hand (paintEvent) rather than through a style sheet: the game locks
    // and unlocks all 24 keys at once on the sequencer's ticks, and re-polishing 24
    // style sheets there took milliseconds that the next note had to wait for.
    update();
}

void KeyButton::paintEvent(QPaintEvent*) {
    // Flat face in every state (a locked key keeps the grey it was given rather than
    // Qt's disabled look), a thin border, and a held-down shade while pressed.
    const bool dark = face_.lightness() < 96;
    const QColor fill = isDown() ? (dark ? QColor(72, 72, 72) : face_.darker(118)) : face_;
    const QColor border = dark ? QColor(40, 40, 40) : QColor(112, 112, 112);
    QPainter p(this);
    p.fillRect(rect(), border);
    // The border as whole logical pixels, so every scale factor draws the same key.
    p.fillRect(rect().adjusted(1, 1, -1, -1), fill);
}

void KeyButton::mousePressEvent(QMouseEvent* event) {
    QPointer<KeyButton> self(this);
    if (onPress_) onPress_(*event);
    if (self && isEnabled()) QPushButton::mousePressEvent(event);
    event->accept();
}

// A quick second press arrives as a double click; it is a press all the same.
void KeyButton::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

namespace {
bool isEnter(const QKeyEvent& e) { return e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter; }
}  // namespace

GameButton::GameButton(QWidget* parent) : QPushButton(parent) { setAutoDefault(false); }

void GameButton::keyPressEvent(QKeyEvent* event) {
    if (!isEnter(*event)) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // A held Enter presses once, as a held space bar does.
    if (!event->isAutoRepeat()) setDown(true);
    event->accept();
}

void GameButton::keyReleaseEvent(QKeyEvent* event) {
    if (!isEnter(*event)) {
        QPushButton::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || !isDown()) return;
    setDown(false);
    click();
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::NoFocus); }

void PictureBox::setBackColor(std::optional<QColor> color) {
    back_ = color;
    update();
}

void PictureBox::setImage(const QImage& image) {
    image_ = image;
    scaled_ = QPixmap();
    update();
}

void PictureBox::setPrintedText(const QString& text) {
    printed_ = text;
    update();
}

void PictureBox::resizeEvent(QResizeEvent*) { scaled_ = QPixmap(); }

void PictureBox::paintEvent(QPaintEvent*) {
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

void PictureBox::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (onPress_) onPress_(*event);
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void PictureBox::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

}  // namespace zv
