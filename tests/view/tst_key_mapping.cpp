// Qt key events to virtual-key codes: modifiers never change the code, the digit row
// counts by position, the keypad keeps codes of its own.
#include <QTest>

#include "view/KeyCodes.h"

using zv::virtualKeyCode;

class KeyMappingTest : public QObject {
    Q_OBJECT

private slots:
    void codes_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("scanCode");
        QTest::addColumn<bool>("xkb");
        QTest::addColumn<int>("code");
        const int shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier, alt = Qt::AltModifier, kp = Qt::KeypadModifier;
        // Letters: Qt reports upper case whatever Shift or Caps Lock do.
        QTest::newRow("Q") << int(Qt::Key_Q) << 0 << 24 << true << 81;
        QTest::newRow("Shift+Q") << int(Qt::Key_Q) << shift << 24 << true << 81;
        QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << ctrl << 24 << true << 81;
        QTest::newRow("Alt+M") << int(Qt::Key_M) << alt << 58 << true << 77;
        QTest::newRow("J offscreen") << int(Qt::Key_J) << 0 << 0 << false << 74;
        // Digits of the main block.
        QTest::newRow("2") << int(Qt::Key_2) << 0 << 11 << true << 50;
        QTest::newRow("Shift+2 on X11 (@)") << int(Qt::Key_At) << shift << 11 << true << 50;
        QTest::newRow("Shift+7 on X11 (&)") << int(Qt::Key_Ampersand) << shift << 16 << true << 55;
        QTest::newRow("Shift+0 on X11 ())") << int(Qt::Key_ParenRight) << shift << 19 << true << 48;
        QTest::newRow("AZERTY unshifted 2 (é)") << int(Qt::Key_Eacute) << 0 << 11 << true << 50;
        QTest::newRow("synthetic Shift+2") << int(Qt::Key_2) << shift << 0 << false << 50;
        QTest::newRow("@ without scan codes") << int(Qt::Key_At) << shift << 11 << false << 0;
        // Keypad: never the main block's codes.
        QTest::newRow("keypad 2") << int(Qt::Key_2) << kp << 88 << true << 98;
        QTest::newRow("keypad 0") << int(Qt::Key_0) << kp << 90 << true << 96;
        QTest::newRow("keypad Down (Num Lock off)") << int(Qt::Key_Down) << kp << 88 << true << 40;
        QTest::newRow("keypad 2 synthetic") << int(Qt::Key_2) << kp << 0 << false << 98;
        // A non-Latin layout plays by position; punctuation on a Latin layout does not.
        QTest::newRow("Cyrillic on the Q key") << 0x0419 << 0 << 24 << true << 81;
        QTest::newRow("Cyrillic on the M key") << 0x042C << 0 << 58 << true << 77;
        QTest::newRow("comma on the M position") << int(Qt::Key_Comma) << 0 << 58 << true << 0;
        // Other keys.
        QTest::newRow("Esc") << int(Qt::Key_Escape) << 0 << 9 << true << 27;
        QTest::newRow("Shift+Esc") << int(Qt::Key_Escape) << shift << 9 << true << 27;
        QTest::newRow("Space") << int(Qt::Key_Space) << 0 << 65 << true << 32;
        QTest::newRow("F5") << int(Qt::Key_F5) << 0 << 71 << true << 116;
        QTest::newRow("minus") << int(Qt::Key_Minus) << 0 << 20 << true << 0;
    }
    void codes() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, scanCode);
        QFETCH(bool, xkb);
        QFETCH(int, code);
        QCOMPARE(virtualKeyCode(key, Qt::KeyboardModifiers(modifiers), std::uint32_t(scanCode), xkb), code);
    }

    void shiftAndButtons() {
        QCOMPARE(zv::shiftState(Qt::NoModifier), 0);
        QCOMPARE(zv::shiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
        QCOMPARE(zv::shiftState(Qt::ControlModifier | Qt::KeypadModifier), 2);
        QCOMPARE(zv::mouseButtonCode(Qt::LeftButton), 1);
        QCOMPARE(zv::mouseButtonCode(Qt::RightButton), 2);
        QCOMPARE(zv::mouseButtonCode(Qt::MiddleButton), 4);
        QCOMPARE(zv::mouseButtonCode(Qt::BackButton), 0);
    }
};

QTEST_GUILESS_MAIN(KeyMappingTest)
#include "tst_key_mapping.moc"
