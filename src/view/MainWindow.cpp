#include "view/MainWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QProxyStyle>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWheelEvent>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "game/Game.h"
#include "platform/real/QtPictures.h"
#include "view/AfterFirstFrame.h"
#include "view/BlockedCloseWatcher.h"
#include "view/KeyCodes.h"
#include "view/KeyWidgets.h"

namespace zv {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

QColor toColor(Rgb c) { return QColor(c.r, c.g, c.b); }

// A mouse press as the mouse handlers take it: button, modifiers, the position in
// the control's own twips, and whether it is Qt's press for a finger on a touch screen.
MouseDown mouseDown(const QMouseEvent& e) {
    return {mouseButtonCode(e.button()), shiftState(e.modifiers()),
            static_cast<float>(e.position().x() * MainWindow::kTwipsPerPixel),
            static_cast<float>(e.position().y() * MainWindow::kTwipsPerPixel),
            e.device() && e.device()->type() == QInputDevice::DeviceType::TouchScreen};
}

// Fusion, with the narrow gap between an option's or a check box's indicator and its
// text that the options are sized for, and a check box's indicator centred on its
// height even where that is lower than the indicator (the no-limit box: its top row
// is cut, not its bottom). These are the pixels the style sheet "spacing: 3px" gave;
// parsing and polishing a style sheet cost the window's start-up a millisecond.
class GameStyle final : public QProxyStyle {
public:
    GameStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_RadioButtonLabelSpacing) return 3;
        if (metric == PM_CheckBoxLabelSpacing) return 4;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        const auto* box = qstyleoption_cast<const QStyleOptionButton*>(option);
        if (element == PE_IndicatorCheckBox && box && widget && widget->height() < box->rect.height()) {
            QStyleOptionButton centred = *box;
            centred.rect.moveTop(static_cast<int>(std::floor((widget->height() - box->rect.height()) / 2.0)));
            QProxyStyle::drawPrimitive(element, &centred, painter, widget);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

}  // namespace

void MainWindow::styleApplication() {
    QApplication::setApplicationName(QStringLiteral("Zorvanta"));
    // The installed desktop entry's id: desktops match the window to its launcher by it.
    QApplication::setDesktopFileName(QStringLiteral("io.github.zorvanta.Zorvanta"));
    // Fusion draws the same on every desktop and honours the keys' colours.
    QApplication::setStyle(new GameStyle);
    QApplication::setFont(designFont({}));
}

void MainWindow::loadFontConfiguration() {
    // fontconfig comes with Qt GUI (Qt's font database on Linux): looked up, not linked.
    using Init = int (*)();
    if (auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit"))) init();
}

void MainWindow::loadFontDatabase() { QFontDatabase::families(); }

int MainWindow::toPixels(int twips) { return static_cast<int>(std::lround(twips / double(kTwipsPerPixel))); }

void MainWindow::installFontSubstitution() {
    QFont::insertSubstitution(QString::fromUtf8(kDesignFamily), QString::fromUtf8(kFontFace));
}

QFont MainWindow::designFont(const FontSpec& font) {
    installFontSubstitution();
    QFont f(QString::fromUtf8(kDesignFamily));
    f.setPointSizeF(font.points > 0 ? font.points : kDefaultPoints);
    f.setWeight(static_cast<QFont::Weight>(font.weight));
    f.setItalic(false);
    f.setUnderline(false);
    f.setStrikeOut(false);
    return f;
}

MainWindow::MainWindow(ControlTable& table, WindowEvents& events, QWidget* parent)
    : QWidget(parent), table_(table), input_(events) {
    build();
}

MainWindow::MainWindow(Game& game, QWidget* parent) : MainWindow(game.table(), game, parent) {}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    table_.setListener(nullptr);
    table_.setFocusListener(nullptr);
}

QWidget* MainWindow::widget(ControlRole role, int index) const {
    Control* c = table_.find(role, index);
    if (!c) return nullptr;
    auto it = widgets_.find(c);
    return it == widgets_.end() ? nullptr : it->second;
}

void MainWindow::build() {
    setWindowTitle(QString::fromUtf8(ControlTable::kCaption));
    setFixedSize(toPixels(ControlTable::kClientWidth), toPixels(ControlTable::kClientHeight));
    setFont(designFont({}));
    setFocusPolicy(Qt::NoFocus);

    // The table lists containers before their contents and each container's
    // controls bottom to top; creating the widgets in that order stacks them so.
    for (const auto& c : table_.all()) {
        QWidget* parent = this;
        if (c->container()) parent = widgets_.at(c->container());
        QWidget* w = create(*c, parent);
        w->setObjectName(text(c->id()));
        w->setFocusPolicy(c->tabOrder() >= 0 ? Qt::StrongFocus : Qt::NoFocus);
        widgets_.emplace(c.get(), w);
    }
    // The controls share a handful of fonts: each is made once.
    std::vector<std::pair<FontSpec, QFont>> fonts;
    for (const auto& c : table_.all()) {
        auto font = std::find_if(fonts.begin(), fonts.end(), [&](const auto& f) { return f.first == c->font(); });
        if (font == fonts.end()) font = fonts.insert(fonts.end(), {c->font(), designFont(c->font())});
        applyAll(*c, font->second);
        connectHandlers(*c, widgets_.at(c.get()));
    }

    // Tab follows the table's order; its first control has the focus when the window opens.
    std::vector<Control*> chain;
    for (const auto& c : table_.all())
        if (c->tabOrder() >= 0) chain.push_back(c.get());
    std::sort(chain.begin(), chain.end(), [](Control* a, Control* b) { return a->tabOrder() < b->tabOrder(); });
    for (size_t i = 1; i < chain.size(); ++i) setTabOrder(widgets_.at(chain[i - 1]), widgets_.at(chain[i]));
    if (!chain.empty()) widgets_.at(chain.front())->setFocus(Qt::OtherFocusReason);

    table_.setListener([this](Control& c, Prop p) { apply(c, p); });
    table_.setFocusListener([this] { setFocus(Qt::OtherFocusReason); });
    qApp->installEventFilter(this);
    firstFrame_ = std::make_unique<AfterFirstFrame>(this, [this](bool) { afterFirstFrame(); });
}

QWidget* MainWindow::create(Control& c, QWidget* parent) {
    switch (c.kind()) {
    case ControlKind::Button:
        if (c.role() == ControlRole::WhiteKey || c.role() == ControlRole::BlackKey) return new KeyButton(parent);
        return new GameButton(parent);
    case ControlKind::Label: {
        auto* l = new QLabel(parent);
        l->setTextFormat(Qt::PlainText);
        // The right-answer count sits against the "/" (its left edge lies under the
        // key-range frame); the seconds are centred.
        Qt::Alignment horizontal = Qt::AlignLeft;
        if (c.role() == ControlRole::RightsLabel) horizontal = Qt::AlignRight;
        if (c.role() == ControlRole::CountdownLabel || c.role() == ControlRole::LimitLabel) horizontal = Qt::AlignHCenter;
        l->setAlignment(horizontal | Qt::AlignTop);
        l->setWordWrap(true);
        return l;
    }
    case ControlKind::Frame: {
        // Opaque: the banner frame must hide the settings it slides over.
        auto* g = new QGroupBox(parent);
        g->setAutoFillBackground(true);
        return g;
    }
    case ControlKind::OptionButton: {
        auto* r = new QRadioButton(parent);  // the gap to its text: GameStyle
        // Options of one role in one container form a group, as in the table.
        QButtonGroup*& group = optionGroups_[{c.role(), c.container()}];
        if (!group) {
            group = new QButtonGroup(this);
            group->setExclusive(true);
        }
        group->addButton(r);
        return r;
    }
    case ControlKind::CheckBox: return new QCheckBox(parent);
    case ControlKind::PictureBox: return new PictureBox(parent);
    case ControlKind::VerticalScrollBar: return new QScrollBar(Qt::Vertical, parent);
    }
    return new QWidget(parent);
}

void MainWindow::connectHandlers(Control& c, QWidget* w) {
    Control* ctl = &c;
    const auto pressed = [this, ctl](QMouseEvent& e) { input_.act(*ctl, {.mouse = mouseDown(e)}); };
    if (auto* key = dynamic_cast<KeyButton*>(w)) {
        key->setPressHandler(pressed);
    } else if (auto* box = dynamic_cast<PictureBox*>(w)) {
        box->setPressHandler(pressed);
    } else if (auto* bar = qobject_cast<QScrollBar*>(w)) {
        // The bar's own steps are replaced by the game's: each action is reported,
        // and the widget then shows the value the game gave the control.
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, ctl, bar](int action) {
            using K = ControlAction::Kind;
            ControlAction a;
            switch (action) {
            case QAbstractSlider::SliderSingleStepAdd: a = {K::StepSmall, 1}; break;
            case QAbstractSlider::SliderSingleStepSub: a = {K::StepSmall, -1}; break;
            case QAbstractSlider::SliderPageStepAdd: a = {K::StepLarge, 1}; break;
            case QAbstractSlider::SliderPageStepSub: a = {K::StepLarge, -1}; break;
            case QAbstractSlider::SliderToMinimum: a = {K::SetTo, ctl->minimum()}; break;
            case QAbstractSlider::SliderToMaximum: a = {K::SetTo, ctl->maximum()}; break;
            default: return;  // a drag: sliderMoved
            }
            input_.act(*ctl, a);
            bar->setSliderPosition(ctl->value());
        });
        connect(bar, &QAbstractSlider::sliderMoved, this,
                [this, ctl](int v) { input_.act(*ctl, {ControlAction::Kind::DraggedTo, v}); });
        connect(bar, &QAbstractSlider::sliderReleased, this,
                [this, ctl, bar] { input_.act(*ctl, {ControlAction::Kind::SetTo, bar->value()}); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        // clicked, not toggled: a value set by the game must not run the handler.
        connect(button, &QAbstractButton::clicked, this, [this, ctl] {
            input_.act(*ctl, {});
            apply(*ctl, Prop::Value);  // an option already chosen stays chosen
        });
    }
}

void MainWindow::applyAll(Control& c, const QFont& font) {
    QWidget* w = widgets_.at(&c);
    w->setFont(font);
    if (!c.toolTip().empty()) w->setToolTip(text(c.toolTip()));
    if (auto* bar = qobject_cast<QScrollBar*>(w)) {
        const QSignalBlocker block(bar);
        bar->setRange(c.minimum(), c.maximum());
        bar->setSingleStep(c.smallChange());
        bar->setPageStep(c.largeChange());
    }
    for (Prop p : {Prop::Caption, Prop::Geometry, Prop::BackColor, Prop::Value, Prop::Picture, Prop::PrintedText,
                   Prop::AccessibleName, Prop::Enabled, Prop::Visible})
        apply(c, p);
}

void MainWindow::apply(Control& c, Prop p) {
    auto it = widgets_.find(&c);
    if (it == widgets_.end()) return;
    QWidget* w = it->second;
    switch (p) {
    case Prop::Caption:
        if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(text(c.caption()));
        else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(text(c.caption()));
        else if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(text(c.caption()));
        break;
    case Prop::Visible: w->setVisible(c.visible()); break;
    case Prop::Enabled: w->setEnabled(c.enabled()); break;
    case Prop::Geometry:
        w->setGeometry(toPixels(c.left()), toPixels(c.top()), toPixels(c.width()), toPixels(c.height()));
        break;
    case Prop::BackColor:
        if (!c.hasBackColor()) break;
        if (auto* key = dynamic_cast<KeyButton*>(w)) {
            key->setFaceColor(toColor(c.backColor()));
        } else if (auto* box = dynamic_cast<PictureBox*>(w)) {
            box->setBackColor(toColor(c.backColor()));
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            b->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; }").arg(toColor(c.backColor()).name()));
        } else {
            QPalette pal = w->palette();
            pal.setColor(w->backgroundRole(), toColor(c.backColor()));
            w->setPalette(pal);
            w->setAutoFillBackground(true);
        }
        break;
    case Prop::Value: {
        const QSignalBlocker block(w);
        if (auto* r = qobject_cast<QRadioButton*>(w)) {
            if (r->isChecked() == (c.value() != 0)) break;
            QButtonGroup* group = r->group();
            // An exclusive group refuses to clear its checked button; the table may.
            if (group && !c.value()) group->setExclusive(false);
            r->setChecked(c.value() != 0);
            if (group && !c.value()) group->setExclusive(true);
        } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
            check->setChecked(c.value() != 0);
        } else if (auto* bar = qobject_cast<QScrollBar*>(w)) {
            bar->setValue(c.value());
        }
        break;
    }
    case Prop::Picture:
        if (auto* box = dynamic_cast<PictureBox*>(w)) {
            auto* pic = dynamic_cast<const QtPicture*>(c.picture().get());
            box->setImage(pic ? pic->image : QImage());
        }
        break;
    case Prop::PrintedText:
        if (auto* box = dynamic_cast<PictureBox*>(w)) box->setPrintedText(text(c.printedText()));
        break;
    case Prop::AccessibleName: {
        const QString name = text(c.accessibleName());
        w->setAccessibleDescription(text(c.description()));
        if (w->accessibleName() == name) break;
        w->setAccessibleName(name);
        // A screen reader that follows the control (the verdict box) hears the new name.
        QAccessibleEvent changed(w, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
        break;
    }
    }
}

