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
        QtTimer stepTimer, countdownTimer;
        for (const char* f : {"maru.jpg", "batu.jpg", "gameover.jpg"}) pictures.existing.insert(app.cwd + "/" + f);
        Game game(Services{sound, boxes, random, pictures, app, stepTimer, countdownTimer});
        QVERIFY(!game.load());
        game.ui().askDemonstrationCheck->setValue(1);
        game.startStopClicked();
        // Banner (about 1.5 s) and a five-note question (2.5 s).
        QTRY_VERIFY_WITH_TIMEOUT(game.state().answering && !stepTimer.enabled(), 8000);

        int boxesSeen = 0;
        QString secondsWhenOpened, secondsWhenClosed;
        QTimer watch;
        watch.setInterval(20);
        connect(&watch, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box->property("seen").toBool()) return;
            box->setProperty("seen", true);
            ++boxesSeen;
            secondsWhenOpened = QString::fromStdString(game.ui().countdown->caption());
            QCOMPARE(box->text(), QString::fromUtf8("正解を表示しますか?"));
            // Held open for 2.3 s, then closed by a key press on its default button.
            QTimer::singleShot(2300, box, [&, box] {
                secondsWhenClosed = QString::fromStdString(game.ui().countdown->caption());
                QTest::keyClick(box, Qt::Key_Return);
            });
        });
        watch.start();
        game.whiteKeyPressed(game.state().melody[0] == "白0" ? 1 : 0);  // a wrong first note
        QTRY_VERIFY_WITH_TIMEOUT(game.state().phase == Phase::Demonstration && !stepTimer.enabled(), 10000);
        watch.stop();

        QCOMPARE(boxesSeen, 1);
        // The countdown ran on under the box: two seconds or more went by.
        QVERIFY2(secondsWhenOpened.toInt() - secondsWhenClosed.toInt() >= 2,
                 qPrintable(secondsWhenOpened + " -> " + secondsWhenClosed));
        QVERIFY(game.ui().showAnswer->visible() && game.ui().nextQuestion->visible());
    }
};

QTEST_MAIN(RealBoxTest)
#include "tst_real_box.moc"
