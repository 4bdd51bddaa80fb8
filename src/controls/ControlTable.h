// The window's controls as plain data: every control of the main window with its
// role, index in its row, container, caption, geometry (twips), colours, fonts,
// value, tool tip and visibility. The game reads and writes controls only through
// this table, so it runs and is checked without any widget; the view (view/)
// mirrors each change onto real widgets through the Listener.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/ControlRole.h"
#include "controls/PlayerTexts.h"

namespace zv {

struct Picture;

enum class ControlKind { Button, Label, Frame, OptionButton, CheckBox, PictureBox, VerticalScrollBar };
// A stable name of a kind for a view that is not C++: "button", "option", "scrollBar".
const char* kindName(ControlKind kind);

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace colors {
inline constexpr Rgb White{255, 255, 255};
inline constexpr Rgb Black{0, 0, 0};
inline constexpr Rgb LightGrey{192, 192, 192};
inline constexpr Rgb Grey{160, 160, 160};
inline constexpr Rgb Blue{0, 0, 255};
}  // namespace colors

// A font of the window. points == 0 means the window's default font.
struct FontSpec {
    double points = 0;
    int weight = 400;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// What changed on a control; the view applies just that property.
enum class Prop { Caption, Visible, Enabled, Geometry, BackColor, Value, Picture, PrintedText, AccessibleName };
// The same for a property: "caption", "visible", ...
const char* propName(Prop prop);

class ControlTable;

class Control {
public:
    Control(ControlTable& owner, ControlRole role, int index, ControlKind kind, Control* container);

    ControlRole role() const { return role_; }
    int index() const { return index_; }  // -1 when the control is not part of a row
    std::string id() const;               // "whiteKey(3)" or "banner"
    ControlKind kind() const { return kind_; }
    Control* container() const { return container_; }

    const std::string& caption() const { return caption_; }
    void setCaption(std::string text);

    bool visible() const { return visible_; }
    void setVisible(bool on);
    // Shown on screen: itself and every container visible.
    bool shownOnScreen() const;

    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    // Usable by the player: itself and every container enabled.
    bool effectivelyEnabled() const;

    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void setGeometry(int left, int top, int width, int height);
    void setLeft(int left);

    bool hasBackColor() const { return hasBackColor_; }
    Rgb backColor() const { return backColor_; }
    void setBackColor(Rgb c);

    // Option button: 0/1, exclusive among the options of the same role in the same
    // container. Check box: 0/1. Scroll bar: the position, clamped to [min, max].
    int value() const { return value_; }
    void setValue(int v);
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    int smallChange() const { return smallChange_; }
    int largeChange() const { return largeChange_; }
    void setRange(int min, int max, int smallChange, int largeChange);

    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string tip) { toolTip_ = std::move(tip); }

    // What a screen reader says of a control that shows no text of its own (a key, a
    // picture, the bar), and its longer description; empty: its caption.
    const std::string& accessibleName() const { return accessibleName_; }
    const std::string& description() const { return description_; }
    void setAccessibleName(std::string name, std::string description = {});

    // The control's place in the order Tab moves the focus in; -1 for a control that
    // never takes the focus from the keyboard.
    int tabOrder() const { return tabOrder_; }
    void setTabOrder(int order) { tabOrder_ = order; }

    const FontSpec& font() const { return font_; }
    void setFont(FontSpec f) { font_ = f; }

    // Picture boxes: the picture shown (null for none) and text printed on the box.
    const std::shared_ptr<const Picture>& picture() const { return picture_; }
    void setPicture(std::shared_ptr<const Picture> p);
    const std::string& printedText() const { return printedText_; }
    void printText(const std::string& text);

private:
    void changed(Prop p);
    void setFlag(bool Control::*flag, bool on, Prop p);
    // The flag is set on this control and on every container around it.
    bool flagUpToWindow(bool Control::*flag) const;

    ControlTable& owner_;
    ControlRole role_;
    int index_;
    ControlKind kind_;
    Control* container_;
    std::string caption_;
    bool visible_ = true;
    bool enabled_ = true;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool hasBackColor_ = false;
    Rgb backColor_{};
    int value_ = 0;
    int min_ = 0, max_ = 32767, smallChange_ = 1, largeChange_ = 1;
    std::string toolTip_;
    std::string accessibleName_, description_;
    int tabOrder_ = -1;
    FontSpec font_;
    std::shared_ptr<const Picture> picture_;
    std::string printedText_;
};

class ControlTable {
public:
    using Listener = std::function<void(Control&, Prop)>;

    // The window's client area in twips and its caption.
    static constexpr int kClientWidth = 9285;
    static constexpr int kClientHeight = 4365;
    static constexpr const char* kCaption = texts::kWindowCaption;

    // Builds every control of the main window in its state when the window opens,
    // in stacking order (later controls lie above earlier ones in one container).
    static std::unique_ptr<ControlTable> createMainWindow();

    ControlTable() = default;
    ControlTable(const ControlTable&) = delete;
    ControlTable& operator=(const ControlTable&) = delete;

    Control& add(ControlRole role, int index, ControlKind kind, Control* container = nullptr);

    // Lookup by role and index (-1 for a single control). Throws std::out_of_range for
    // a control that does not exist: such a lookup is always a programming error.
    Control& at(ControlRole role, int index = -1);
    const Control& at(ControlRole role, int index = -1) const;
    Control* find(ControlRole role, int index = -1);
    const Control* find(ControlRole role, int index = -1) const;

    const std::vector<std::unique_ptr<Control>>& all() const { return controls_; }

    // The window's outer width in twips (client area plus frame); the banner parks there.
    int outerWidth() const { return outerWidth_; }
    void setOuterWidth(int twips) { outerWidth_ = twips; }

    void setListener(Listener l) { listener_ = std::move(l); }
    // Keyboard focus to the window itself (key presses still reach the key handler).
    void focusWindow();
    void setFocusListener(std::function<void()> f) { focusListener_ = std::move(f); }

private:
    friend class Control;
    void notify(Control& c, Prop p) {
        if (listener_) listener_(c, p);
    }

    std::vector<std::unique_ptr<Control>> controls_;
    Listener listener_;
    std::function<void()> focusListener_;
    int outerWidth_ = kClientWidth + 2 * 60;  // a fixed-size dialog frame is about 4 px a side
};

}  // namespace zv