// What waits for the first frame: nothing in it needs them, and each costs the
// frame time (the icon's files a few milliseconds, the close watcher's atoms two
// round trips to the X server). No message box can be open before that frame.
void MainWindow::afterFirstFrame() {
    showProgramIcon();
    // The window manager's close while a message box blocks the window ends the
    // program too, as any other close does.
    blockedClose_ = std::make_unique<BlockedCloseWatcher>(this, [this] {
        if (onClose_) onClose_();
    });
}

// The icon beside the program, with its large size for screens of high density:
// the window manager takes it whenever it comes.
void MainWindow::showProgramIcon() {
    QIcon icon;
    for (const char* file : {"icon/zorvanta.png", "icon/zorvanta-256.png"}) {
        const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(file));
        if (QFileInfo(path).isFile()) icon.addFile(path);
    }
    if (!icon.isNull()) setWindowIcon(icon);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyRelease:
        lastKeyPress_ = nullptr;  // a new key event: the next press is a new one
        break;
    case QEvent::KeyPress: previewKey(watched, event); break;
    case QEvent::Wheel:
        // The wheel over the time-limit bar moves it by the game's rule, not Qt's.
        if (auto* bar = qobject_cast<QScrollBar*>(watched); bar && bar->window() == this) {
            const auto* wheel = static_cast<const QWheelEvent*>(event);
            for (auto& [control, widget] : widgets_)
                if (widget == bar)
                    input_.act(*control,
                               {ControlAction::Kind::Wheel, wheel->angleDelta().y(), false,
                                {0, shiftState(wheel->modifiers())}});
            return true;
        }
        break;
    default: break;
    }
    return false;  // the key goes on to the control with the focus
}

// Key preview: each key press for this window reaches the game's key handler once,
// before the control that has the focus sees it.
void MainWindow::previewKey(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != this) return;
    if (event == lastKeyPress_ && lastKeyReceiver_ && w->isAncestorOf(lastKeyReceiver_)) {
        lastKeyReceiver_ = w;  // the same press, passed on to a parent
        return;
    }
    lastKeyPress_ = event;
    lastKeyReceiver_ = w;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (const int code = virtualKeyCode(*key)) input_.keyPressed(code, shiftState(key->modifiers()), key->isAutoRepeat());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClose_) onClose_();
}

}  // namespace zv
