#include "WebView.h"

#include <emscripten.h>

#include <cstdio>

#include "platform/web/WebServices.h"

// clang-format off
EM_JS(void, zvControlChanged, (int number, const char* prop, const char* json),
      { Module.view.changed(number, UTF8ToString(prop), UTF8ToString(json)); });
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

WebView::WebView(ControlTable& table, WindowEvents& events) : table_(table), input_(events) {
    table_.setListener([this](Control& c, Prop p) {
        zvControlChanged(numberOf(&c), propName(p), describe(c).c_str());
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

int WebView::numberOfKey(const PianoKey& key) const {
    return numberOf(table_.find(key.color == KeyColor::White ? ControlRole::WhiteKey : ControlRole::BlackKey, key.index));
}

std::string WebView::describe(const Control& c) const {
    std::string out = "{";
    field(out, "id", c.id());
    field(out, "role", roleName(c.role()));
    field(out, "index", c.index());
    field(out, "kind", std::string(kindName(c.kind())));
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
    field(out, "name", c.accessibleName());
    field(out, "description", c.description());
    field(out, "tabOrder", c.tabOrder());
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

std::string WebView::describeAll(const std::vector<std::string>& sounds) const {
    std::string out = "{";
    field(out, "caption", std::string(ControlTable::kCaption));
    out += "\"sounds\":[";
    for (const auto& name : sounds) {
        appendJsonString(out, name);
        out += ',';
    }
    out.back() = ']';
    out += ',';
    out += "\"gameKeys\":[";
    for (int code = 0; code < 256; ++code)
        if (ControlInput::takesKey(code)) out += std::to_string(code) + ',';
    out.back() = ']';
    out += ",\"controls\":[";
    for (const auto& c : table_.all()) out += describe(*c) + ',';
    out.back() = ']';
    return out + "}";
}

void WebView::act(int n, const ControlAction& action) {
    const auto& all = table_.all();
    if (n >= 0 && static_cast<std::size_t>(n) < all.size()) input_.act(*all[static_cast<std::size_t>(n)], action);
}

}  // namespace zv
