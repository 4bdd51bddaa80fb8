// The main window on Qt Widgets: one widget per control of the control table, kept
// in step with it through the table's listener, and the user's actions turned into
// calls of the window's event handlers.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "window/ControlTable.h"

class QButtonGroup;

namespace zv {

class QtX11Close;
class Form1;

// The handlers the window calls, one per event it handles. Form1Events forwards them
// to the game; tests record them.
class FormEvents {
public:
    virtual ~FormEvents() = default;
    virtual void Form_KeyDown(int keyCode, int shift) = 0;
    virtual void Command1_MouseDown(int index, int button, int shift, float x, float y) = 0;
    virtual void Command2_MouseDown(int index, int button, int shift, float x, float y) = 0;
    virtual void Picture3_MouseDown(int index, int button, int shift, float x, float y) = 0;
    virtual void Command3_Click() = 0;
    virtual void Command4_Click() = 0;
    virtual void Command5_Click(int index) = 0;
    virtual void Option1_Click(int index) = 0;
    virtual void Option2_Click(int index) = 0;
    virtual void Option3_Click(int index) = 0;
    virtual void Check1_Click() = 0;
    virtual void Check2_Click() = 0;
    virtual void VScroll1_Change() = 0;
    virtual void VScroll1_Scroll() = 0;
};

std::unique_ptr<FormEvents> makeForm1Events(Form1& form);

class QtMainWindow final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTwipsPerPixel = 15;
    // The window's design font, and the face that stands in for it on this system.
    static constexpr const char* kDesignFamily = "ＭＳ Ｐゴシック";
    static constexpr const char* kFontFace = "IPAPGothic";
    static constexpr double kDefaultPoints = 9;

    // Mirrors the table and reports to events; both must outlive the window.
    QtMainWindow(ControlTable& table, FormEvents& events, QWidget* parent = nullptr);
    // The game's window: mirrors form's table and reports to form.
    explicit QtMainWindow(Form1& form, QWidget* parent = nullptr);
    ~QtMainWindow() override;

    // The widget of a control (null for a name that does not exist).
    QWidget* widget(const std::string& name, int index = -1) const;

    // Runs when the window is closed by any means (the program ends then).
    void setCloseHandler(std::function<void()> handler) { onClose_ = std::move(handler); }

    static int toPixels(int twips);
    static void installFontSubstitution();
    static QFont designFont(const FontSpec& font);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QtMainWindow(ControlTable& table, std::unique_ptr<FormEvents> events, QWidget* parent);
    void build();
    QWidget* create(Control& c, QWidget* parent);
    void connectHandlers(Control& c, QWidget* w);
    void apply(Control& c, Prop p);
    void applyAll(Control& c);
    void nameForScreenReaders(Control& c, QWidget* w);
    void nameShownVerdict();
    void previewKey(QObject* watched, QEvent* event);

    std::unique_ptr<FormEvents> ownedEvents_;
    ControlTable& table_;
    FormEvents& events_;
    std::unordered_map<const Control*, QWidget*> widgets_;
    std::unordered_map<std::string, QButtonGroup*> optionGroups_;
    std::function<void()> onClose_;
    std::unique_ptr<QtX11Close> x11Close_;
    int scrollValueAtPress_ = 0;
    // The key press seen last and where: Qt hands an unhandled press on to the
    // parent widgets, and the handler must see each press once.
    const QEvent* lastKeyPress_ = nullptr;
    QPointer<QWidget> lastKeyReceiver_;
};

}  // namespace zv
