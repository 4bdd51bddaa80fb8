// The game with its real Qt timers and real message boxes: while the demonstration
// question is open, Qt's nested event loop keeps both timers ticking. The countdown
// goes on, no second box opens, and the key press that closes the box (Enter, Yes)
// starts the demonstration.
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "platform/doubles/Fakes.h"
#include "platform/real/QtMessageBoxes.h"
#include "platform/real/QtTimer.h"
#include "support/GameRig.h"

using namespace zv;

class RealBoxTest : public QObject {
    Q_OBJECT

private slots:
    void timersTickUnderTheDemonstrationQuestion() {
        RecordingSound sound;
        QWidget owner;
        QtMessageBoxes boxes(&owner);
        ScriptedRandom random;
        FakePictures pictures;
        FakeApplication app;
        QtTimer timer1, timer2;
        for (const char* f : {"maru.jpg", "batu.jpg", "gameover.jpg"}) pictures.existing.insert(app.cwd + "/" + f);
        Form1 form(Services{sound, boxes, random, pictures, app, timer1, timer2});
        QVERIFY(!form.Form_Load());
        form.ui().Check3->setValue(1);
        form.Command3_Click();
        // Banner (about 1.5 s) and a five-note question (2.5 s).
        QTRY_VERIFY_WITH_TIMEOUT(form.vars().Playing == kTrue && !timer1.enabled(), 8000);

        int boxesSeen = 0;
        QString secondsWhenOpened, secondsWhenClosed;
        QTimer watch;
        watch.setInterval(20);
        connect(&watch, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box->property("seen").toBool()) return;
            box->setProperty("seen", true);
            ++boxesSeen;
            secondsWhenOpened = QString::fromStdString(form.ui().Label2->caption());
            QCOMPARE(box->text(), QString::fromUtf8("正解を表示しますか?"));
            // Held open for 2.3 s, then closed by a key press on its default button.
            QTimer::singleShot(2300, box, [&, box] {
                secondsWhenClosed = QString::fromStdString(form.ui().Label2->caption());
                QTest::keyClick(box, Qt::Key_Return);
            });
        });
        watch.start();
        form.Command1_MouseDown(form.vars().Melody[0] == "白0" ? 1 : 0);  // a wrong first note
        QTRY_VERIFY_WITH_TIMEOUT(form.vars().Phase == phase::Demonstration && !timer1.enabled(), 10000);
        watch.stop();

        QCOMPARE(boxesSeen, 1);
        // The countdown ran on under the box: two seconds or more went by.
        QVERIFY2(secondsWhenOpened.toInt() - secondsWhenClosed.toInt() >= 2,
                 qPrintable(secondsWhenOpened + " -> " + secondsWhenClosed));
        QVERIFY(form.ui().Command5[0]->visible() && form.ui().Command5[1]->visible());
    }
};

QTEST_MAIN(RealBoxTest)
#include "tst_real_box.moc"
