#include "window/QtMainWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <cmath>
#include <vector>

#include "keyboard/KeyInput.h"
#include "platform/real/QtPictures.h"
#include "window/Form1.h"
#include "window/QtControls.h"
#include "window/QtKeyMapping.h"
#include "window/QtX11Close.h"

namespace zv {

namespace {

class Form1Events final : public FormEvents {
public:
    explicit Form1Events(Form1& f) : f_(f) {}
    void Form_KeyDown(int keyCode, int shift) override { f_.Form_KeyDown(keyCode, shift); }
    void Command1_MouseDown(int i, int b, int s, float x, float y) override { f_.Command1_MouseDown(i, b, s, x, y); }
    void Command2_MouseDown(int i, int b, int s, float x, float y) override { f_.Command2_MouseDown(i, b, s, x, y); }
    void Picture3_MouseDown(int i, int b, int s, float x, float y) override { f_.Picture3_MouseDown(i, b, s, x, y); }
    void Command3_Click() override { f_.Command3_Click(); }
    void Command4_Click() override { f_.Command4_Click(); }
    void Command5_Click(int index) override { f_.Command5_Click(index); }
    void Option1_Click(int index) override { f_.Option1_Click(index); }
    void Option2_Click(int index) override { f_.Option2_Click(index); }
    void Option3_Click(int index) override { f_.Option3_Click(index); }
    void Check1_Click() override { f_.Check1_Click(); }
    void Check2_Click() override { f_.Check2_Click(); }
    void VScroll1_Change() override { f_.VScroll1_Change(); }
    void VScroll1_Scroll() override { f_.VScroll1_Scroll(); }

private:
    Form1& f_;
};

QString text(const std::string& s) { return QString::fromStdString(s); }

QColor toColor(Rgb c) { return QColor(c.r, c.g, c.b); }

// Mouse position in the control's own twips, as the mouse handlers take it.
float twipsX(const QMouseEvent& e) { return static_cast<float>(e.position().x() * QtMainWindow::kTwipsPerPixel); }
float twipsY(const QMouseEvent& e) { return static_cast<float>(e.position().y() * QtMainWindow::kTwipsPerPixel); }

// What a screen reader says for the controls that show no text of their own. A key
// and the plate under it are named by their note, the upper octave's with "高い"
// in front; the kind of key and the PC key that plays it are its description.
constexpr const char* kWhiteNotes[7] = {"ド", "レ", "ミ", "ファ", "ソ", "ラ", "シ"};
constexpr const char* kBlackNotes[5] = {"ド#", "レ#", "ファ#", "ソ#", "ラ#"};
// The pictures Picture2(0..2) hold and Picture1 shows: right, wrong, game over.
constexpr const char* kVerdictNames[3] = {"正解", "不正解", "ゲームオーバー"};
constexpr const char* kVerdictBoxName = "判定";
constexpr const char* kTimeLimitName = "制限時間";

QString keyName(bool white, int index) {
    const int perOctave = white ? 7 : 5;
    if (index < 0 || index >= 2 * perOctave) return {};
    const QString note = QString::fromUtf8(white ? kWhiteNotes[index % perOctave] : kBlackNotes[index % perOctave]);
    return index < perOctave ? note : QString::fromUtf8("高い") + note;
}

QString keyDescription(bool white, int index) {
    QString description = QString::fromUtf8(white ? "白鍵" : "黒鍵");
    // The PC keys are letters and digits of the main block: the inverse of mapKey.
    for (int code = '0'; code <= 'Z'; ++code) {
        const KeyInput::Mapped m = KeyInput::mapKey(code);
        if (m.index == index && m.white == white)
            return description + QString::fromUtf8("、PCキー ") + QChar(code);
    }
    return description;
}

}  // namespace

std::unique_ptr<FormEvents> makeForm1Events(Form1& form) { return std::make_unique<Form1Events>(form); }

int QtMainWindow::toPixels(int twips) { return static_cast<int>(std::lround(twips / double(kTwipsPerPixel))); }

void QtMainWindow::installFontSubstitution() {
    QFont::insertSubstitution(QString::fromUtf8(kDesignFamily), QString::fromUtf8(kFontFace));
}

QFont QtMainWindow::designFont(const FontSpec& font) {
    installFontSubstitution();
    QFont f(QString::fromUtf8(kDesignFamily));
    f.setPointSizeF(font.points > 0 ? font.points : kDefaultPoints);
    f.setWeight(static_cast<QFont::Weight>(font.weight));
    f.setItalic(false);
    f.setUnderline(false);
    f.setStrikeOut(false);
    return f;
}

QtMainWindow::QtMainWindow(ControlTable& table, FormEvents& events, QWidget* parent)
    : QWidget(parent), table_(table), events_(events) {
    build();
}

QtMainWindow::QtMainWindow(Form1& form, QWidget* parent) : QtMainWindow(form.table(), makeForm1Events(form), parent) {}

QtMainWindow::QtMainWindow(ControlTable& table, std::unique_ptr<FormEvents> events, QWidget* parent)
    : QWidget(parent), ownedEvents_(std::move(events)), table_(table), events_(*ownedEvents_) {
    build();
}

QtMainWindow::~QtMainWindow() {
    qApp->removeEventFilter(this);
    table_.setListener(nullptr);
    table_.setFocusListener(nullptr);
}

QWidget* QtMainWindow::widget(const std::string& name, int index) const {
    const Control* c = table_.find(name, index);
    if (!c) return nullptr;
    auto it = widgets_.find(c);
    return it == widgets_.end() ? nullptr : it->second;
}

void QtMainWindow::build() {
    setWindowTitle(QString::fromUtf8(ControlTable::kCaption));
    setFixedSize(toPixels(ControlTable::kClientWidth), toPixels(ControlTable::kClientHeight));
    setFont(designFont({}));
    setFocusPolicy(Qt::NoFocus);
    // The icon beside the program, with its large size for screens of high density.
    QIcon icon;
    for (const char* file : {"icon/zorvanta.png", "icon/zorvanta-256.png"}) {
        const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(file));
        if (QFileInfo(path).isFile()) icon.addFile(path);
    }
    if (!icon.isNull()) setWindowIcon(icon);

