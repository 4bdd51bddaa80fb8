#include "window/ControlTable.h"

#include <algorithm>
#include <stdexcept>

namespace zv {

Control::Control(ControlTable& owner, std::string name, int index, ControlKind kind, Control* container)
    : owner_(owner), name_(std::move(name)), index_(index), kind_(kind), container_(container) {}

std::string Control::id() const {
    return index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")";
}

void Control::changed(Prop p) { owner_.notify(*this, p); }

void Control::setCaption(std::string text) {
    if (text == caption_) return;
    caption_ = std::move(text);
    changed(Prop::Caption);
}

void Control::setVisible(bool on) {
    if (on == visible_) return;
    visible_ = on;
    changed(Prop::Visible);
}

bool Control::shownOnScreen() const {
    for (const Control* c = this; c; c = c->container_)
        if (!c->visible_) return false;
    return true;
}

void Control::setEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    changed(Prop::Enabled);
}

bool Control::effectivelyEnabled() const {
    for (const Control* c = this; c; c = c->container_)
        if (!c->enabled_) return false;
    return true;
}

void Control::setGeometry(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    changed(Prop::Geometry);
}

void Control::setLeft(int left) {
    if (left == left_) return;
    left_ = left;
    changed(Prop::Geometry);
}

void Control::setBackColor(Rgb c) {
    if (hasBackColor_ && c == backColor_) return;
    hasBackColor_ = true;
    backColor_ = c;
    changed(Prop::BackColor);
}

void Control::setValue(int v) {
    if (kind_ == ControlKind::VScrollBar) v = std::clamp(v, min_, max_);
    if (kind_ == ControlKind::OptionButton || kind_ == ControlKind::CheckBox) v = v ? 1 : 0;
    if (v == value_) return;
    value_ = v;
    changed(Prop::Value);
    // Option buttons of one array in one container form a group: one selected at a time.
    if (kind_ == ControlKind::OptionButton && v) {
        for (auto& other : owner_.controls_)
            if (other.get() != this && other->kind_ == ControlKind::OptionButton && other->name_ == name_ &&
                other->container_ == container_ && other->value_) {
                other->value_ = 0;
                other->changed(Prop::Value);
            }
    }
}

void Control::setRange(int min, int max, int smallChange, int largeChange) {
    min_ = min;
    max_ = max;
    smallChange_ = smallChange;
    largeChange_ = largeChange;
    value_ = std::clamp(value_, min_, max_);
}

void Control::setPicture(std::shared_ptr<const Picture> p) {
    if (p == picture_) return;
    picture_ = std::move(p);
    changed(Prop::Picture);
}

void Control::printText(const std::string& text) {
    printedText_ += text;
    changed(Prop::PrintedText);
}

Control& ControlTable::add(const std::string& name, int index, ControlKind kind, Control* container) {
    controls_.push_back(std::make_unique<Control>(*this, name, index, kind, container));
    return *controls_.back();
}

Control* ControlTable::find(const std::string& name, int index) {
    for (auto& c : controls_)
        if (c->name() == name && c->index() == index) return c.get();
    return nullptr;
}

Control& ControlTable::at(const std::string& name, int index) {
    if (Control* c = find(name, index)) return *c;
    throw std::out_of_range("no control " + name + "(" + std::to_string(index) + ")");
}

const Control& ControlTable::at(const std::string& name, int index) const {
    return const_cast<ControlTable*>(this)->at(name, index);
}

void ControlTable::focusWindow() {
    if (focusListener_) focusListener_();
}

namespace {

Control& place(Control& c, int left, int top, int width, int height) {
    c.setGeometry(left, top, width, height);
    return c;
}

}  // namespace

