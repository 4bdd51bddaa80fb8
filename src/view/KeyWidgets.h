// The widgets the window needs beyond Qt's own: a piano key that acts on the mouse
// button going down, a push button that Enter presses, and a picture box.
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <optional>

namespace zv {

// A button that reports every mouse button going down (left, right, middle) before
// doing anything else, so a key sounds on the press, not on the click. It takes no
// focus. After the report the usual button behaviour runs only if the button is
// still enabled (the handler may have locked it).
class KeyButton final : public QPushButton {
public:
    using PressHandler = std::function<void(QMouseEvent& event)>;

    explicit KeyButton(QWidget* parent = nullptr);
    void setPressHandler(PressHandler handler) { onPress_ = std::move(handler); }
    // The key's face colour, drawn flat with a thin border in every state.
    void setFaceColor(const QColor& color);
    QColor faceColor() const { return face_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    PressHandler onPress_;
    QColor face_;
};

// A push button that Enter and the keypad's Enter press while it has the focus,
// exactly as the space bar does: held down while the key is down, clicked when it
// comes up. Qt's own buttons take Enter only as a dialog's default button.
class GameButton final : public QPushButton {
public:
    explicit GameButton(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};

// A box that shows a picture scaled to fit (smoothly, keeping its proportions) over
// its back colour, and printed text from its top left. It takes every mouse press
// on it, so nothing beneath it can be clicked through it.
class PictureBox final : public QWidget {
public:
    using PressHandler = std::function<void(QMouseEvent& event)>;

    explicit PictureBox(QWidget* parent = nullptr);
    void setPressHandler(PressHandler handler) { onPress_ = std::move(handler); }
    void setBackColor(std::optional<QColor> color);
    std::optional<QColor> backColor() const { return back_; }
    void setImage(const QImage& image);
    const QImage& image() const { return image_; }
    void setPrintedText(const QString& text);
    const QString& printedText() const { return printed_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PressHandler onPress_;
    std::optional<QColor> back_;
    QImage image_;
    QPixmap scaled_;  // image_ at the current size in device pixels, made on demand
    QString printed_;
};

}  // namespace zv