    // The table lists containers before their contents and each container's
    // controls bottom to top; creating the widgets in that order stacks them so.
    for (const auto& c : table_.all()) {
        QWidget* parent = this;
        if (c->container()) parent = widgets_.at(c->container());
        QWidget* w = create(*c, parent);
        w->setObjectName(text(c->id()));
        nameForScreenReaders(*c, w);
        widgets_.emplace(c.get(), w);
    }
    for (const auto& c : table_.all()) {
        applyAll(*c);
        connectHandlers(*c, widgets_.at(c.get()));
    }

    // START comes first in the tab order and so has the focus when the window opens.
    std::vector<QWidget*> chain;
    if (QWidget* start = widget("Command3")) chain.push_back(start);
    for (const auto& c : table_.all()) {
        QWidget* w = widgets_.at(c.get());
        if (w->focusPolicy() != Qt::NoFocus && (chain.empty() || w != chain.front())) chain.push_back(w);
    }
    for (size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
    if (!chain.empty()) chain.front()->setFocus(Qt::OtherFocusReason);

    table_.setListener([this](Control& c, Prop p) { apply(c, p); });
    table_.setFocusListener([this] { setFocus(Qt::OtherFocusReason); });
    qApp->installEventFilter(this);
    // The window manager's close while a message box blocks the window ends the
    // program too, as any other close does.
    x11Close_ = std::make_unique<QtX11Close>(this, [this] {
        if (onClose_) onClose_();
    });
}

QWidget* QtMainWindow::create(Control& c, QWidget* parent) {
    switch (c.kind()) {
    case ControlKind::Button:
        if (c.name() == "Command1" || c.name() == "Command2") return new QtKeyButton(parent);
        {
            auto* b = new QPushButton(parent);
            b->setAutoDefault(false);
            return b;
        }
    case ControlKind::Label: {
        auto* l = new QLabel(parent);
        l->setTextFormat(Qt::PlainText);
        // The right-answer count sits against the "/" (its left edge lies under the
        // key-range frame); the seconds are centred.
        Qt::Alignment horizontal = Qt::AlignLeft;
        if (c.name() == "Label3") horizontal = Qt::AlignRight;
        if (c.name() == "Label2" || c.name() == "Label6") horizontal = Qt::AlignHCenter;
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
        auto* r = new QRadioButton(parent);
        // The options are sized for a narrow gap between the circle and the text.
        r->setStyleSheet(QStringLiteral("QRadioButton { spacing: 3px; }"));
        // Options of one array in one container form a group, as in the table.
        const std::string key = c.name() + "@" + std::to_string(reinterpret_cast<std::uintptr_t>(c.container()));
        QButtonGroup*& group = optionGroups_[key];
        if (!group) {
            group = new QButtonGroup(this);
            group->setExclusive(true);
        }
        group->addButton(r);
        return r;
    }
    case ControlKind::CheckBox: {
        auto* b = new QCheckBox(parent);
        b->setStyleSheet(QStringLiteral("QCheckBox { spacing: 3px; }"));
        return b;
    }
    case ControlKind::PictureBox: return new QtPictureBox(parent);
    case ControlKind::VScrollBar: return new QScrollBar(Qt::Vertical, parent);
    }
    return new QWidget(parent);
}

void QtMainWindow::connectHandlers(Control& c, QWidget* w) {
    const std::string& n = c.name();
    const int i = c.index();
    Control* ctl = &c;
    if (auto* key = dynamic_cast<QtKeyButton*>(w)) {
        const bool white = n == "Command1";
        key->setPressHandler([this, white, i](QMouseEvent& e) {
            const int b = mouseButtonCode(e.button()), s = shiftState(e.modifiers());
            if (white)
                events_.Command1_MouseDown(i, b, s, twipsX(e), twipsY(e));
            else
                events_.Command2_MouseDown(i, b, s, twipsX(e), twipsY(e));
        });
        return;
    }
    if (auto* box = dynamic_cast<QtPictureBox*>(w)) {
        if (n == "Picture3")
            box->setPressHandler([this, i](QMouseEvent& e) {
                events_.Picture3_MouseDown(i, mouseButtonCode(e.button()), shiftState(e.modifiers()), twipsX(e), twipsY(e));
            });
        return;
    }
    if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        // clicked, not toggled: a value set by the game must not run the handler.
        connect(radio, &QAbstractButton::clicked, this, [this, ctl, n, i] {
            if (ctl->value()) {  // already selected: nothing changes, no handler
                apply(*ctl, Prop::Value);
                return;
            }
            ctl->setValue(1);  // the handler reads the choice from the table
            apply(*ctl, Prop::Value);
            if (n == "Option1") events_.Option1_Click(i);
            else if (n == "Option2") events_.Option2_Click(i);
            else if (n == "Option3") events_.Option3_Click(i);
        });
        return;
    }
    if (auto* check = qobject_cast<QCheckBox*>(w)) {
        connect(check, &QAbstractButton::clicked, this, [this, ctl, n](bool checked) {
            ctl->setValue(checked ? 1 : 0);
            if (n == "Check1") events_.Check1_Click();
            else if (n == "Check2") events_.Check2_Click();
        });
        return;
    }
    if (auto* bar = qobject_cast<QScrollBar*>(w)) {
        // Dragging the thumb reports Scroll for each move and one Change when let go;
        // arrows, page clicks, the wheel and the keyboard report Change.
        connect(bar, &QAbstractSlider::sliderPressed, this, [this, ctl] { scrollValueAtPress_ = ctl->value(); });
        connect(bar, &QAbstractSlider::sliderMoved, this, [this, ctl](int v) {
            ctl->setValue(v);
            events_.VScroll1_Scroll();
        });
        connect(bar, &QAbstractSlider::sliderReleased, this, [this, ctl, bar] {
            ctl->setValue(bar->value());
            if (ctl->value() != scrollValueAtPress_) events_.VScroll1_Change();
        });
        connect(bar, &QAbstractSlider::valueChanged, this, [this, ctl, bar](int v) {
            if (bar->isSliderDown()) return;  // a drag: sliderMoved reports it
            ctl->setValue(v);
            events_.VScroll1_Change();
        });
        return;
    }
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        if (n == "Command3") connect(button, &QAbstractButton::clicked, this, [this] { events_.Command3_Click(); });
        else if (n == "Command4") connect(button, &QAbstractButton::clicked, this, [this] { events_.Command4_Click(); });
        else if (n == "Command5") connect(button, &QAbstractButton::clicked, this, [this, i] { events_.Command5_Click(i); });
    }
}