std::unique_ptr<ControlTable> ControlTable::createMainWindow() {
    auto t = std::make_unique<ControlTable>();
    t->setFormWidth(9525);
    using K = ControlKind;
    const FontSpec score{27.75, 700};

    // Labels first: they are drawn on their container's surface, beneath every
    // button, frame and picture box that covers them.
    for (int i = 0; i < 14; ++i) place(t->add("Label7", i, K::Label), 645 + 600 * i, 2520, 600, 210);
    static constexpr int kLabel8Left[10] = {960, 1575, 2790, 3405, 4005, 5145, 5790, 6975, 7590, 8175};
    for (int i = 0; i < 10; ++i) place(t->add("Label8", i, K::Label), kLabel8Left[i], 45, i == 0 ? 585 : 555, 210);
    struct ScoreLabel {
        const char* name;
        const char* caption;
        int left, top, width;
    };
    for (auto s : {ScoreLabel{"Label3", "0", 5400, 2865, 690}, ScoreLabel{"Label5", "/", 6150, 2865, 315},
                   ScoreLabel{"Label4", "0", 6330, 2865, 690}, ScoreLabel{"Label2", "30", 6015, 3705, 855}}) {
        Control& l = place(t->add(s.name, -1, K::Label), s.left, s.top, s.width, 600);
        l.setCaption(s.caption);
        l.setFont(score);
        l.setVisible(false);
    }

    // The piano: white keys, then black keys and plates above them.
    for (int i = 0; i < 14; ++i) {
        Control& k = place(t->add("Command1", i, K::Button), 450 + 600 * i, 285, 600, 2190);
        k.setBackColor(colors::White);
    }
    static constexpr int kBlackLeft[10] = {840, 1455, 2640, 3255, 3855, 5010, 5655, 6825, 7440, 8025};
    for (int i = 0; i < 10; ++i) {
        Control& k = place(t->add("Command2", i, K::Button), kBlackLeft[i], 270, 390, (i == 2 || i == 3) ? 1275 : 1260);
        k.setBackColor(colors::Black);
    }
    for (int i = 0; i < 14; ++i) {
        Control& p = place(t->add("Picture3", i, K::PictureBox), 645 + 600 * i, 2160, (i == 3 || i == 10) ? 300 : 210, 210);
        p.setVisible(false);
        // Plate 0 is designed in the window colour; the load step paints every plate white.
        if (i != 0) p.setBackColor(colors::White);
    }

    // Settings row.
    Control& frame2 = place(t->add("Frame2", -1, K::Frame), 345, 2835, 1515, 1080);
    frame2.setCaption("MODE ");
    place(t->add("Option2", 0, K::OptionButton, &frame2), 150, 240, 1230, 330).setCaption("メロディー");
    place(t->add("Option2", 1, K::OptionButton, &frame2), 150, 705, 1230, 330).setCaption("単音");
    t->at("Option2", 0).setValue(1);

    Control& frame1 = place(t->add("Frame1", -1, K::Frame), 1950, 2835, 1320, 1080);
    frame1.setCaption("難易度");
    struct Difficulty {
        const char* caption;
        const char* tip;
        int top;
    };
    const Difficulty difficulties[3] = {{"Easy", "3メロディー", 270}, {"Nomal", "5メロディー", 510}, {"Difficult ", "8メロディー", 765}};
    for (int i = 0; i < 3; ++i) {
        Control& o = place(t->add("Option1", i, K::OptionButton, &frame1), 180, difficulties[i].top, 915, 225);
        o.setCaption(difficulties[i].caption);
        o.setToolTip(difficulties[i].tip);
    }
    t->at("Option1", 1).setValue(1);

    Control& frame5 = place(t->add("Frame5", -1, K::Frame), 3405, 2850, 2115, 1425);
    frame5.setCaption("詳細設定");
    const char* ranges[4] = {"全鍵盤使用", "白鍵盤のみ", "1オクターブのみ", "１オクターブの白鍵盤"};
    static constexpr int kRangeTop[4] = {255, 525, 810, 1095};
    for (int i = 0; i < 4; ++i) place(t->add("Option3", i, K::OptionButton, &frame5), 135, kRangeTop[i], 1935, 240).setCaption(ranges[i]);
    t->at("Option3", 0).setValue(1);

    Control& frame4 = place(t->add("Frame4", -1, K::Frame), 5595, 2850, 1695, 1425);
    frame4.setCaption("制限時間設定");
    Control& scroll = place(t->add("VScroll1", -1, K::VScrollBar, &frame4), 105, 225, 360, 1095);
    // Top end is the longest limit (90 s), bottom the shortest (10 s): moving the
    // thumb up lengthens the limit, and every limit has at most two digits.
    scroll.setRange(10, 90, 1, 10);
    scroll.setValue(70);
    Control& label6 = place(t->add("Label6", -1, K::Label, &frame4), 600, 405, 870, 705);
    label6.setCaption("30");
    label6.setFont({36, 400});
    place(t->add("Check1", -1, K::CheckBox, &frame4), 675, 1140, 945, 195).setCaption("無制限");

    Control& check2 = place(t->add("Check2", -1, K::CheckBox), 510, 4005, 1185, 255);
    check2.setCaption("音階表示");
    check2.setToolTip("鍵盤にドレミを表示させます\u3000(プレイ中に変更も可能)");
    Control& check3 = place(t->add("Check3", -1, K::CheckBox), 1815, 4005, 1575, 255);
    check3.setCaption("正解確認");
    check3.setToolTip("問題ごとに正解を表示するかどうか尋ねます\u3000(プレイ中に変更も可能)");

    // Game buttons.
    place(t->add("Command3", -1, K::Button), 7320, 3735, 1830, 510).setCaption("START");
    Control& replay = place(t->add("Command4", -1, K::Button), 7320, 3045, 1830, 510);
    replay.setCaption("REPLAY");
    replay.setVisible(false);
    Control& show = place(t->add("Command5", 0, K::Button), 7320, 3045, 915, 495);
    show.setCaption("正解表示");
    show.setVisible(false);
    Control& next = place(t->add("Command5", 1, K::Button), 8235, 3045, 915, 495);
    next.setCaption("次の問題");
    next.setVisible(false);

    // The banner lies above the settings frames, the result picture above every key.
    Control& frame3 = place(t->add("Frame3", -1, K::Frame), 9525, 2655, 5505, 1710);
    frame3.setVisible(false);
    Control& label1 = place(t->add("Label1", -1, K::Label, &frame3), 270, 165, 4905, 1500);
    label1.setCaption("START!");
    label1.setFont({72, 400});

    Control& picture1 = place(t->add("Picture1", -1, K::PictureBox), 2985, 270, 3300, 2190);
    picture1.setVisible(false);
    place(t->add("Picture2", 0, K::PictureBox, &picture1), 2715, 1830, 225, 180).setVisible(false);
    place(t->add("Picture2", 1, K::PictureBox, &picture1), 2985, 1815, 225, 180).setVisible(false);
    place(t->add("Picture2", 2, K::PictureBox, &picture1), 2985, 1560, 225, 180).setVisible(false);
    return t;
}

}  // namespace zv
