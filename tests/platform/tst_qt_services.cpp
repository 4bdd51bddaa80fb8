// The Qt-based services: timer semantics in real time, the random source, picture
// loading, message boxes, and the application's end (in child processes, since
// ending the event loops cannot be undone inside one test process).
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "support/TempFiles.h"
#include <QTimer>
#include <cstdio>

#include "platform/real/ClockRandom.h"
#include "platform/real/QtApplication.h"
#include "platform/real/QtMessageBoxes.h"
#include "platform/real/QtPictures.h"
#include "platform/real/QtTimer.h"
#include "platform/real/SessionBus.h"
#include "view/AfterFirstFrame.h"

using namespace zv;

namespace {

// Milliseconds from start to each tick of t, until `until` ms have passed (or, with
// `firstOnly`, until the first tick).
std::vector<qint64> ticksWithin(QtTimer& t, QElapsedTimer& clock, int until, std::function<void(qint64)> step = {},
                                bool firstOnly = false) {
    std::vector<qint64> at;
    t.setTickHandler([&] { at.push_back(clock.elapsed()); });
    while (clock.elapsed() < until && !(firstOnly && !at.empty())) {
        QTest::qWait(2);
        if (step) step(clock.elapsed());
    }
    t.setTickHandler({});
    return at;
}

// Runs fn against the modal message box once it is up.
void whenBoxOpens(std::function<void(QMessageBox*)> fn) {
    QTimer::singleShot(0, [fn] {
        QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
        fn(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
    });
}

}  // namespace

class QtServicesTest : public QObject {
    Q_OBJECT

    zv::test::TempFiles files_;
    QString write(const QString& name, const QByteArray& data) { return files_.write(name, data); }
    static std::string s(const QString& q) { return zv::test::TempFiles::native(q); }
    QByteArray jpeg(int w, int h) {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(QColor(200, 30, 30));
        QByteArray data;
        QBuffer buf(&data);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, "JPEG");
        return data;
    }

private slots:
    // --- Session bus: the autolaunch fallback is left out only where it must fail --
    void sessionBusUnreachable_data() {
        QTest::addColumn<QString>("setup");  // "file:kind" in the runtime, libdbus's or a PATH folder
        QTest::addColumn<bool>("unreachable");
        QTest::newRow("address given") << "address" << false;
        QTest::newRow("bus socket in the runtime folder") << "run/bus:socket" << false;
        QTest::newRow("a plain file named bus") << "run/bus:file" << true;
        QTest::newRow("dbus-launch in libdbus's folder") << "bin/dbus-launch:exec" << false;
        QTest::newRow("dbus-launch on the PATH") << "path/dbus-launch:exec" << false;
        QTest::newRow("dbus-launch not executable") << "path/dbus-launch:file" << true;
        QTest::newRow("nothing") << "" << true;
    }
    void sessionBusUnreachable() {
        QFETCH(QString, setup);
        QFETCH(bool, unreachable);
        test::TempFiles dir;
        for (const char* folder : {"run", "bin", "path"}) QDir(dir.folder()).mkpath(folder);
        const QString file = dir.path(setup.section(':', 0, 0)), kind = setup.section(':', 1);
        if (kind == "socket") {
            sockaddr_un at{};
            at.sun_family = AF_UNIX;
            std::snprintf(at.sun_path, sizeof at.sun_path, "%s", test::TempFiles::native(file).c_str());
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            QVERIFY(fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0);
            close(fd);
        } else if (!kind.isEmpty()) {
            dir.write(setup.section(':', 0, 0), "#!/bin/sh\n");
            if (kind == "exec") QFile::setPermissions(file, QFile::ReadOwner | QFile::ExeOwner);
        }
        const std::string searchPath = "/nonexistent:" + test::TempFiles::native(dir.path("path"));
        QCOMPARE(zv::sessionBusUnreachable(setup == "address" ? "unix:path=/x" : nullptr,
                                           test::TempFiles::native(dir.path("run")).c_str(),
                                           test::TempFiles::native(dir.path("bin")), searchPath.c_str()),
                 unreachable);
    }

