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
#include "window/QtControls.h"
#include "window/QtMainWindow.h"

using namespace zv;

namespace {

// Records every handler call, with the table's value of the control at that moment
// (handlers read the value from the table, so it must already be there).
struct Recorder : FormEvents {
    ControlTable* table = nullptr;
    QStringList log;
    std::function<void(const QString&)> onCall;

    void rec(const QString& entry) {
        log << entry;
        if (onCall) onCall(entry);
    }
    QString value(const char* name, int index = -1) { return QString::number(table->at(name, index).value()); }
    void Form_KeyDown(int k, int s) override { rec(QString("Key(%1,%2)").arg(k).arg(s)); }
    void Command1_MouseDown(int i, int b, int s, float, float) override { rec(QString("White(%1,%2,%3)").arg(i).arg(b).arg(s)); }
    void Command2_MouseDown(int i, int b, int s, float, float) override { rec(QString("Black(%1,%2,%3)").arg(i).arg(b).arg(s)); }
    void Picture3_MouseDown(int i, int b, int, float, float) override { rec(QString("Plate(%1,%2)").arg(i).arg(b)); }
    void Command3_Click() override { rec("Command3"); }
    void Command4_Click() override { rec("Command4"); }
    void Command5_Click(int i) override { rec(QString("Command5(%1)").arg(i)); }
    void Option1_Click(int i) override { rec(QString("Option1(%1)=%2").arg(i).arg(value("Option1", i))); }
    void Option2_Click(int i) override { rec(QString("Option2(%1)=%2").arg(i).arg(value("Option2", i))); }
    void Option3_Click(int i) override { rec(QString("Option3(%1)=%2").arg(i).arg(value("Option3", i))); }
    void Check1_Click() override { rec("Check1=" + value("Check1")); }
    void Check2_Click() override { rec("Check2=" + value("Check2")); }
    void VScroll1_Change() override { rec("Change=" + value("VScroll1")); }
    void VScroll1_Scroll() override { rec("Scroll=" + value("VScroll1")); }
};

int px(int twips) { return QtMainWindow::toPixels(twips); }

QColor pixelAt(QWidget& w, QPoint p) { return w.grab().toImage().pixelColor(p); }

QPoint centreOf(QWidget* w) { return w->mapTo(w->window(), w->rect().center()); }

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ControlTable> table_;
    std::unique_ptr<Recorder> rec_;
    std::unique_ptr<QtMainWindow> win_;

