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
#include "window/QtMainWindow.h"

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
    std::unique_ptr<QtMainWindow> win_;

    QWidget* w(const char* name, int index = -1) { return win_->widget(name, index); }
    Control& c(const char* name, int index = -1) { return rig_->form.table().at(name, index); }

private slots:
    // The window on the game with test doubles, loaded as at start-up.
    void init() {
        rig_ = std::make_unique<test::GameRig>();
        win_ = std::make_unique<QtMainWindow>(rig_->form);
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
            QAccessibleInterface* key = accessible(w("Command1", i));
            QCOMPARE(key->role(), QAccessible::Button);
            QCOMPARE(key->text(QAccessible::Name), white[i]);
            QCOMPARE(descriptionOf(w("Command1", i)), QString::fromUtf8("白鍵、PCキー ") + whitePc[i]);
            // The plate under a white key plays that key and carries its name.
            QCOMPARE(nameOf(w("Picture3", i)), white[i]);
            names.insert(white[i]);
        }
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(nameOf(w("Command2", i)), black[i]);
            QCOMPARE(descriptionOf(w("Command2", i)), QString::fromUtf8("黒鍵、PCキー ") + blackPc[i]);
            names.insert(black[i]);
        }
        QCOMPARE(names.size(), 24);  // no two keys sound alike to the listener
        // A locked key keeps its name: it is greyed, not gone.
        c("Command1", 3).setEnabled(false);
        QCOMPARE(nameOf(w("Command1", 3)), white[3]);
        QVERIFY(accessible(w("Command1", 3))->state().disabled);
    }

    void otherControlsAreReadByTheirCaptionsAsTheyChange() {
        for (const auto& ctl : rig_->form.table().all()) {
            QWidget* x = win_->widget(ctl->name(), ctl->index());
            const QByteArray id = QByteArray::fromStdString(ctl->id());
            const QString caption = QString::fromStdString(ctl->caption());
            if (!caption.isEmpty()) QVERIFY2(nameOf(x) == caption, id + " reads " + nameOf(x).toUtf8());
            // Everything a player can operate has something to read.
            if (ctl->kind() != ControlKind::Label && ctl->name() != "Frame3")
                QVERIFY2(!nameOf(x).isEmpty(), id + " has no name");
        }
        QCOMPARE(nameOf(w("VScroll1")), QString::fromUtf8("制限時間"));
        QCOMPARE(accessible(w("VScroll1"))->role(), QAccessible::ScrollBar);
        QCOMPARE(accessible(w("Check2"))->role(), QAccessible::CheckBox);
        QCOMPARE(accessible(w("Option3", 2))->role(), QAccessible::RadioButton);
        QCOMPARE(nameOf(w("Option3", 2)), QString::fromUtf8("1オクターブのみ"));
        // Captions the game changes are read as they are now.
        c("Command3").setCaption("STOP");
        QCOMPARE(nameOf(w("Command3")), QStringLiteral("STOP"));
        c("Label7", 4).setCaption("3");
        QCOMPARE(nameOf(w("Label7", 4)), QStringLiteral("3"));
        c("Label6").setCaption("∞");
        QCOMPARE(nameOf(w("Label6")), QString::fromUtf8("∞"));
    }

    // The verdict box takes the name of the picture it shows.
    void verdictPictureIsNamedByTheVerdict() {
        test::GameRig& rig = *rig_;
        QWidget* verdict = w("Picture1");
        QCOMPARE(nameOf(w("Picture2", 0)), QString::fromUtf8("正解"));
        QCOMPARE(nameOf(w("Picture2", 1)), QString::fromUtf8("不正解"));
        QCOMPARE(nameOf(w("Picture2", 2)), QString::fromUtf8("ゲームオーバー"));

        test::scriptMelody(rig.random, {"白0", "黒1", "白9", "白3", "黒7", "白2", "白2", "白2", "白2", "白2"});
        rig.startAndPlayFirstQuestion();
        rig.answerRight();
        QVERIFY(!verdict->isHidden());
        QCOMPARE(nameOf(verdict), QString::fromUtf8("正解"));
        rig.playUntilSequencerStops();  // the pause, then the next question
        rig.pressToken(rig.wrongTokenFor(rig.melody().front()));
        QVERIFY(!verdict->isHidden());
        QCOMPARE(nameOf(verdict), QString::fromUtf8("不正解"));
        rig.form.Command3_Click();  // STOP
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