// Checks the pictures and icon the build copies next to the executable: they
// load, have the sizes the window lays out for, and show what they should
// (a centred red circle, a centred blue cross, dark "GAME OVER" lettering)
// on a light background.
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTest>
#include <QXmlStreamReader>

#include <cmath>

namespace {

constexpr QSize kPictureSize(220, 146);
constexpr int kIconSize = 48;

// Pixels further than this (sum of channel differences) from white count as
// drawing rather than background.
constexpr int kInkDistance = 90;

enum class Ink { Red, Blue, Dark };
enum class Centre { Background, Drawn, Either };

struct InkStats {
    qint64 count = 0;
    double meanRed = 0, meanGreen = 0, meanBlue = 0;
    double centroidX = 0, centroidY = 0;
    QRect bounds;
    qint64 darkCount = 0;  // ink pixels with every channel below 90
};

bool isInk(QRgb c)
{
    return (255 - qRed(c)) + (255 - qGreen(c)) + (255 - qBlue(c)) > kInkDistance;
}

InkStats inkStats(const QImage &image)
{
    InkStats s;
    double sumR = 0, sumG = 0, sumB = 0, sumX = 0, sumY = 0;
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (!isInk(c))
                continue;
            ++s.count;
            sumR += qRed(c);
            sumG += qGreen(c);
            sumB += qBlue(c);
            sumX += x;
            sumY += y;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            if (qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90)
                ++s.darkCount;
        }
    }
    if (s.count > 0) {
        s.meanRed = sumR / double(s.count);
        s.meanGreen = sumG / double(s.count);
        s.meanBlue = sumB / double(s.count);
        s.centroidX = sumX / double(s.count);
        s.centroidY = sumY / double(s.count);
        s.bounds = QRect(QPoint(left, top), QPoint(right, bottom));
    }
    return s;
}

}  // namespace

Q_DECLARE_METATYPE(Ink)
Q_DECLARE_METATYPE(Centre)

class PictureAssetsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void answerPicture_data();
    void answerPicture();
    void paletteIcon();
    void largeIconMatchesSmall();
    void vectorIconIsWellFormed();

private:
    QString m_runtimeDir;
};

void PictureAssetsTest::initTestCase()
{
    m_runtimeDir = qEnvironmentVariable("ZORVANTA_RUNTIME_DIR");
    QVERIFY2(!m_runtimeDir.isEmpty(), "ZORVANTA_RUNTIME_DIR must be set");
}

void PictureAssetsTest::answerPicture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Ink>("ink");
    QTest::addColumn<Centre>("centre");
    QTest::addColumn<double>("minInkShare");

    QTest::newRow("right answer") << QStringLiteral("maru.jpg") << Ink::Red << Centre::Background << 0.10;
    QTest::newRow("wrong answer") << QStringLiteral("batu.jpg") << Ink::Blue << Centre::Drawn << 0.06;
    QTest::newRow("game over") << QStringLiteral("gameover.jpg") << Ink::Dark << Centre::Either << 0.05;
}

void PictureAssetsTest::answerPicture()
{
    QFETCH(QString, file);
    QFETCH(Ink, ink);
    QFETCH(Centre, centre);
    QFETCH(double, minInkShare);

    QImageReader reader(m_runtimeDir + u'/' + file);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage image = reader.read().convertToFormat(QImage::Format_RGB32);
    QVERIFY2(!image.isNull(), qPrintable(reader.fileName() + QStringLiteral(": ") + reader.errorString()));
    QCOMPARE(image.size(), kPictureSize);

    // Light background all round the edge.
    for (const QPoint corner : {QPoint(0, 0), QPoint(219, 0), QPoint(0, 145), QPoint(219, 145)})
        QVERIFY2(qGray(image.pixel(corner)) > 235, qPrintable(QStringLiteral("dark corner at %1,%2")
                                                                   .arg(corner.x()).arg(corner.y())));

    const InkStats s = inkStats(image);
    const double share = double(s.count) / (image.width() * image.height());
    QVERIFY2(share >= minInkShare, qPrintable(QStringLiteral("only %1 % of the picture is drawn").arg(share * 100)));

    switch (ink) {
    case Ink::Red:
        QVERIFY2(s.meanRed > s.meanGreen + 100 && s.meanRed > s.meanBlue + 100,
                 qPrintable(QStringLiteral("mean ink colour %1,%2,%3 is not red")
                                .arg(s.meanRed).arg(s.meanGreen).arg(s.meanBlue)));
        break;
    case Ink::Blue:
        QVERIFY2(s.meanBlue > s.meanRed + 80 && s.meanBlue > s.meanGreen + 40,
                 qPrintable(QStringLiteral("mean ink colour %1,%2,%3 is not blue")
                                .arg(s.meanRed).arg(s.meanGreen).arg(s.meanBlue)));
        break;
    case Ink::Dark:
        QVERIFY2(s.darkCount >= s.count / 2,
                 qPrintable(QStringLiteral("%1 of %2 drawn pixels are dark").arg(s.darkCount).arg(s.count)));
        break;
    }

    // Centred: equal margins left and right, top and bottom.
    const int leftMargin = s.bounds.left();
    const int rightMargin = image.width() - 1 - s.bounds.right();
    const int topMargin = s.bounds.top();
    const int bottomMargin = image.height() - 1 - s.bounds.bottom();
    QVERIFY2(std::abs(leftMargin - rightMargin) <= 3 && std::abs(topMargin - bottomMargin) <= 3,
             qPrintable(QStringLiteral("margins left %1 right %2 top %3 bottom %4")
                            .arg(leftMargin).arg(rightMargin).arg(topMargin).arg(bottomMargin)));
    QVERIFY(std::abs(s.centroidX - 109.5) <= 4.0 && std::abs(s.centroidY - 72.5) <= 4.0);

    // A circle is a ring with the background showing through the middle;
    // the strokes of a cross meet there.
    const QRgb middle = image.pixel(110, 73);
    if (centre == Centre::Background)
        QVERIFY2(!isInk(middle), "the middle is filled in");
    else if (centre == Centre::Drawn)
        QVERIFY2(isInk(middle), "nothing drawn in the middle");
}

