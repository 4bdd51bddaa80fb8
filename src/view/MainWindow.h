// The main window on Qt Widgets: one widget per control of the control table, kept
// in step with it through the table's listener, and the user's actions reported to
// the game through WindowEvents.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "controls/ControlTable.h"
#include "game/ControlInput.h"

class QButtonGroup;

namespace zv {

class AfterFirstFrame;
class BlockedCloseWatcher;
class Game;

class MainWindow final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTwipsPerPixel = 15;
    // The window's design font, and the face that stands in for it on this system.
    static constexpr const char* kDesignFamily = "ＭＳ Ｐゴシック";
    static constexpr const char* kFontFace = "IPAPGothic";
    static constexpr double kDefaultPoints = 9;

    // Mirrors the table and reports to events; both must outlive the window.
    MainWindow(ControlTable& table, WindowEvents& events, QWidget* parent = nullptr);
    // The game's window: mirrors the game's table and reports to the game.
    explicit MainWindow(Game& game, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The widget of a control (null for a control that does not exist).
    QWidget* widget(ControlRole role, int index = -1) const;

    // Runs when the window is closed by any means (the program ends then).
    void setCloseHandler(std::function<void()> handler) { onClose_ = std::move(handler); }

    // The application's name, desktop entry, style and font, as the window wants
    // them; call once the QApplication exists, before any widget.
    static void styleApplication();

    // Reads the font configuration (fontconfig's files and caches: a few milliseconds)
    // before Qt asks for it, when the window first measures a text. Needs no
    // QApplication and may run on any thread: the program runs it on one of its own
    // while QApplication connects to the display.
    static void loadFontConfiguration();

    // Fills Qt's font database (every installed font, read through fontconfig: about a
    // millisecond) before the window first measures a text. Needs the QApplication;
    // QFontDatabase is thread-safe, so the program runs it on a thread of its own
    // while the window's widgets are created.
    static void loadFontDatabase();

    static int toPixels(int twips);
    static void installFontSubstitution();
    static QFont designFont(const FontSpec& font);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    QWidget* create(Control& c, QWidget* parent);
    void connectHandlers(Control& c, QWidget* w);
    void apply(Control& c, Prop p);
    void applyAll(Control& c, const QFont& font);
    void previewKey(QObject* watched, QEvent* event);
    void afterFirstFrame();
    void showProgramIcon();

    ControlTable& table_;
    ControlInput input_;
    std::unordered_map<Control*, QWidget*> widgets_;
    std::map<std::pair<ControlRole, const Control*>, QButtonGroup*> optionGroups_;  // by role and container
    std::function<void()> onClose_;
    std::unique_ptr<BlockedCloseWatcher> blockedClose_;
    std::unique_ptr<AfterFirstFrame> firstFrame_;
    // The key press seen last and where: Qt hands an unhandled press on to the
    // parent widgets, and the handler must see each press once.
    const QEvent* lastKeyPress_ = nullptr;
    QPointer<QWidget> lastKeyReceiver_;
};

}  // namespace zv
