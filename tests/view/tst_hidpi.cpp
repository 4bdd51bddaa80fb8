// The window on a screen of two device pixels per pixel (QT_SCALE_FACTOR=2) against
// the same window at scale 1: the same layout in pixels, every key drawn exactly
// twice as large (sharp edges, nothing moved), text and pictures drawn at the
// device resolution, pictures scaled smoothly. The scale factor is fixed when the
// application starts, so this program renders the window in two child runs of
// itself and compares what they wrote.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdlib>

#include "platform/real/QtPictures.h"
#include "support/GameRig.h"
#include "view/MainWindow.h"

using namespace zv;

namespace {

// The verdict box is 220 x 146 pixels. "fine" has one column per device pixel at
// scale 2 (black and white by turns); "coarse" fills the box at scale 1 exactly,
// black on the left half and white on the right.
QImage finePicture() {
    QImage img(440, 292, QImage::Format_RGB32);
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y) img.setPixel(x, y, x % 2 ? 0xffffffff : 0xff000000);
    return img;
}
QImage coarsePicture() {
    QImage img(220, 146, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter(&img).fillRect(0, 0, 110, 146, Qt::black);
    return img;
}

// What a child run leaves: grabs of the window and of the verdict box with either
// picture, and every control's place in the window.
struct Render {
    qreal ratio = 0;
    QStringList layout;
    QImage window, fine, coarse;
};

// Child: renders the window at the scale factor in its environment into dir.
int renderInto(int argc, char** argv, const QString& dir) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setFont(MainWindow::designFont({}));
    test::GameRig rig;  // the game loaded with test doubles: the plates carry their notes
    MainWindow window(rig.game);
    ControlTable* table = &rig.game.table();
    for (Control* plate : rig.ui.notePlates) plate->setVisible(true);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 3;

    QStringList layout{QStringLiteral("ratio %1").arg(window.devicePixelRatioF())};
    for (const auto& c : table->all()) {
        QWidget* w = window.widget(c->role(), c->index());
        const QRect r(w->mapTo(&window, QPoint(0, 0)), w->size());
        layout << QStringLiteral("%1 %2 %3 %4 %5").arg(QString::fromStdString(c->id())).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }
    QFile out(dir + "/layout.txt");
    if (!out.open(QIODevice::WriteOnly)) return 4;
    out.write(layout.join('\n').toUtf8());
    out.close();

    bool saved = window.grab().toImage().save(dir + "/window.png");
    Control& verdict = table->at(ControlRole::VerdictPicture);
    verdict.setVisible(true);
    verdict.setPicture(std::make_shared<QtPicture>(finePicture()));
    saved = saved && window.widget(ControlRole::VerdictPicture)->grab().toImage().save(dir + "/fine.png");
    verdict.setPicture(std::make_shared<QtPicture>(coarsePicture()));
    saved = saved && window.widget(ControlRole::VerdictPicture)->grab().toImage().save(dir + "/coarse.png");
    return saved ? 0 : 5;
}

QRect rectOf(const QStringList& layout, const QString& id) {
    for (const QString& line : layout) {
        const QStringList f = line.split(' ');
        if (f.size() == 5 && f[0] == id) return QRect(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt());
    }
    qFatal("no control %s in the layout", qPrintable(id));
}

// 2 x 2 blocks of device pixels at scale 2 in a rectangle of pixels that are not of
// one colour: drawing at the device resolution leaves many, an enlarged copy of a
// scale-1 drawing none.
int mixedBlocks(const QImage& device, const QRect& pixels) {
    int mixed = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            const QRgb a = device.pixel(2 * x, 2 * y);
            mixed += device.pixel(2 * x + 1, 2 * y) != a || device.pixel(2 * x, 2 * y + 1) != a ||
                     device.pixel(2 * x + 1, 2 * y + 1) != a;
        }
    return mixed;
}

}  // namespace

class HiDpiTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    Render one_, two_;

    Render render(const QString& scale) {
        Render r;
        const QString dir = dir_.filePath("scale" + scale);
        if (!QDir().mkpath(dir)) qFatal("cannot make %s", qPrintable(dir));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_SCALE_FACTOR", scale);
        env.remove("QT_SCREEN_SCALE_FACTORS");
        env.remove("QT_SCALE_FACTOR_ROUNDING_POLICY");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {"--child-render", dir});
        if (!child.waitForFinished(30000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            qFatal("the child at scale %s failed (exit code %d)", qPrintable(scale), child.exitCode());
        QFile layout(dir + "/layout.txt");
        if (!layout.open(QIODevice::ReadOnly)) qFatal("no layout from the child at scale %s", qPrintable(scale));
        r.layout = QString::fromUtf8(layout.readAll()).split('\n');
        r.ratio = r.layout.takeFirst().section(' ', 1).toDouble();
        r.window = QImage(dir + "/window.png").convertToFormat(QImage::Format_RGB32);
        r.fine = QImage(dir + "/fine.png").convertToFormat(QImage::Format_RGB32);
        r.coarse = QImage(dir + "/coarse.png").convertToFormat(QImage::Format_RGB32);
        return r;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        one_ = render("1");
        two_ = render("2");
    }

    void sameLayoutInTwiceTheDevicePixels() {
        QCOMPARE(one_.ratio, 1.0);
        QCOMPARE(two_.ratio, 2.0);
        QCOMPARE(one_.layout.size(), qsizetype(ControlTable::createMainWindow()->all().size()));
        QCOMPARE(two_.layout, one_.layout);  // every control at the same place, in pixels
        QCOMPARE(one_.window.size(), QSize(619, 291));
        QCOMPARE(two_.window.size(), QSize(1238, 582));
        QCOMPARE(two_.fine.size(), QSize(440, 292));
    }

    // Keys are flat colours with one-pixel borders: at scale 2 every pixel of them is
    // a block of 2 x 2 device pixels of exactly its scale-1 colour, so edges stay
    // crisp and no key moves by even one device pixel. The plates hold text.
    void keysAreTheScaleOneKeysInEveryDevicePixel() {
        QVector<QRect> plates;
        for (int i = 0; i < 14; ++i) plates << rectOf(one_.layout, QStringLiteral("notePlate(%1)").arg(i));
        int compared = 0, differing = 0;
        QString first;
        const std::pair<const char*, int> keys[] = {{"whiteKey", 14}, {"blackKey", 10}};
        for (const auto& [name, count] : keys)
            for (int i = 0; i < count; ++i) {
                const QRect key = rectOf(one_.layout, QStringLiteral("%1(%2)").arg(name).arg(i));
                for (int y = key.top(); y <= key.bottom(); ++y)
                    for (int x = key.left(); x <= key.right(); ++x) {
                        if (std::any_of(plates.begin(), plates.end(), [&](const QRect& p) { return p.contains(x, y); }))
                            continue;
                        const QRgb expected = one_.window.pixel(x, y);
                        ++compared;
                        for (int d = 0; d < 4; ++d)
                            if (two_.window.pixel(2 * x + d % 2, 2 * y + d / 2) != expected) {
                                if (!differing++) first = QStringLiteral("%1(%2) at %3,%4").arg(name).arg(i).arg(x).arg(y);
                                break;
                            }
                    }
            }
        QVERIFY(compared > 60000);
        QVERIFY2(differing == 0, qPrintable(QStringLiteral("%1 pixels differ, first %2").arg(differing).arg(first)));
    }

    void textIsDrawnAtTheDeviceResolution() {
        for (const char* id : {"startStopButton", "notePlate(3)", "keyRangeFrame"}) {
            const QRect r = rectOf(one_.layout, id);
            const int mixed = mixedBlocks(two_.window, r);
            QVERIFY2(mixed > 20, qPrintable(QStringLiteral("%1: %2 mixed blocks").arg(id).arg(mixed)));
        }
    }

    void picturesAreScaledSmoothlyFromTheirOwnPixels() {
        // At scale 2 the fine picture is shown pixel for pixel: its columns alternate.
        const int y = two_.fine.height() / 2;
        int alternating = 0;
        for (int x = 1; x < two_.fine.width(); ++x)
            alternating += std::abs(qGray(two_.fine.pixel(x, y)) - qGray(two_.fine.pixel(x - 1, y))) > 200;
        QVERIFY2(alternating > 0.95 * two_.fine.width(), qPrintable(QString::number(alternating)));
        // At scale 1 it is averaged down to grey, not sampled to black or white.
        const int grey = qGray(one_.fine.pixel(110, 73));
        QVERIFY2(grey > 96 && grey < 160, qPrintable(QString::number(grey)));
        // The coarse picture, enlarged at scale 2, gets soft edges: greys between the
        // halves (none at scale 1, where it is shown as it is).
        auto greysInRow = [](const QImage& img) {
            int n = 0;
            for (int x = 0; x < img.width(); ++x) n += qGray(img.pixel(x, img.height() / 2)) > 32 && qGray(img.pixel(x, img.height() / 2)) < 223;
            return n;
        };
        QCOMPARE(greysInRow(one_.coarse), 0);
        QVERIFY(greysInRow(two_.coarse) >= 1);
        QCOMPARE(qGray(two_.coarse.pixel(100, 146)), 0);
        QCOMPARE(qGray(two_.coarse.pixel(340, 146)), 255);
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--child-render") return renderInto(argc, argv, QString::fromLocal8Bit(argv[2]));
    QApplication app(argc, argv);
    HiDpiTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_hidpi.moc"
