// Playing a game through real Qt events on the shown window (offscreen): key presses
// with every modifier, mouse buttons on keys and plates, locked keys, Esc, and
// whole answers. Time runs virtually through the game rig's clock.
#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <memory>

#include "support/GameRig.h"
#include "view/DevicePress.h"
#include "view/MainWindow.h"

using namespace zv;
using namespace zv::test;

namespace {

const char kWhiteKeys[] = "QWERTYUZXCVBNM";
const char kBlackKeys[] = "23567SDGHJ";

Qt::Key qtKeyFor(const std::string& token) {
    const auto key = readToken(token);
    const char c = key->color == KeyColor::White ? kWhiteKeys[key->index] : kBlackKeys[key->index];
    return static_cast<Qt::Key>(c);  // Qt's codes for A-Z and 0-9 are their ASCII codes
}

}  // namespace

class PlayByQtEventsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GameRig> rig_;
    std::unique_ptr<MainWindow> window_;

    QWidget* w(ControlRole role, int index = -1) { return window_->widget(role, index); }
    QWidget* focus() { return QApplication::focusWidget() ? QApplication::focusWidget() : window_.get(); }

private slots:
    void init() {
        rig_ = std::make_unique<GameRig>();
        window_ = std::make_unique<MainWindow>(rig_->game);
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    void cleanup() {
        window_.reset();
        rig_.reset();
    }

    void everyMappedKeyWithEveryModifier() {
        const std::string names[24] = {"do",  "re",  "mi",  "fa",  "so",  "ra",  "si",  "+do",
                                       "+re", "+mi", "+fa", "+so", "+ra", "+si", "do#", "re#",
                                       "fa#", "so#", "ra#", "+do#", "+re#", "+fa#", "+so#", "+ra#"};
        const std::string keys = std::string(kWhiteKeys) + kBlackKeys;
        for (int i = 0; i < 24; ++i) {
            const auto key = static_cast<Qt::Key>(keys[i]);
            rig_->sound.clear();
            QTest::keyClick(focus(), key);
            QTest::keyClick(focus(), key, Qt::ShiftModifier);
            QTest::keyClick(focus(), key, Qt::ControlModifier);
            QTest::keyClick(focus(), key, Qt::AltModifier);
            // Caps Lock changes only the text a key types, never the key.
            QKeyEvent caps(QEvent::KeyPress, key, Qt::NoModifier, QString(QChar(keys[i])).toUpper());
            QApplication::sendEvent(focus(), &caps);
            QCOMPARE(rig_->sound.names(), std::vector<std::string>(5, names[i]));
        }
    }

    void keypadAndUnmappedKeysPlayNothing() {
        for (Qt::Key k : {Qt::Key_2, Qt::Key_3, Qt::Key_5, Qt::Key_7}) QTest::keyClick(focus(), k, Qt::KeypadModifier);
        for (Qt::Key k : {Qt::Key_4, Qt::Key_F, Qt::Key_1, Qt::Key_0, Qt::Key_A, Qt::Key_Left, Qt::Key_F5})
            QTest::keyClick(focus(), k);
        QVERIFY(rig_->sound.played.empty());
    }

    // A focused option button or check box takes the arrow keys and the space bar,
    // but the piano keys still play, and the option stays as it was.
    void focusedSettingsDoNotSwallowPianoKeys() {
        for (const ControlRole role : {ControlRole::KeyRangeOption, ControlRole::AskDemonstrationCheck, ControlRole::TimeLimitBar}) {
            QWidget* target = w(role, role == ControlRole::KeyRangeOption ? 0 : -1);
            target->setFocus();
            QCOMPARE(QApplication::focusWidget(), target);
            rig_->sound.clear();
            QTest::keyClick(target, Qt::Key_E);
            QCOMPARE(rig_->sound.names(), std::vector<std::string>{"mi"});
        }
        QCOMPARE(rig_->ui.keyRangeOptions[0]->value(), 1);
        QCOMPARE(rig_->settings.keyRange, 0);
    }

    void everyMouseButtonOnKeysAndPlates() {
        QTest::mouseClick(w(ControlRole::NoteNamesCheck), Qt::LeftButton);
        QVERIFY(w(ControlRole::NotePlate, 0)->isVisible());
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            rig_->sound.clear();
            for (QWidget* x : {w(ControlRole::WhiteKey, 1), w(ControlRole::BlackKey, 7), w(ControlRole::NotePlate, 10)}) {
                QTest::mousePress(x, b);
                QTest::mouseRelease(x, b);
            }
            QCOMPARE(rig_->sound.names(), (std::vector<std::string>{"re", "+fa#", "+fa"}));
        }
    }

    void lockedKeysAreSilent() {
        QTest::mouseClick(w(ControlRole::KeyRangeOption, 2), Qt::LeftButton);  // one octave
        QCOMPARE(rig_->settings.keyRange, 2);
        QTest::mouseClick(w(ControlRole::NoteNamesCheck), Qt::LeftButton);
        rig_->sound.clear();
        for (Qt::Key k : {Qt::Key_Z, Qt::Key_M, Qt::Key_S, Qt::Key_J}) QTest::keyClick(focus(), k);
        QTest::mousePress(w(ControlRole::WhiteKey, 9), Qt::LeftButton);
        QTest::mousePress(w(ControlRole::NotePlate, 9), Qt::LeftButton);
        QTest::mousePress(w(ControlRole::BlackKey, 6), Qt::RightButton);
        QVERIFY(rig_->sound.played.empty());
        QTest::keyClick(focus(), Qt::Key_Y);
        QCOMPARE(rig_->sound.names(), std::vector<std::string>{"ra"});
    }

    void wholeAnswerRightByKeyboard() {
        QTest::keyClick(w(ControlRole::StartStopButton), Qt::Key_Space);  // START has the focus
        rig_->playUntilSequencerStops();
        QCOMPARE(rig_->questions(), 1);
        for (const std::string& token : rig_->melody()) QTest::keyClick(focus(), qtKeyFor(token), Qt::ShiftModifier);
        QCOMPARE(rig_->rights(), 1);
        QVERIFY(rig_->ui.verdictPicture->visible());
        QCOMPARE(rig_->ui.verdictPicture->picture(), rig_->ui.storedPictures[0]->picture());
    }

    void wrongFirstNoteByMouse() {
        QTest::mouseClick(w(ControlRole::StartStopButton), Qt::LeftButton);
        rig_->playUntilSequencerStops();
        const auto melody = rig_->melody();
        const int wrong = melody[0] == "白5" ? 6 : 5;
        QTest::mousePress(w(ControlRole::WhiteKey, wrong), Qt::MiddleButton);
        QCOMPARE(rig_->state.notePos, 0);
        QCOMPARE(rig_->rights(), 0);
        QCOMPARE(rig_->ui.verdictPicture->picture(), rig_->ui.storedPictures[1]->picture());
        QVERIFY(rig_->allKeysLocked());
    }

    // A finger plays as a click does (Qt's press for a touch) and is kept as touch.
    void wholeAnswerRightByTouch() {
        struct : GameObserver { InputKind input{}; void answerJudged(const Verdict& v) override { input = v.input; } } seen;
        rig_->game.setObserver(seen);
        rig_->startAndPlayFirstQuestion();
        const std::unique_ptr<QPointingDevice> screen(QTest::createTouchDevice());  // the test's to delete
        for (const std::string& token : rig_->melody()) {
            const PianoKey key = *readToken(token);
            QWidget* k = w(key.color == KeyColor::White ? ControlRole::WhiteKey : ControlRole::BlackKey, key.index);
            QTest::touchEvent(k, screen.get()).press(0, {k->width() / 2, k->height() * 7 / 8}, k);  // below the black keys
            QTest::touchEvent(k, screen.get()).release(0, {k->width() / 2, k->height() * 7 / 8}, k);
        }
        QVERIFY(rig_->rights() == 1 && seen.input == InputKind::Touch);
    }

    // A sung note shows its key held down until the note ends, and only a key a click
    // could press: none while the question plays.
    void sungNoteHoldsItsKey() {
        SungNotePress sung(rig_->game, *window_);
        auto* c = qobject_cast<QAbstractButton*>(w(ControlRole::WhiteKey, 0));
        sung.noteChanged(48, true);
        QVERIFY(c->isDown());
        sung.noteChanged(48, false);
        QVERIFY(!c->isDown());
        rig_->startGame();
        sung.noteChanged(48, true);
        QVERIFY(!c->isDown());
    }

    void escapeEndsTheGameThenQuits() {
        QTest::mouseClick(w(ControlRole::StartStopButton), Qt::LeftButton);
        rig_->playUntilSequencerStops();
        QTest::keyClick(focus(), Qt::Key_Escape);
        QCOMPARE(rig_->app.quits, 0);
        QCOMPARE(rig_->stepTimer.interval(), 1000);
        rig_->clock.advance(1000);
        QCOMPARE(rig_->boxes.shown.size(), size_t(1));
        QVERIFY(rig_->isIdle());
        QTest::keyClick(focus(), Qt::Key_Escape);
        QCOMPARE(rig_->app.quits, 1);
    }
};

QTEST_MAIN(PlayByQtEventsTest)
#include "tst_play_by_qt_events.moc"
