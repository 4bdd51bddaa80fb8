// What a screen reader reads from the window, through QAccessible as assistive
// technology does: every key and plate named by its note (the upper octave told
// apart) with its PC key, the captions of the other controls as they change, the
// time limit bar, and the verdict picture named after the verdict it shows.
#include <QAccessible>
#include <QApplication>
#include <QSet>
#include <QStyleFactory>
#include <QTest>

#include "support/GameRig.h"
#include "view/MainWindow.h"

using namespace zv;

namespace {

QAccessibleInterface* accessible(QWidget* w) {
    QAccessibleInterface* iface = w ? QAccessible::queryAccessibleInterface(w) : nullptr;
    if (!iface) qFatal("no accessible interface for %s", w ? qPrintable(w->objectName()) : "a missing widget");
    return iface;
}
QString nameOf(QWidget* w) { return accessible(w)->text(QAccessible::Name); }
QString descriptionOf(QWidget* w) { return accessible(w)->text(QAccessible::Description); }

QStringList u8(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* s : list) out << QString::fromUtf8(s);
    return out;
}

}  // namespace

class AccessibleNamesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::GameRig> rig_;
    std::unique_ptr<MainWindow> win_;

    QWidget* w(ControlRole role, int index = -1) { return win_->widget(role, index); }
    Control& c(ControlRole role, int index = -1) { return rig_->game.table().at(role, index); }

private slots:
    // The window on the game with test doubles, loaded as at start-up.
    void init() {
        rig_ = std::make_unique<test::GameRig>();
        win_ = std::make_unique<MainWindow>(rig_->game);
    }
    void cleanup() {
        win_.reset();
        rig_.reset();
    }

    void keysAndPlatesAreNamedByTheirNotes() {
        const QStringList white = u8({"ド", "レ", "ミ", "ファ", "ソ", "ラ", "シ", "高いド", "高いレ", "高いミ", "高いファ",
                                      "高いソ", "高いラ", "高いシ"});
        const QStringList black = u8({"ド#", "レ#", "ファ#", "ソ#", "ラ#", "高いド#", "高いレ#", "高いファ#", "高いソ#", "高いラ#"});
        const QString whitePc = QStringLiteral("QWERTYUZXCVBNM"), blackPc = QStringLiteral("23567SDGHJ");
        QSet<QString> names;
        for (int i = 0; i < 14; ++i) {
            QAccessibleInterface* key = accessible(w(ControlRole::WhiteKey, i));
            QCOMPARE(key->role(), QAccessible::Button);
            QCOMPARE(key->text(QAccessible::Name), white[i]);
            QCOMPARE(descriptionOf(w(ControlRole::WhiteKey, i)), QString::fromUtf8("白鍵、PCキー ") + whitePc[i]);
            // The plate under a white key plays that key and carries its name.
            QCOMPARE(nameOf(w(ControlRole::NotePlate, i)), white[i]);
            names.insert(white[i]);
        }
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(nameOf(w(ControlRole::BlackKey, i)), black[i]);
            QCOMPARE(descriptionOf(w(ControlRole::BlackKey, i)), QString::fromUtf8("黒鍵、PCキー ") + blackPc[i]);
            names.insert(black[i]);
        }
        QCOMPARE(names.size(), 24);  // no two keys sound alike to the listener
        // A locked key keeps its name: it is greyed, not gone.
        c(ControlRole::WhiteKey, 3).setEnabled(false);
        QCOMPARE(nameOf(w(ControlRole::WhiteKey, 3)), white[3]);
        QVERIFY(accessible(w(ControlRole::WhiteKey, 3))->state().disabled);
    }

    void otherControlsAreReadByTheirCaptionsAsTheyChange() {
        for (const auto& ctl : rig_->game.table().all()) {
            QWidget* x = win_->widget(ctl->role(), ctl->index());
            const QByteArray id = QByteArray::fromStdString(ctl->id());
            const QString caption = QString::fromStdString(ctl->caption());
            if (!caption.isEmpty()) QVERIFY2(nameOf(x) == caption, id + " reads " + nameOf(x).toUtf8());
            // Everything a player can operate has something to read.
            if (ctl->kind() != ControlKind::Label && ctl->role() != ControlRole::Banner)
                QVERIFY2(!nameOf(x).isEmpty(), id + " has no name");
        }
        QCOMPARE(nameOf(w(ControlRole::TimeLimitBar)), QString::fromUtf8("制限時間"));
        QCOMPARE(accessible(w(ControlRole::TimeLimitBar))->role(), QAccessible::ScrollBar);
        QCOMPARE(accessible(w(ControlRole::NoteNamesCheck))->role(), QAccessible::CheckBox);
        QCOMPARE(accessible(w(ControlRole::KeyRangeOption, 2))->role(), QAccessible::RadioButton);
        QCOMPARE(nameOf(w(ControlRole::KeyRangeOption, 2)), QString::fromUtf8("1オクターブのみ"));
        // Captions the game changes are read as they are now.
        c(ControlRole::StartStopButton).setCaption("STOP");
        QCOMPARE(nameOf(w(ControlRole::StartStopButton)), QStringLiteral("STOP"));
        c(ControlRole::WhiteKeyMark, 4).setCaption("3");
        QCOMPARE(nameOf(w(ControlRole::WhiteKeyMark, 4)), QStringLiteral("3"));
        c(ControlRole::LimitLabel).setCaption("∞");
        QCOMPARE(nameOf(w(ControlRole::LimitLabel)), QString::fromUtf8("∞"));
    }

    // The verdict box takes the name of the picture it shows.
    void verdictPictureIsNamedByTheVerdict() {
        test::GameRig& rig = *rig_;
        QWidget* verdict = w(ControlRole::VerdictPicture);
        QCOMPARE(nameOf(w(ControlRole::StoredPicture, 0)), QString::fromUtf8("正解"));
        QCOMPARE(nameOf(w(ControlRole::StoredPicture, 1)), QString::fromUtf8("不正解"));
        QCOMPARE(nameOf(w(ControlRole::StoredPicture, 2)), QString::fromUtf8("ゲームオーバー"));

        test::scriptMelody(rig.random, {"白0", "黒1", "白9", "白3", "黒7", "白2", "白2", "白2", "白2", "白2"});
        rig.startAndPlayFirstQuestion();
        rig.answerRight();
        QVERIFY(!verdict->isHidden());
        QCOMPARE(nameOf(verdict), QString::fromUtf8("正解"));
        rig.playUntilSequencerStops();  // the pause, then the next question
        rig.pressToken(rig.wrongTokenFor(rig.melody().front()));
        QVERIFY(!verdict->isHidden());
        QCOMPARE(nameOf(verdict), QString::fromUtf8("不正解"));
        rig.game.startStopClicked();  // STOP
        QCOMPARE(nameOf(verdict), QString::fromUtf8("ゲームオーバー"));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    AccessibleNamesTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_accessible_names.moc"