    QWidget* w(const char* name, int index = -1) { return win_->widget(name, index); }
    Control& c(const char* name, int index = -1) { return table_->at(name, index); }
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
        win_ = std::make_unique<QtMainWindow>(*table_, *rec_);
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
            QWidget* x = win_->widget(ctl->name(), ctl->index());
            const QByteArray id = QByteArray::fromStdString(ctl->id());
            QVERIFY2(x, id);
            QCOMPARE(x->objectName(), QString::fromStdString(ctl->id()));
            QCOMPARE(x->geometry(), QRect(px(ctl->left()), px(ctl->top()), px(ctl->width()), px(ctl->height())));
            QCOMPARE(x->isHidden(), !ctl->visible());
            QCOMPARE(x->toolTip(), QString::fromStdString(ctl->toolTip()));
            QWidget* parent = ctl->container() ? win_->widget(ctl->container()->name(), ctl->container()->index()) : win_.get();
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
            case ControlKind::PictureBox: QVERIFY(dynamic_cast<QtPictureBox*>(x)); break;
            case ControlKind::VScrollBar: QCOMPARE(qobject_cast<QScrollBar*>(x)->value(), 70); break;
            }
        }
        // Sample geometry in pixels: every black key's left edge and a few others.
        const int blackLeft[10] = {840, 1455, 2640, 3255, 3855, 5010, 5655, 6825, 7440, 8025};
        for (int i = 0; i < 10; ++i) QCOMPARE(w("Command2", i)->x(), blackLeft[i] / 15);
        QCOMPARE(w("Command1", 13)->geometry(), QRect(550, 19, 40, 146));
        QCOMPARE(w("Picture3", 10)->geometry(), QRect(443, 144, 20, 14));
        QCOMPARE(w("Frame3")->geometry(), QRect(635, 177, 367, 114));
        QCOMPARE(w("VScroll1")->geometry(), QRect(7, 15, 24, 73));
        QCOMPARE(w("Option1", 1)->toolTip(), QString::fromUtf8("5メロディー"));
        QCOMPARE(w("Check3")->toolTip(), QString::fromUtf8("問題ごとに正解を表示するかどうか尋ねます\u3000(プレイ中に変更も可能)"));
        for (int i = 0; i < 14; ++i) QCOMPARE(w("Command1", i)->focusPolicy(), Qt::NoFocus);
        // The icon beside the program (copied there by the build) is the window's.
        if (QFileInfo::exists(QCoreApplication::applicationDirPath() + "/icon/zorvanta.png"))
            QVERIFY(!win_->windowIcon().isNull());
    }

    void laterControlsLieAbove() {
        showWindow();
        // A black key over two white keys.
        QCOMPARE(win_->childAt(centreOf(w("Command2", 0))), w("Command2", 0));
        QCOMPARE(win_->childAt(QPoint(px(450) + 5, 150)), w("Command1", 0));
        // A shown plate takes the press, not the key beneath it.
        c("Picture3", 4).setVisible(true);
        pressAt(centreOf(w("Picture3", 4)), Qt::RightButton);
        QCOMPARE(rec_->log, QStringList{"Plate(4,2)"});
        // The result picture swallows presses over the keys.
        rec_->log.clear();
        c("Picture1").setVisible(true);
        pressAt(centreOf(w("Picture1")));
        pressAt(centreOf(w("Command2", 3)));  // black key 3 lies under the picture
        QVERIFY2(rec_->log.isEmpty(), qPrintable(rec_->log.join(' ')));
        // The banner lies above the settings frames.
        c("Frame3").setLeft(345);
        c("Frame3").setVisible(true);
        QWidget* hit = win_->childAt(centreOf(w("Option2", 0)));
        QVERIFY(hit == w("Frame3") || w("Frame3")->isAncestorOf(hit));
    }

    // Every control in the design face's stand-in, fractional sizes kept.
    void fontsAreTheDesignFace() {
        for (const auto& ctl : table_->all())
            QCOMPARE(QFontInfo(win_->widget(ctl->name(), ctl->index())->font()).family(), QStringLiteral("IPAPGothic"));
        QCOMPARE(w("Label2")->font().pointSizeF(), 27.75);
        QCOMPARE(w("Label2")->font().weight(), QFont::Bold);
        QCOMPARE(w("Command3")->font().pointSizeF(), 9.0);
    }

    void rendersKeysInTheirColours() {
        showWindow();
        const QPoint white(px(450 + 600 * 2) + 20, 150), black = centreOf(w("Command2", 0));
        QImage img = win_->grab().toImage();
        QCOMPARE(img.size(), QSize(619, 291));
        QCOMPARE(img.pixelColor(white), QColor(Qt::white));
        QCOMPARE(img.pixelColor(black), QColor(Qt::black));
        // Locked keys keep the grey they were given; a demonstrated key is blue.
        c("Command1", 2).setBackColor(colors::LightGrey);
        c("Command1", 2).setEnabled(false);
        c("Command2", 0).setBackColor(colors::Grey);
        c("Command2", 0).setEnabled(false);
        c("Command1", 5).setBackColor(colors::Blue);
        img = win_->grab().toImage();
        QCOMPARE(img.pixelColor(white), QColor(192, 192, 192));
        QCOMPARE(img.pixelColor(black), QColor(160, 160, 160));
        QCOMPARE(img.pixelColor(px(450 + 600 * 5) + 20, 150), QColor(0, 0, 255));
        // Japanese text is drawn: the frame title "難易度" leaves dark pixels.
        int dark = 0;
        const QRect title(w("Frame1")->pos(), QSize(w("Frame1")->width(), 14));
        for (int y = title.top(); y <= title.bottom(); ++y)
            for (int x = title.left(); x <= title.right(); ++x) dark += img.pixelColor(x, y).lightness() < 100;
        QVERIFY2(dark > 20, qPrintable(QString::number(dark)));

        // The banner frame is opaque: with no text of its own it hides the options
        // it covers.
        auto darkIn = [&](QRect r) {
            const QImage shot = win_->grab().toImage();
            int n = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x) n += shot.pixelColor(x, y).lightness() < 100;
            return n;
        };
        const QRect option(w("Option2", 0)->mapTo(win_.get(), QPoint(0, 0)), w("Option2", 0)->size());
        QVERIFY(darkIn(option) > 20);
        c("Label1").setCaption("");
        c("Frame3").setLeft(0);
        c("Frame3").setVisible(true);
        QCOMPARE(darkIn(option), 0);
    }

    void pictureBoxesShowPictureAndPrintedText() {
        showWindow();
        c("Picture3", 0).setVisible(true);
        QWidget* plate = w("Picture3", 0);
        auto darkIn = [&](QWidget* x) {
            const QImage img = x->grab().toImage();
            int n = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int i = 0; i < img.width(); ++i) n += img.pixelColor(i, y).lightness() < 100;
            return n;
        };
        c("Picture3", 0).setBackColor(colors::White);
        QCOMPARE(darkIn(plate), 0);
        c("Picture3", 0).printText("ド ");
        QVERIFY(darkIn(plate) > 5);
        QImage red(220, 146, QImage::Format_RGB32);
        red.fill(Qt::red);
        c("Picture1").setPicture(std::make_shared<QtPicture>(red));
        c("Picture1").setVisible(true);
        QCOMPARE(pixelAt(*win_, centreOf(w("Picture1"))), QColor(Qt::red));
    }

    // Every press reaches Form_KeyDown once, before the control with the focus.
    void keyPreview() {
        showWindow();
        QWidget* start = w("Command3");
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
        QCOMPARE(rec_->log, (QStringList{"Key(32,0)", "Command3"}));
        // Auto-repeat: each repeat is a press of its own.
        rec_->log.clear();
        for (int i = 0; i < 3; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_S, Qt::NoModifier, "s", true);
            QApplication::sendEvent(start, &repeat);
        }
        QCOMPARE(rec_->log, (QStringList{"Key(83,0)", "Key(83,0)", "Key(83,0)"}));
        // Also with the focus on a check box deep in the window, or on the window.
        rec_->log.clear();
        w("Check1")->setFocus();
        QTest::keyClick(w("Check1"), Qt::Key_J);
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

    void keysActOnAnyMouseButtonGoingDown() {
        showWindow();
        QTest::mousePress(w("Command1", 3), Qt::LeftButton);
        QVERIFY(qobject_cast<QPushButton*>(w("Command1", 3))->isDown());
        QTest::mouseRelease(w("Command1", 3), Qt::LeftButton);
        QTest::mousePress(w("Command1", 3), Qt::RightButton, Qt::ShiftModifier);
        QTest::mouseRelease(w("Command1", 3), Qt::RightButton);
        QTest::mousePress(w("Command2", 9), Qt::MiddleButton);
        QTest::mouseRelease(w("Command2", 9), Qt::MiddleButton);
        // A double click through the window system: two presses, two sounds.
        QTest::mouseDClick(win_->windowHandle(), Qt::LeftButton, {}, centreOf(w("Command2", 4)));
        QCOMPARE(rec_->log, (QStringList{"White(3,1,0)", "White(3,2,1)", "Black(9,4,0)", "Black(4,1,0)", "Black(4,1,0)"}));
        // A press that locks the keys leaves the button up; a locked key gets nothing.
        rec_->log.clear();
        rec_->onCall = [&](const QString&) { c("Command1", 6).setEnabled(false); };
        QTest::mousePress(w("Command1", 6), Qt::LeftButton);
        QVERIFY(!qobject_cast<QPushButton*>(w("Command1", 6))->isDown());
        rec_->onCall = nullptr;
        pressAt(centreOf(w("Command1", 6)) + QPoint(0, 60));
        QCOMPARE(rec_->log, QStringList{"White(6,1,0)"});
    }

    // Values set by the game show on the widgets and run no handler.
    void mirrorsTableChangesWithoutHandlers() {
        c("Command3").setCaption("STOP");
        QCOMPARE(qobject_cast<QPushButton*>(w("Command3"))->text(), QStringLiteral("STOP"));
        c("Command4").setVisible(true);
        QVERIFY(!w("Command4")->isHidden());
        c("Frame4").setEnabled(false);
        QVERIFY(!w("VScroll1")->isEnabled());
        c("Frame3").setLeft(3000);
        QCOMPARE(w("Frame3")->x(), 200);
        c("Check2").setValue(1);
        QVERIFY(qobject_cast<QCheckBox*>(w("Check2"))->isChecked());
        c("Option1", 2).setValue(1);
        QVERIFY(qobject_cast<QRadioButton*>(w("Option1", 2))->isChecked());
        QVERIFY(!qobject_cast<QRadioButton*>(w("Option1", 1))->isChecked());
        c("Option1", 2).setValue(0);  // the table may clear a group entirely
        QVERIFY(!qobject_cast<QRadioButton*>(w("Option1", 2))->isChecked());
        c("VScroll1").setValue(25);
        QCOMPARE(qobject_cast<QScrollBar*>(w("VScroll1"))->value(), 25);
        QVERIFY2(rec_->log.isEmpty(), qPrintable(rec_->log.join(' ')));
    }

    void userClicksWriteTheTableThenCallTheHandler() {
        showWindow();
        QTest::mouseClick(w("Check2"), Qt::LeftButton);
        QTest::mouseClick(w("Check2"), Qt::LeftButton);
        QTest::mouseClick(w("Check1"), Qt::LeftButton);
        QTest::mouseClick(w("Check3"), Qt::LeftButton);  // no handler, value kept
        QCOMPARE(c("Check3").value(), 1);
        QTest::mouseClick(w("Option1", 0), Qt::LeftButton);
        QCOMPARE(c("Option1", 1).value(), 0);
        QTest::mouseClick(w("Option1", 0), Qt::LeftButton);  // already selected: nothing
        QVERIFY(qobject_cast<QRadioButton*>(w("Option1", 0))->isChecked());
        QTest::mouseClick(w("Option3", 3), Qt::LeftButton);
        QTest::mouseClick(w("Option2", 1), Qt::LeftButton);
        QTest::mouseClick(w("Command3"), Qt::LeftButton);
        c("Command5", 1).setVisible(true);
        QTest::mouseClick(w("Command5", 1), Qt::LeftButton);
        QCOMPARE(rec_->log, (QStringList{"Check2=1", "Check2=0", "Check1=1", "Option1(0)=1", "Option3(3)=1",
                                         "Option2(1)=1", "Command3", "Command5(1)"}));
    }

    void scrollBarReportsChangeAndScrollOnce() {
        auto* bar = qobject_cast<QScrollBar*>(w("VScroll1"));
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(rec_->log, (QStringList{"Change=71", "Change=61"}));
        rec_->log.clear();
        bar->setSliderDown(true);
        bar->setSliderPosition(40);
        bar->setSliderPosition(35);
        bar->setSliderDown(false);
        QCOMPARE(rec_->log, (QStringList{"Scroll=40", "Scroll=35", "Change=35"}));
        QCOMPARE(c("VScroll1").value(), 35);
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
        QtMainWindow window(rig.form);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::mousePress(window.widget("Command1", 3), Qt::RightButton);
        QTest::mousePress(window.widget("Command2", 0), Qt::MiddleButton);
        QTest::keyClick(window.widget("Command3"), Qt::Key_M, Qt::ShiftModifier);
        QTest::keyClick(window.widget("Command3"), Qt::Key_2, Qt::KeypadModifier);  // not a piano key
        QCOMPARE(rig.sound.names(), (std::vector<std::string>{"fa", "do#", "+si"}));
        // The plates carry their note names from the load and show with Check2.
        QVERIFY(window.widget("Picture3", 0)->isHidden());
        QTest::mouseClick(window.widget("Check2"), Qt::LeftButton);
        QVERIFY(!window.widget("Picture3", 0)->isHidden());
        QCOMPARE(dynamic_cast<QtPictureBox*>(window.widget("Picture3", 3))->printedText(), QString::fromUtf8("ファ"));
        QTest::keyClick(window.widget("Command3"), Qt::Key_Escape);
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
    QtMainWindow window(*table, rec);
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
