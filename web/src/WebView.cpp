#include "WebView.h"

#include <emscripten.h>

#include <cstdio>

#include "platform/web/WebServices.h"

// clang-format off
EM_JS(void, zvControlChanged, (int number, int prop, const char* json),
      { Module.view.changed(number, prop, UTF8ToString(json)); });
EM_JS(void, zvFocusWindow, (), { Module.view.focusWindow(); });
// clang-format on

namespace zv {

namespace {

void appendJsonString(std::string& out, const std::string& s) {
    out += '"';
    for (const unsigned char ch : s) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", ch);
            out += buf;
        } else {
            out += static_cast<char>(ch);
        }
    }
    out += '"';
}

void field(std::string& out, const char* name, int v) {
    out += '"';
    out += name;
    out += "\":" + std::to_string(v) + ',';
}

void field(std::string& out, const char* name, const std::string& v) {
    out += '"';
    out += name;
    out += "\":";
    appendJsonString(out, v);
    out += ',';
}

std::string hexColor(Rgb c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.r, c.g, c.b);
    return buf;
}

}  // namespace

WebView::WebView(ControlTable& table, WindowEvents& events) : table_(table), events_(events) {
    table_.setListener([this](Control& c, Prop p) {
        zvControlChanged(numberOf(&c), static_cast<int>(p), describe(c).c_str());
    });
    table_.setFocusListener([] { zvFocusWindow(); });
}

WebView::~WebView() {
    table_.setListener(nullptr);
    table_.setFocusListener(nullptr);
}

int WebView::numberOf(const Control* c) const {
    const auto& all = table_.all();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].get() == c) return static_cast<int>(i);
    return -1;
}

std::string WebView::describe(const Control& c) const {
    std::string out = "{";
    field(out, "id", c.id());
    field(out, "role", roleName(c.role()));
    field(out, "index", c.index());
    field(out, "kind", static_cast<int>(c.kind()));
    field(out, "parent", numberOf(c.container()));
    field(out, "caption", c.caption());
    field(out, "left", c.left());
    field(out, "top", c.top());
    field(out, "width", c.width());
    field(out, "height", c.height());
    field(out, "back", c.hasBackColor() ? hexColor(c.backColor()) : std::string());
    field(out, "value", c.value());
    field(out, "min", c.minimum());
    field(out, "max", c.maximum());
    field(out, "smallChange", c.smallChange());
    field(out, "largeChange", c.largeChange());
    field(out, "tip", c.toolTip());
    field(out, "points10", static_cast<int>(c.font().points * 10));
    field(out, "weight", c.font().weight);
    field(out, "visible", c.visible() ? 1 : 0);
    field(out, "enabled", c.enabled() ? 1 : 0);
    const auto* picture = dynamic_cast<const WebPicture*>(c.picture().get());
    field(out, "picture", picture ? picture->number : -1);
    field(out, "printed", c.printedText());
    out.back() = '}';
    return out;
}

std::string WebView::describeAll() const {
    std::string out = "[";
    for (const auto& c : table_.all()) out += describe(*c) + ',';
    if (out.size() > 1) out.pop_back();
    return out + "]";
}

void WebView::act(PageAction action, int index, const MouseDown& mouse, int value) {
    // Options, check boxes and the bar hold the new value before their handler runs,
    // as the desktop view stores it.
    auto store = [&](ControlRole role, int i) {
        if (Control* c = table_.find(role, i)) c->setValue(value);
    };
    // A check box or the bar: the new value, then its handler, if it has one.
    auto set = [&](ControlRole role, void (WindowEvents::*changed)()) {
        store(role, -1);
        if (changed) (events_.*changed)();
    };
    auto choose = [&](ControlRole role, void (WindowEvents::*chosen)(int)) {
        const Control* c = table_.find(role, index);
        if (!c || c->value()) return;  // already selected: nothing changes, no handler
        store(role, index);
        (events_.*chosen)(index);
    };
    switch (action) {
    case PageAction::WhiteKey: events_.whiteKeyPressed(index, mouse); break;
    case PageAction::BlackKey: events_.blackKeyPressed(index, mouse); break;
    case PageAction::NotePlate: events_.notePlatePressed(index, mouse); break;
    case PageAction::StartStop: events_.startStopClicked(); break;
    case PageAction::Replay: events_.replayClicked(); break;
    case PageAction::ShowAnswer: events_.showAnswerClicked(); break;
    case PageAction::NextQuestion: events_.nextQuestionClicked(); break;
    case PageAction::ModeOption: choose(ControlRole::ModeOption, &WindowEvents::modeChosen); break;
    case PageAction::DifficultyOption: choose(ControlRole::DifficultyOption, &WindowEvents::difficultyChosen); break;
    case PageAction::KeyRangeOption: choose(ControlRole::KeyRangeOption, &WindowEvents::keyRangeChosen); break;
    case PageAction::NoLimitCheck: set(ControlRole::NoLimitCheck, &WindowEvents::noLimitClicked); break;
    case PageAction::NoteNamesCheck: set(ControlRole::NoteNamesCheck, &WindowEvents::noteNamesClicked); break;
    case PageAction::AskDemonstrationCheck: set(ControlRole::AskDemonstrationCheck, nullptr); break;
    case PageAction::TimeLimitChanged: set(ControlRole::TimeLimitBar, &WindowEvents::timeLimitChanged); break;
    case PageAction::TimeLimitDragged: set(ControlRole::TimeLimitBar, &WindowEvents::timeLimitDragged); break;
    }
}

}  // namespace zv