void PictureAssetsTest::paletteIcon()
{
    QImageReader reader(m_runtimeDir + QStringLiteral("/icon/zorvanta.png"));
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage icon = reader.read();
    QVERIFY2(!icon.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(icon.size(), QSize(kIconSize, kIconSize));
    QCOMPARE(icon.format(), QImage::Format_Indexed8);
    QVERIFY2(icon.colorCount() > 16 && icon.colorCount() <= 256,
             qPrintable(QStringLiteral("%1 palette entries").arg(icon.colorCount())));

    // The palette carries alpha: the rounded corners are see-through and
    // their edges partly transparent, while the middle is opaque.
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(icon.pixel(kIconSize - 1, kIconSize - 1)), 0);
    QCOMPARE(qAlpha(icon.pixel(kIconSize / 2, kIconSize / 2)), 255);
    int partlyTransparent = 0;
    for (int i = 0; i < icon.colorCount(); ++i) {
        const int a = qAlpha(icon.color(i));
        if (a > 0 && a < 255)
            ++partlyTransparent;
    }
    QVERIFY2(partlyTransparent > 0, "edges are not anti-aliased against transparency");
}

void PictureAssetsTest::largeIconMatchesSmall()
{
    const QImage small = QImage(m_runtimeDir + QStringLiteral("/icon/zorvanta.png"))
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage large(m_runtimeDir + QStringLiteral("/icon/zorvanta-256.png"));
    QVERIFY(!small.isNull());
    QVERIFY(!large.isNull());
    QCOMPARE(large.size(), QSize(256, 256));
    QVERIFY(large.hasAlphaChannel());

    // Both are renders of the same drawing: scaled down, the large one
    // matches the small one closely. Compared premultiplied, so the colour
    // stored under fully transparent pixels does not count.
    const QImage reduced = large.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                               .scaled(kIconSize, kIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double total = 0;
    for (int y = 0; y < kIconSize; ++y) {
        for (int x = 0; x < kIconSize; ++x) {
            const QRgb a = reinterpret_cast<const QRgb *>(small.constScanLine(y))[x];
            const QRgb b = reinterpret_cast<const QRgb *>(reduced.constScanLine(y))[x];
            total += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b))
                     + std::abs(qAlpha(a) - qAlpha(b));
        }
    }
    const double meanDifference = total / (4.0 * kIconSize * kIconSize);
    qInfo("mean channel difference between the two icon sizes: %.2f", meanDifference);
    QVERIFY2(meanDifference < 8.0, qPrintable(QStringLiteral("differ by %1 per channel").arg(meanDifference)));
}

void PictureAssetsTest::vectorIconIsWellFormed()
{
    QFile file(m_runtimeDir + QStringLiteral("/icon/zorvanta.svg"));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QXmlStreamReader xml(&file);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name(), QStringLiteral("svg"));
    QCOMPARE(xml.namespaceUri(), QStringLiteral("http://www.w3.org/2000/svg"));
    int shapes = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement
            && (xml.name() == QStringLiteral("rect") || xml.name() == QStringLiteral("ellipse")
                || xml.name() == QStringLiteral("path")))
            ++shapes;
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY2(shapes > 0, "no shapes");
}

QTEST_MAIN(PictureAssetsTest)
#include "tst_picture_assets.moc"