    // --- Timer: real intervals, generous tolerances ------------------------------
    void timerSemantics() {
        // Each first tick is waited for; a busy machine only delays it, so only a
        // restarted count is told by its time: it cannot end sooner than an interval
        // after the restart.
        QtTimer t;
        QElapsedTimer clock;
        t.setInterval(200);
        clock.start();
        t.setEnabled(true);
        qint64 changedAt = -1;
        // Enabling a running timer changes nothing: the first tick stays at ~200 ms.
        auto at = ticksWithin(t, clock, 3000, [&](qint64 ms) {
            if (ms >= 100 && changedAt < 0) {
                changedAt = ms;
                t.setEnabled(true);
            }
        }, true);
        QVERIFY2(!at.empty() && at[0] >= 195 && (changedAt < 0 || at[0] < changedAt + 195),
                 qPrintable(QString("%1 vs %2").arg(at.empty() ? -1 : at[0]).arg(changedAt)));
        // A new interval on a running timer restarts its count (same value too).
        t.setInterval(200);
        clock.restart();
        changedAt = -1;
        at = ticksWithin(t, clock, 3000, [&](qint64 ms) {
            if (ms >= 60 && changedAt < 0) {
                changedAt = ms;
                t.setInterval(200);
            }
        }, true);
        QVERIFY2(!at.empty() && at[0] >= changedAt + 195, qPrintable(QString("%1 vs %2").arg(at.empty() ? -1 : at[0]).arg(changedAt)));
        // Disabled, or enabled with interval 0: no tick.
        t.setEnabled(false);
        clock.restart();
        QVERIFY(ticksWithin(t, clock, 120).empty());
        t.setInterval(0);
        t.setEnabled(true);
        QVERIFY(t.enabled());
        clock.restart();
        QVERIFY(ticksWithin(t, clock, 40).empty());
    }

    // --- Random ------------------------------------------------------------------
    void randomStaysInRange() {
        ClockRandom r;
        double sum = 0;
        for (int i = 0; i < 200000; ++i) {
            const double x = r.next();
            QVERIFY(x >= 0 && x < 1);
            sum += x;
        }
        QVERIFY(std::abs(sum / 200000 - 0.5) < 0.01);
    }

    // With the clock standing still, a reseed must not restart the sequence.
    void reseedWithinOneClockReadingMovesOn() {
        static constexpr auto frozen = []() -> std::uint64_t { return 123456789; };
        ClockRandom a(7, frozen), b(7, frozen);
        a.reseedFromClock();
        b.reseedFromClock();
        const double first = a.next();
        QCOMPARE(b.next(), first);  // same state and reading: same draw
        a.reseedFromClock();
        const double second = a.next();
        a.reseedFromClock();
        QVERIFY(second != first);
        QVERIFY(a.next() != second);
    }