// Buttons, options, check boxes, labels and frames are read by their captions; the
// keys, picture boxes and the scroll bar get names here.
void QtMainWindow::nameForScreenReaders(Control& c, QWidget* w) {
    const std::string& n = c.name();
    if (n == "Command1" || n == "Command2") {
        const bool white = n == "Command1";
        w->setAccessibleName(keyName(white, c.index()));
        w->setAccessibleDescription(keyDescription(white, c.index()));
    } else if (n == "Picture3") {
        w->setAccessibleName(keyName(true, c.index()));
    } else if (n == "Picture2" && c.index() >= 0 && c.index() < 3) {
        w->setAccessibleName(QString::fromUtf8(kVerdictNames[c.index()]));
    } else if (n == "Picture1") {
        w->setAccessibleName(QString::fromUtf8(kVerdictBoxName));
    } else if (c.kind() == ControlKind::VScrollBar) {
        w->setAccessibleName(QString::fromUtf8(kTimeLimitName));
    }
}

// Picture1 shows one of the pictures Picture2 holds; it is named after that one.
void QtMainWindow::nameShownVerdict() {
    Control* shown = table_.find("Picture1");
    if (!shown) return;
    auto it = widgets_.find(shown);
    if (it == widgets_.end()) return;
    QString name = QString::fromUtf8(kVerdictBoxName);
    for (int i = 0; i < 3; ++i) {
        const Control* held = table_.find("Picture2", i);
        if (held && shown->picture() && held->picture() == shown->picture()) name = QString::fromUtf8(kVerdictNames[i]);
    }
    QWidget* w = it->second;
    if (w->accessibleName() == name) return;
    w->setAccessibleName(name);
    // A screen reader that follows the box hears the new verdict.
    QAccessibleEvent changed(w, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void QtMainWindow::applyAll(Control& c) {
    QWidget* w = widgets_.at(&c);
    w->setFont(designFont(c.font()));
    if (!c.toolTip().empty()) w->setToolTip(text(c.toolTip()));
    if (auto* bar = qobject_cast<QScrollBar*>(w)) {
        const QSignalBlocker block(bar);
        bar->setRange(c.minimum(), c.maximum());
        bar->setSingleStep(c.smallChange());
        bar->setPageStep(c.largeChange());
    }
    for (Prop p : {Prop::Caption, Prop::Geometry, Prop::BackColor, Prop::Value, Prop::Picture, Prop::PrintedText,
                   Prop::Enabled, Prop::Visible})
        apply(c, p);
}

void QtMainWindow::apply(Control& c, Prop p) {
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
        if (auto* key = dynamic_cast<QtKeyButton*>(w)) {
            key->setFaceColor(toColor(c.backColor()));
        } else if (auto* box = dynamic_cast<QtPictureBox*>(w)) {
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
        if (auto* box = dynamic_cast<QtPictureBox*>(w)) {
            auto* pic = dynamic_cast<const QtPicture*>(c.picture().get());
            box->setImage(pic ? pic->image : QImage());
        }
        if (c.name() == "Picture1" || c.name() == "Picture2") nameShownVerdict();
        break;
    case Prop::PrintedText:
        if (auto* box = dynamic_cast<QtPictureBox*>(w)) box->setPrintedText(text(c.printedText()));
        break;
    }
}

bool QtMainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyRelease:
        lastKeyPress_ = nullptr;  // a new key event: the next press is a new one
        break;
    case QEvent::KeyPress: previewKey(watched, event); break;
    default: break;
    }
    return false;  // the key goes on to the control with the focus
}

// Key preview: each key press for this window reaches Form_KeyDown once, before the
// control that has the focus sees it.
void QtMainWindow::previewKey(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != this) return;
    if (event == lastKeyPress_ && lastKeyReceiver_ && w->isAncestorOf(lastKeyReceiver_)) {
        lastKeyReceiver_ = w;  // the same press, passed on to a parent
        return;
    }
    lastKeyPress_ = event;
    lastKeyReceiver_ = w;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (const int code = virtualKeyCode(*key)) events_.Form_KeyDown(code, shiftState(key->modifiers()));
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClose_) onClose_();
}

}  // namespace zv
