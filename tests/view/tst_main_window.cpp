// The Qt main window, offscreen: widgets built from the control table, their
// stacking, fonts and colours, the mirror of table changes, and the user's actions
// (mouse-down on keys, clicks, key preview) reaching the right handler once.
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "platform/real/QtApplication.h"
#include "platform/real/QtMessageBoxes.h"
#include "platform/real/QtPictures.h"
#include "support/GameRig.h"
#include "view/KeyWidgets.h"
#include "view/MainWindow.h"

using namespace zv;

namespace {

// Records every handler call, with the table's value of the control at that moment
// (handlers read the value from the table, so it must already be there).
struct Recorder : WindowEvents {
    ControlTable* table = nullptr;
    QStringList log;
    std::function<void(const QString&)> onCall;

    void rec(const QString& entry) {
        log << entry;
        if (onCall) onCall(entry);
    }
    QString value(ControlRole role, int index = -1) { return QString::number(table->at(role, index).value()); }
    void pcKeyPressed(int k, int s) override { rec(QString("Key(%1,%2)").arg(k).arg(s)); }
    void whiteKeyPressed(int i, MouseDown m) override { rec(QString("White(%1,%2,%3)").arg(i).arg(m.button).arg(m.modifiers)); }
    void blackKeyPressed(int i, MouseDown m) override { rec(QString("Black(%1,%2,%3)").arg(i).arg(m.button).arg(m.modifiers)); }
    void notePlatePressed(int i, MouseDown m) override { rec(QString("Plate(%1,%2)").arg(i).arg(m.button)); }
    void startStopClicked() override { rec("StartStop"); }
    void replayClicked() override { rec("Replay"); }
    void showAnswerClicked() override { rec("ShowAnswer"); }
    void nextQuestionClicked() override { rec("NextQuestion"); }
    void difficultyChosen(int i) override { rec(QString("Difficulty(%1)=%2").arg(i).arg(value(ControlRole::DifficultyOption, i))); }
    void modeChosen(int i) override { rec(QString("Mode(%1)=%2").arg(i).arg(value(ControlRole::ModeOption, i))); }
    void keyRangeChosen(int i) override { rec(QString("KeyRange(%1)=%2").arg(i).arg(value(ControlRole::KeyRangeOption, i))); }
    void noLimitClicked() override { rec("NoLimit=" + value(ControlRole::NoLimitCheck)); }
    void noteNamesClicked() override { rec("NoteNames=" + value(ControlRole::NoteNamesCheck)); }
    void timeLimitChanged() override { rec("Change=" + value(ControlRole::TimeLimitBar)); }
    void timeLimitDragged() override { rec("Scroll=" + value(ControlRole::TimeLimitBar)); }
};

int px(int twips) { return MainWindow::toPixels(twips); }

QColor pixelAt(QWidget& w, QPoint p) { return w.grab().toImage().pixelColor(p); }

// How many pixels of the rectangle (all of the image if none) are dark: drawn text.
int darkPixels(const QImage& img, QRect r = {}) {
    if (r.isNull()) r = img.rect();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += img.pixelColor(x, y).lightness() < 100;
    return n;
}

QPoint centreOf(QWidget* w) { return w->mapTo(w->window(), w->rect().center()); }

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ControlTable> table_;
    std::unique_ptr<Recorder> rec_;
    std::unique_ptr<MainWindow> win_;

    QWidget* w(ControlRole role, int index = -1) { return win_->widget(role, index); }
    Control& c(ControlRole role, int index = -1) { return table_->at(role, index); }
    void showWindow() {
        win_->show();
        QVERIFY(QTest::qWaitForWindowExposed(win_.get()));
        win_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(win_.get()));
    }
    void pressAt(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mousePress(win_->windowHandle(), b, {}, p);
        QTest::mouseRelease(win_->windowHandle(), b, {}, p);
    }

