#include "controls/ControlTable.h"

#include <algorithm>
#include <stdexcept>

namespace zv {

const char* roleName(ControlRole role) {
    switch (role) {
    case ControlRole::WhiteKey: return "whiteKey";
    case ControlRole::BlackKey: return "blackKey";
    case ControlRole::NotePlate: return "notePlate";
    case ControlRole::WhiteKeyMark: return "whiteKeyMark";
    case ControlRole::BlackKeyMark: return "blackKeyMark";
    case ControlRole::StartStopButton: return "startStopButton";
    case ControlRole::ReplayButton: return "replayButton";
    case ControlRole::ShowAnswerButton: return "showAnswerButton";
    case ControlRole::NextQuestionButton: return "nextQuestionButton";
    case ControlRole::ModeFrame: return "modeFrame";
    case ControlRole::ModeOption: return "modeOption";
    case ControlRole::DifficultyFrame: return "difficultyFrame";
    case ControlRole::DifficultyOption: return "difficultyOption";
    case ControlRole::KeyRangeFrame: return "keyRangeFrame";
    case ControlRole::KeyRangeOption: return "keyRangeOption";
    case ControlRole::TimeLimitFrame: return "timeLimitFrame";
    case ControlRole::TimeLimitBar: return "timeLimitBar";
    case ControlRole::LimitLabel: return "limitLabel";
    case ControlRole::NoLimitCheck: return "noLimitCheck";
    case ControlRole::NoteNamesCheck: return "noteNamesCheck";
    case ControlRole::AskDemonstrationCheck: return "askDemonstrationCheck";
    case ControlRole::RightsLabel: return "rightsLabel";
    case ControlRole::ScoreSeparator: return "scoreSeparator";
    case ControlRole::QuestionsLabel: return "questionsLabel";
    case ControlRole::CountdownLabel: return "countdownLabel";
    case ControlRole::Banner: return "banner";
    case ControlRole::BannerText: return "bannerText";
    case ControlRole::VerdictPicture: return "verdictPicture";
    case ControlRole::StoredPicture: return "storedPicture";
    }
    return "control";
}

const char* kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Button: return "button";
    case ControlKind::Label: return "label";
    case ControlKind::Frame: return "frame";
    case ControlKind::OptionButton: return "option";
    case ControlKind::CheckBox: return "check";
    case ControlKind::PictureBox: return "picture";
    case ControlKind::VerticalScrollBar: return "scrollBar";
    }
    return "control";
}

const char* propName(Prop prop) {
    switch (prop) {
    case Prop::Caption: return "caption";
    case Prop::Visible: return "visible";
    case Prop::Enabled: return "enabled";
    case Prop::Geometry: return "geometry";
    case Prop::BackColor: return "backColor";
    case Prop::Value: return "value";
    case Prop::Picture: return "picture";
    case Prop::PrintedText: return "printedText";
    case Prop::AccessibleName: return "accessibleName";
    }
    return "";
}

Control::Control(ControlTable& owner, ControlRole role, int index, ControlKind kind, Control* container)
    : owner_(owner), role_(role), index_(index), kind_(kind), container_(container) {}

std::string Control::id() const {
    const std::string name = roleName(role_);
    return index_ < 0 ? name : name + "(" + std::to_string(index_) + ")";
}

void Control::changed(Prop p) { owner_.notify(*this, p); }

void Control::setAccessibleName(std::string name, std::string description) {
    if (name == accessibleName_ && description == description_) return;
    accessibleName_ = std::move(name);
    description_ = std::move(description);
    changed(Prop::AccessibleName);
}

void Control::setCaption(std::string text) {
    if (text == caption_) return;
    caption_ = std::move(text);
    changed(Prop::Caption);
}

void Control::setFlag(bool Control::*flag, bool on, Prop p) {
    if (on == this->*flag) return;
    this->*flag = on;
    changed(p);
}

bool Control::flagUpToWindow(bool Control::*flag) const {
    for (const Control* c = this; c; c = c->container_)
        if (!(c->*flag)) return false;
    return true;
}

void Control::setVisible(bool on) { setFlag(&Control::visible_, on, Prop::Visible); }

bool Control::shownOnScreen() const { return flagUpToWindow(&Control::visible_); }

void Control::setEnabled(bool on) { setFlag(&Control::enabled_, on, Prop::Enabled); }

bool Control::effectivelyEnabled() const { return flagUpToWindow(&Control::enabled_); }

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
    if (kind_ == ControlKind::VerticalScrollBar) v = std::clamp(v, min_, max_);
    if (kind_ == ControlKind::OptionButton || kind_ == ControlKind::CheckBox) v = v ? 1 : 0;
    if (v == value_) return;
    value_ = v;
    changed(Prop::Value);
    // Option buttons of one role in one container form a group: one selected at a time.
    if (kind_ == ControlKind::OptionButton && v) {
        for (auto& other : owner_.controls_)
            if (other.get() != this && other->kind_ == ControlKind::OptionButton && other->role_ == role_ &&
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

Control& ControlTable::add(ControlRole role, int index, ControlKind kind, Control* container) {
    controls_.push_back(std::make_unique<Control>(*this, role, index, kind, container));
    return *controls_.back();
}

Control* ControlTable::find(ControlRole role, int index) {
    for (auto& c : controls_)
        if (c->role() == role && c->index() == index) return c.get();
    return nullptr;
}

const Control* ControlTable::find(ControlRole role, int index) const {
    return const_cast<ControlTable*>(this)->find(role, index);
}

Control& ControlTable::at(ControlRole role, int index) {
    if (Control* c = find(role, index)) return *c;
    throw std::out_of_range(std::string("no control ") + roleName(role) + "(" + std::to_string(index) + ")");
}

const Control& ControlTable::at(ControlRole role, int index) const {
    return const_cast<ControlTable*>(this)->at(role, index);
}

void ControlTable::focusWindow() {
    if (focusListener_) focusListener_();
}

}  // namespace zv