    // --- Pictures ----------------------------------------------------------------
    // Pictures load by content (a PNG named .jpg, a JPEG without extension); broken,
    // odd and missing files give null without blocking.
    void pictures() {
        QtPictures pictures;
        auto pic = pictures.load(s(write("good.jpg", jpeg(220, 146))));
        QVERIFY(pic && pic->width() == 220 && pic->height() == 146);
        QVERIFY(dynamic_cast<const QtPicture*>(pic.get())->image.pixelColor(10, 10).red() > 150);
        QImage png(8, 4, QImage::Format_ARGB32);
        png.fill(Qt::blue);
        QVERIFY(png.save(files_.path("png-inside.jpg"), "PNG"));
        QCOMPARE(pictures.load(s(files_.path("png-inside.jpg")))->width(), 8);
        QCOMPARE(pictures.load(s(write("noext", jpeg(5, 5))))->width(), 5);

        QByteArray truncated = jpeg(300, 200);
        truncated.truncate(truncated.size() * 2 / 3);
        QDir(files_.folder()).mkdir("folder.jpg");
        const QString fifo = files_.path("fifo.jpg");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString& bad : {files_.path("missing.jpg"), write("empty.jpg", {}), write("garbage.jpg", QByteArray(5000, 'x')),
                                   write("truncated.jpg", truncated), files_.path("folder.jpg"), fifo})
            QVERIFY2(!pictures.load(s(bad)), qPrintable(bad));
    }

    // A header claiming 20000 x 20000 pixels is refused at once, not decoded.
    void hugePictureFailsFast() {
        QByteArray data = jpeg(16, 16);
        const int sof = data.indexOf("\xFF\xC0");
        QVERIFY(sof > 0);
        // SOF0: marker, length (2), precision (1), height (2), width (2).
        data[sof + 5] = char(20000 >> 8);
        data[sof + 6] = char(20000 & 0xff);
        data[sof + 7] = char(20000 >> 8);
        data[sof + 8] = char(20000 & 0xff);
        QtPictures pictures;
        QElapsedTimer t;
        t.start();
        QVERIFY(!pictures.load(s(write("huge.jpg", data))));
        QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    }

    // --- Message boxes -----------------------------------------------------------
    void yesNoBox() {
        QWidget parent;
        QtMessageBoxes boxes(&parent);
        whenBoxOpens([&](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Zorvanta"));
            QCOMPARE(box->icon(), QMessageBox::NoIcon);
            QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box->parentWidget(), &parent);
            QTest::keyClick(box, Qt::Key_Return);  // the default: Yes
        });
        QCOMPARE(boxes.askYesNo("正解を表示しますか?"), MessageBoxes::kYes);
        whenBoxOpens([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(boxes.askYesNo("x"), MessageBoxes::kNo);
        whenBoxOpens([](QMessageBox* box) { box->close(); });
        QCOMPARE(boxes.askYesNo("x"), MessageBoxes::kNo);
    }

    void okBoxKeepsItsCaptionAndLines() {
        QtMessageBoxes boxes;
        const std::string text = "問題数:10\r\n正解数:7\r\n正解率:70";
        bool seen = false;
        whenBoxOpens([&](QMessageBox* box) {
            seen = true;
            QCOMPARE(box->windowTitle(), QString::fromUtf8("5音メロディー:30秒"));
            QCOMPARE(box->text(), QString::fromStdString(text));
            QCOMPARE(box->icon(), QMessageBox::NoIcon);
            QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
            box->button(QMessageBox::Ok)->click();
        });
        boxes.information("5音メロディー:30秒", text);
        QVERIFY(seen);
    }

    // --- The first frame: the job runs once the window has painted, or after the
    // fallback's second for a window that never paints, and learns which it was.
    void afterFirstFrame_data() {
        QTest::addColumn<bool>("shown");
        QTest::newRow("shown") << true;
        QTest::newRow("never shown") << false;
    }
    void afterFirstFrame() {
        QFETCH(bool, shown);
        struct Window : QWidget {
            int paints = 0;
            void paintEvent(QPaintEvent*) override { ++paints; }
        } window;
        int runs = 0, paintsBefore = -1;
        bool painted = !shown;
        AfterFirstFrame after(&window, [&](bool p) { ++runs, painted = p, paintsBefore = window.paints; });
        if (shown) window.show();
        QTRY_COMPARE_WITH_TIMEOUT(runs, 1, 5000);
        QCOMPARE(painted, shown);
        QCOMPARE(paintsBefore > 0, shown);
    }

    // --- Application -------------------------------------------------------------
    void quitEndsTheProgram_data() {
        QTest::addColumn<QString>("scenario");
        QTest::newRow("from a key handler") << "key";
        QTest::newRow("while a message box is open") << "box";
        QTest::newRow("before the event loop") << "early";
    }
    void quitEndsTheProgram() {
        QFETCH(QString, scenario);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--child", scenario});
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QVERIFY2(child.readAllStandardOutput().contains("ended"), "the program did not reach its end");
    }
};

// Child scenarios: quit() must end the program with status 0 within its watchdog.
static int runChild(int argc, char** argv, const QString& scenario) {
    QApplication qapp(argc, argv);
    QTimer::singleShot(5000, [] { QCoreApplication::exit(3); });  // a hang fails the test
    QtApplication app;
    QtMessageBoxes boxes;
    struct KeyWidget : QWidget {
        std::function<void()> onKey;
        void keyPressEvent(QKeyEvent*) override { onKey(); }
    } window;
    app.setMainWindow(&window);
    window.show();
    int rc = -1;
    if (scenario == "key") {
        window.onKey = [&] {
            app.quit();
            // Code after quit() in the same handler may still open a box: it returns at once.
            boxes.information("after", "quit");
        };
        QTimer::singleShot(10, [&] {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&window, &press);
        });
        rc = QApplication::exec();
    } else if (scenario == "box") {
        QTimer::singleShot(10, [&] { boxes.askYesNo("open"); });
        QTimer::singleShot(200, [&] { app.quit(); });  // fires inside the box's loop
        rc = QApplication::exec();
    } else if (scenario == "early") {
        app.quit();
        rc = app.quitRequested() ? 0 : 4;
    }
    std::printf("ended %d\n", rc);
    std::fflush(stdout);
    return rc == 0 && !window.isVisible() ? 0 : (rc ? rc : 5);
}

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--child") return runChild(argc, argv, QString::fromLocal8Bit(argv[2]));
    QApplication app(argc, argv);
    QtServicesTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_qt_services.moc"