private slots:
    void init() {
        table_ = ControlTable::createMainWindow();
        rec_ = std::make_unique<Recorder>();
        rec_->table = table_.get();
        win_ = std::make_unique<MainWindow>(*table_, *rec_);
    }
    void cleanup() {
        win_.reset();
        rec_.reset();
        table_.reset();
    }

    void everyControlIsAWidgetAsDesigned() {
        QCOMPARE(win_->windowTitle(), QStringLiteral("Zorvanta?"));
        QCOMPARE(win_->size(), QSize(619, 291));
        QCOMPARE(win_->minimumSize(), win_->maximumSize());
        for (const auto& ctl : table_->all()) {
            QWidget* x = win_->widget(ctl->role(), ctl->index());
            const QByteArray id = QByteArray::fromStdString(ctl->id());
            QVERIFY2(x, id);
            QCOMPARE(x->objectName(), QString::fromStdString(ctl->id()));
            QCOMPARE(x->geometry(), QRect(px(ctl->left()), px(ctl->top()), px(ctl->width()), px(ctl->height())));
            QCOMPARE(x->isHidden(), !ctl->visible());
            QCOMPARE(x->toolTip(), QString::fromStdString(ctl->toolTip()));
            QWidget* parent = ctl->container() ? win_->widget(ctl->container()->role(), ctl->container()->index()) : win_.get();
            QCOMPARE(x->parentWidget(), parent);
            const QString caption = QString::fromStdString(ctl->caption());
            switch (ctl->kind()) {
            case ControlKind::Button: QCOMPARE(qobject_cast<QPushButton*>(x)->text(), caption); break;
            case ControlKind::Label: QCOMPARE(qobject_cast<QLabel*>(x)->text(), caption); break;
            case ControlKind::Frame: QCOMPARE(qobject_cast<QGroupBox*>(x)->title(), caption); break;
            case ControlKind::OptionButton:
                QCOMPARE(qobject_cast<QRadioButton*>(x)->text(), caption);
                QCOMPARE(qobject_cast<QRadioButton*>(x)->isChecked(), ctl->value() != 0);
                break;
            case ControlKind::CheckBox: QCOMPARE(qobject_cast<QCheckBox*>(x)->text(), caption); break;
            case ControlKind::PictureBox: QVERIFY(dynamic_cast<PictureBox*>(x)); break;
            case ControlKind::VerticalScrollBar: QCOMPARE(qobject_cast<QScrollBar*>(x)->value(), 70); break;
            }
        }
        // Sample geometry in pixels: every black key's left edge and a few others.
        const int blackLeft[10] = {840, 1455, 2640, 3255, 3855, 5010, 5655, 6825, 7440, 8025};
        for (int i = 0; i < 10; ++i) QCOMPARE(w(ControlRole::BlackKey, i)->x(), blackLeft[i] / 15);
        QCOMPARE(w(ControlRole::WhiteKey, 13)->geometry(), QRect(550, 19, 40, 146));
        QCOMPARE(w(ControlRole::NotePlate, 10)->geometry(), QRect(443, 144, 20, 14));
        QCOMPARE(w(ControlRole::Banner)->geometry(), QRect(635, 177, 367, 114));
        QCOMPARE(w(ControlRole::TimeLimitBar)->geometry(), QRect(7, 15, 24, 73));
        QCOMPARE(qobject_cast<QLabel*>(w(ControlRole::RightsLabel))->alignment(), Qt::AlignRight | Qt::AlignTop);
        QCOMPARE(w(ControlRole::DifficultyOption, 1)->toolTip(), QString::fromUtf8("5メロディー"));
        QCOMPARE(w(ControlRole::AskDemonstrationCheck)->toolTip(), QString::fromUtf8("問題ごとに正解を表示するかどうか尋ねます\u3000(プレイ中に変更も可能)"));
        for (int i = 0; i < 14; ++i) QCOMPARE(w(ControlRole::WhiteKey, i)->focusPolicy(), Qt::NoFocus);
        // The icon beside the program (copied there by the build) is the window's, once it shows.
        if (QFileInfo::exists(QCoreApplication::applicationDirPath() + "/icon/zorvanta.png")) {
            showWindow();
            QTRY_VERIFY(!win_->windowIcon().isNull());
        }
    }

    void laterControlsLieAbove() {
        showWindow();
        // A black key over two white keys.
        QCOMPARE(win_->childAt(centreOf(w(ControlRole::BlackKey, 0))), w(ControlRole::BlackKey, 0));
        QCOMPARE(win_->childAt(QPoint(px(450) + 5, 150)), w(ControlRole::WhiteKey, 0));
        // A shown plate takes the press, not the key beneath it.
        c(ControlRole::NotePlate, 4).setVisible(true);
        pressAt(centreOf(w(ControlRole::NotePlate, 4)), Qt::RightButton);
        QCOMPARE(rec_->log, QStringList{"Plate(4,2)"});
        // The result picture swallows presses over the keys.
        rec_->log.clear();
        c(ControlRole::VerdictPicture).setVisible(true);
        pressAt(centreOf(w(ControlRole::VerdictPicture)));
        pressAt(centreOf(w(ControlRole::BlackKey, 3)));  // black key 3 lies under the picture
        QVERIFY2(rec_->log.isEmpty(), qPrintable(rec_->log.join(' ')));
        // The banner lies above the settings frames.
        c(ControlRole::Banner).setLeft(345);
        c(ControlRole::Banner).setVisible(true);
        QWidget* hit = win_->childAt(centreOf(w(ControlRole::ModeOption, 0)));
        QVERIFY(hit == w(ControlRole::Banner) || w(ControlRole::Banner)->isAncestorOf(hit));
    }

    // Every control in the design face's stand-in, fractional sizes kept.
    void fontsAreTheDesignFace() {
        for (const auto& ctl : table_->all())
            QCOMPARE(QFontInfo(win_->widget(ctl->role(), ctl->index())->font()).family(), QStringLiteral("IPAPGothic"));
        QCOMPARE(w(ControlRole::CountdownLabel)->font().pointSizeF(), 27.75);
        QCOMPARE(w(ControlRole::CountdownLabel)->font().weight(), QFont::Bold);
        QCOMPARE(w(ControlRole::StartStopButton)->font().pointSizeF(), 9.0);
    }

    void rendersKeysInTheirColours() {
        showWindow();
        const QPoint white(px(450 + 600 * 2) + 20, 150), black = centreOf(w(ControlRole::BlackKey, 0));
        QImage img = win_->grab().toImage();
        QCOMPARE(img.size(), QSize(619, 291));
        QCOMPARE(img.pixelColor(white), QColor(Qt::white));
        QCOMPARE(img.pixelColor(black), QColor(Qt::black));
        // Locked keys keep the grey they were given; a demonstrated key is blue.
        c(ControlRole::WhiteKey, 2).setBackColor(colors::LightGrey);
        c(ControlRole::WhiteKey, 2).setEnabled(false);
        c(ControlRole::BlackKey, 0).setBackColor(colors::Grey);
        c(ControlRole::BlackKey, 0).setEnabled(false);
        c(ControlRole::WhiteKey, 5).setBackColor(colors::Blue);
        img = win_->grab().toImage();
        QCOMPARE(img.pixelColor(white), QColor(192, 192, 192));
        QCOMPARE(img.pixelColor(black), QColor(160, 160, 160));
        QCOMPARE(img.pixelColor(px(450 + 600 * 5) + 20, 150), QColor(0, 0, 255));
        // Japanese text is drawn: the frame title "難易度" leaves dark pixels.
        const QRect title(w(ControlRole::DifficultyFrame)->pos(), QSize(w(ControlRole::DifficultyFrame)->width(), 14));
        const int dark = darkPixels(img, title);
        QVERIFY2(dark > 20, qPrintable(QString::number(dark)));

        // The banner frame is opaque: with no text of its own it hides the options
        // it covers.
        auto darkIn = [&](QRect r) { return darkPixels(win_->grab().toImage(), r); };
        const QRect option(w(ControlRole::ModeOption, 0)->mapTo(win_.get(), QPoint(0, 0)), w(ControlRole::ModeOption, 0)->size());
        QVERIFY(darkIn(option) > 20);
        c(ControlRole::BannerText).setCaption("");
        c(ControlRole::Banner).setLeft(0);
        c(ControlRole::Banner).setVisible(true);
        QCOMPARE(darkIn(option), 0);
    }

    void pictureBoxesShowPictureAndPrintedText() {
        showWindow();
        c(ControlRole::NotePlate, 0).setVisible(true);
        QWidget* plate = w(ControlRole::NotePlate, 0);
        auto darkIn = [&](QWidget* x) { return darkPixels(x->grab().toImage()); };
        c(ControlRole::NotePlate, 0).setBackColor(colors::White);
        QCOMPARE(darkIn(plate), 0);
        c(ControlRole::NotePlate, 0).printText("ド ");
        QVERIFY(darkIn(plate) > 5);
        QImage red(220, 146, QImage::Format_RGB32);
        red.fill(Qt::red);
        c(ControlRole::VerdictPicture).setPicture(std::make_shared<QtPicture>(red));
        c(ControlRole::VerdictPicture).setVisible(true);
        QCOMPARE(pixelAt(*win_, centreOf(w(ControlRole::VerdictPicture))), QColor(Qt::red));
    }

    // Every press reaches the game's key handler once, before the control with the focus.
    void keyPreview() {
        showWindow();
        QWidget* start = w(ControlRole::StartStopButton);
        QCOMPARE(QApplication::focusWidget(), start);  // START has the focus at first
        QTest::keyClick(start, Qt::Key_Q);
        QTest::keyClick(start, Qt::Key_Q, Qt::ShiftModifier);
        QTest::keyClick(start, Qt::Key_Q, Qt::ControlModifier);
        QTest::keyClick(start, Qt::Key_2, Qt::ShiftModifier);
        QTest::keyClick(start, Qt::Key_2, Qt::KeypadModifier);
        QTest::keyClick(start, Qt::Key_Escape);
        // QTest presses the modifier keys too, as a keyboard does (Shift 16, Ctrl 17).
        QCOMPARE(rec_->log, (QStringList{"Key(81,0)", "Key(16,1)", "Key(81,1)", "Key(17,2)", "Key(81,2)", "Key(16,1)",
                                         "Key(50,1)", "Key(98,0)", "Key(27,0)"}));
        // The space bar still presses START, after the preview saw it.
        rec_->log.clear();
        QTest::keyClick(start, Qt::Key_Space);
        QCOMPARE(rec_->log, (QStringList{"Key(32,0)", "StartStop"}));
        // Auto-repeat: each repeat is a press of its own.
        rec_->log.clear();
        for (int i = 0; i < 3; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_S, Qt::NoModifier, "s", true);
            QApplication::sendEvent(start, &repeat);
        }
        QCOMPARE(rec_->log, (QStringList{"Key(83,0)", "Key(83,0)", "Key(83,0)"}));
        // Also with the focus on a check box deep in the window, or on the window.
        rec_->log.clear();
        w(ControlRole::NoLimitCheck)->setFocus();
        QTest::keyClick(w(ControlRole::NoLimitCheck), Qt::Key_J);
        table_->focusWindow();
        QCOMPARE(QApplication::focusWidget(), win_.get());
        QTest::keyClick(win_.get(), Qt::Key_J);
        QCOMPARE(rec_->log, (QStringList{"Key(74,0)", "Key(74,0)"}));
        // Keys for another window do not reach the game.
        rec_->log.clear();
        QWidget other;
        other.show();
        QTest::keyClick(&other, Qt::Key_Q);
        QVERIFY(rec_->log.isEmpty());
    }

    // Enter and the keypad's Enter press the focused button as the space bar does,
    // and nothing else: a focused check box or option stays as it is.
    void enterPressesTheFocusedButton_data() {
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("click");
        QTest::newRow("START/STOP") << int(ControlRole::StartStopButton) << "StartStop";
        QTest::newRow("REPLAY") << int(ControlRole::ReplayButton) << "Replay";
        QTest::newRow("show the answer") << int(ControlRole::ShowAnswerButton) << "ShowAnswer";
        QTest::newRow("next question") << int(ControlRole::NextQuestionButton) << "NextQuestion";
        QTest::newRow("no-limit box") << int(ControlRole::NoLimitCheck) << "";
        QTest::newRow("key-range option") << int(ControlRole::KeyRangeOption) << "";
    }
    void enterPressesTheFocusedButton() {
        QFETCH(int, role);
        QFETCH(QString, click);
        showWindow();
        const auto r = static_cast<ControlRole>(role);
        const int index = r == ControlRole::KeyRangeOption ? 1 : -1;
        c(r, index).setVisible(true);
        QWidget* target = w(r, index);
        target->setFocus();
        QCOMPARE(QApplication::focusWidget(), target);
        for (const auto modifiers : {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::KeypadModifier)}) {
            rec_->log.clear();
            QTest::keyClick(target, modifiers ? Qt::Key_Enter : Qt::Key_Return, modifiers);
            QStringList expected{"Key(13,0)"};
            if (!click.isEmpty()) expected << click;
            QCOMPARE(rec_->log, expected);
        }
        QCOMPARE(c(r, index).value(), 0);  // nothing toggled or chosen
    }

    void keysActOnAnyMouseButtonGoingDown() {
        showWindow();
        QTest::mousePress(w(ControlRole::WhiteKey, 3), Qt::LeftButton);
        QVERIFY(qobject_cast<QPushButton*>(w(ControlRole::WhiteKey, 3))->isDown());
        QTest::mouseRelease(w(ControlRole::WhiteKey, 3), Qt::LeftButton);
        QTest::mousePress(w(ControlRole::WhiteKey, 3), Qt::RightButton, Qt::ShiftModifier);
        QTest::mouseRelease(w(ControlRole::WhiteKey, 3), Qt::RightButton);
        QTest::mousePress(w(ControlRole::BlackKey, 9), Qt::MiddleButton);
        QTest::mouseRelease(w(ControlRole::BlackKey, 9), Qt::MiddleButton);
        // A double click through the window system: two presses, two sounds.
        QTest::mouseDClick(win_->windowHandle(), Qt::LeftButton, {}, centreOf(w(ControlRole::BlackKey, 4)));
        QCOMPARE(rec_->log, (QStringList{"White(3,1,0)", "White(3,2,1)", "Black(9,4,0)", "Black(4,1,0)", "Black(4,1,0)"}));
        // A press that locks the keys leaves the button up; a locked key gets nothing.
        rec_->log.clear();
        rec_->onCall = [&](const QString&) { c(ControlRole::WhiteKey, 6).setEnabled(false); };
        QTest::mousePress(w(ControlRole::WhiteKey, 6), Qt::LeftButton);
        QVERIFY(!qobject_cast<QPushButton*>(w(ControlRole::WhiteKey, 6))->isDown());
        rec_->onCall = nullptr;
        pressAt(centreOf(w(ControlRole::WhiteKey, 6)) + QPoint(0, 60));
        QCOMPARE(rec_->log, QStringList{"White(6,1,0)"});
    }

    // Values set by the game show on the widgets and run no handler.
    void mirrorsTableChangesWithoutHandlers() {
        c(ControlRole::StartStopButton).setCaption("STOP");
        QCOMPARE(qobject_cast<QPushButton*>(w(ControlRole::StartStopButton))->text(), QStringLiteral("STOP"));
        c(ControlRole::ReplayButton).setVisible(true);
        QVERIFY(!w(ControlRole::ReplayButton)->isHidden());
        c(ControlRole::TimeLimitFrame).setEnabled(false);
        QVERIFY(!w(ControlRole::TimeLimitBar)->isEnabled());
        c(ControlRole::Banner).setLeft(3000);
        QCOMPARE(w(ControlRole::Banner)->x(), 200);
        c(ControlRole::NoteNamesCheck).setValue(1);
        QVERIFY(qobject_cast<QCheckBox*>(w(ControlRole::NoteNamesCheck))->isChecked());
        c(ControlRole::DifficultyOption, 2).setValue(1);
        QVERIFY(qobject_cast<QRadioButton*>(w(ControlRole::DifficultyOption, 2))->isChecked());
        QVERIFY(!qobject_cast<QRadioButton*>(w(ControlRole::DifficultyOption, 1))->isChecked());
        c(ControlRole::DifficultyOption, 2).setValue(0);  // the table may clear a group entirely
        QVERIFY(!qobject_cast<QRadioButton*>(w(ControlRole::DifficultyOption, 2))->isChecked());
        c(ControlRole::TimeLimitBar).setValue(25);
        QCOMPARE(qobject_cast<QScrollBar*>(w(ControlRole::TimeLimitBar))->value(), 25);
        QVERIFY2(rec_->log.isEmpty(), qPrintable(rec_->log.join(' ')));
    }

    void userClicksWriteTheTableThenCallTheHandler() {
        showWindow();
        QTest::mouseClick(w(ControlRole::NoteNamesCheck), Qt::LeftButton);
        QTest::mouseClick(w(ControlRole::NoteNamesCheck), Qt::LeftButton);
        QTest::mouseClick(w(ControlRole::NoLimitCheck), Qt::LeftButton);
        QTest::mouseClick(w(ControlRole::AskDemonstrationCheck), Qt::LeftButton);  // no handler, value kept
        QCOMPARE(c(ControlRole::AskDemonstrationCheck).value(), 1);
        QTest::mouseClick(w(ControlRole::DifficultyOption, 0), Qt::LeftButton);
        QCOMPARE(c(ControlRole::DifficultyOption, 1).value(), 0);
        QTest::mouseClick(w(ControlRole::DifficultyOption, 0), Qt::LeftButton);  // already selected: nothing
        QVERIFY(qobject_cast<QRadioButton*>(w(ControlRole::DifficultyOption, 0))->isChecked());
        QTest::mouseClick(w(ControlRole::KeyRangeOption, 3), Qt::LeftButton);
        QTest::mouseClick(w(ControlRole::ModeOption, 1), Qt::LeftButton);
        QTest::mouseClick(w(ControlRole::StartStopButton), Qt::LeftButton);
        c(ControlRole::NextQuestionButton).setVisible(true);
        QTest::mouseClick(w(ControlRole::NextQuestionButton), Qt::LeftButton);
        QCOMPARE(rec_->log, (QStringList{"NoteNames=1", "NoteNames=0", "NoLimit=1", "Difficulty(0)=1", "KeyRange(3)=1",
                                         "Mode(1)=1", "StartStop", "NextQuestion"}));
    }

    void scrollBarReportsChangeAndScrollOnce() {
        auto* bar = qobject_cast<QScrollBar*>(w(ControlRole::TimeLimitBar));
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(rec_->log, (QStringList{"Change=71", "Change=61"}));
        rec_->log.clear();
        bar->setSliderDown(true);
        bar->setSliderPosition(40);
        bar->setSliderPosition(35);
        bar->setSliderDown(false);
        QCOMPARE(rec_->log, (QStringList{"Scroll=40", "Scroll=35", "Change=35"}));
        QCOMPARE(c(ControlRole::TimeLimitBar).value(), 35);
        bar->setSliderDown(true);  // the thumb let go where it was taken: no change
        bar->setSliderDown(false);
        QCOMPARE(rec_->log.size(), 3);
    }

    void closingWhileABoxIsOpenEndsTheProgram() {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--child-close-under-box"});
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QVERIFY(child.readAllStandardOutput().contains("box returned 7"));
    }

    // The window on the real game with test doubles: a press sounds its key, the
    // preview plays the PC key, the note-name check box shows the plates.
    void drivesTheGame() {
        test::GameRig rig;
        MainWindow window(rig.game);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::mousePress(window.widget(ControlRole::WhiteKey, 3), Qt::RightButton);
        QTest::mousePress(window.widget(ControlRole::BlackKey, 0), Qt::MiddleButton);
        QTest::keyClick(window.widget(ControlRole::StartStopButton), Qt::Key_M, Qt::ShiftModifier);
        QTest::keyClick(window.widget(ControlRole::StartStopButton), Qt::Key_2, Qt::KeypadModifier);  // not a piano key
        QCOMPARE(rig.sound.names(), (std::vector<std::string>{"fa", "do#", "+si"}));
        // The plates carry their note names from the load and show with the note-names box.
        QVERIFY(window.widget(ControlRole::NotePlate, 0)->isHidden());
        QTest::mouseClick(window.widget(ControlRole::NoteNamesCheck), Qt::LeftButton);
        QVERIFY(!window.widget(ControlRole::NotePlate, 0)->isHidden());
        QCOMPARE(dynamic_cast<PictureBox*>(window.widget(ControlRole::NotePlate, 3))->printedText(), QString::fromUtf8("ファ"));
        QTest::keyClick(window.widget(ControlRole::StartStopButton), Qt::Key_Escape);
        QCOMPARE(rig.app.quits, 1);
    }
};

// Child: the window is closed while a message box is open; the program must end
// with status 0, the box returning "No".
static int closeUnderBox(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QTimer::singleShot(5000, [] { QCoreApplication::exit(3); });
    auto table = ControlTable::createMainWindow();
    Recorder rec;
    rec.table = table.get();
    MainWindow window(*table, rec);
    QtApplication app;
    QtMessageBoxes boxes(&window);
    app.setMainWindow(&window);
    window.setCloseHandler([&] { app.quit(); });
    window.show();
    QTimer::singleShot(10, [&] {
        QTimer::singleShot(100, [&] { window.close(); });  // runs in the box's event loop
        std::printf("box returned %d\n", boxes.askYesNo("?"));
        std::fflush(stdout);
    });
    return QApplication::exec();
}

int main(int argc, char** argv) {
    if (argc == 2 && QByteArray(argv[1]) == "--child-close-under-box") return closeUnderBox(argc, argv);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_main_window.moc"
