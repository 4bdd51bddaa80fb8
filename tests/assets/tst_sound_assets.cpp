// Checks the note samples the build copies next to the executable: file
// format, pitch, clean start, fade-out and matched levels. The pitch
// estimator itself is checked first on synthetic tones, so that a passing
// pitch test means something.
#include "wav_analysis.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTest>

#include <cmath>
#include <limits>
#include <numbers>

using namespace wavcheck;

namespace {

constexpr int kSampleRate = 48000;
constexpr double kToleranceCents = 15.0;
constexpr float kOnsetLevel = 0.01f;                       // 1 % of full scale
constexpr qsizetype kMaxOnsetSamples = kSampleRate / 500;  // 2 ms
constexpr size_t kPitchDelaySamples = kSampleRate / 20;    // skip the 50 ms attack transient
constexpr size_t kTailSamples = kSampleRate / 100;         // last 10 ms
constexpr float kTailLimit = 0.01f;                        // -40 dBFS
constexpr double kMaxPeakSpreadDb = 1.5;
// Search range for the pitch estimator: wide enough that a sample rendered
// in the wrong octave is measured as such, not folded back.
constexpr double kMinSearchHz = 100.0;
constexpr double kMaxSearchHz = 5000.0;

struct Sound {
    const char *name;
    int midiKey;
};

// Every sample the game plays, by file name. do..si are C4..B4, '#' is a
// sharp, '+' the octave above; "+++do" is the start chime on C7.
constexpr Sound kSounds[] = {
    {"do", 60},    {"do#", 61},   {"re", 62},    {"re#", 63},   {"mi", 64},    {"fa", 65},    {"fa#", 66},
    {"so", 67},    {"so#", 68},   {"ra", 69},    {"ra#", 70},   {"si", 71},    {"+do", 72},   {"+do#", 73},
    {"+re", 74},   {"+re#", 75},  {"+mi", 76},   {"+fa", 77},   {"+fa#", 78},  {"+so", 79},   {"+so#", 80},
    {"+ra", 81},   {"+ra#", 82},  {"+si", 83},   {"+++do", 96},
};

struct PitchMeasurement {
    bool found = false;
    double hz = 0.0;
    double cents = 0.0;  // relative to the target
};

// The measurement applied to every note: fundamental estimated from 50 ms
// after the onset, compared with the target frequency.
PitchMeasurement measurePitch(const std::vector<float> &samples, int sampleRate, double targetHz)
{
    PitchMeasurement m;
    const qsizetype onset = firstAbove(samples, kOnsetLevel);
    if (onset < 0)
        return m;
    const auto hz = estimateFundamentalHz(samples, size_t(onset) + kPitchDelaySamples, sampleRate, kMinSearchHz,
                                          kMaxSearchHz);
    if (!hz)
        return m;
    m.found = true;
    m.hz = *hz;
    m.cents = centsBetween(*hz, targetHz);
    return m;
}

bool pitchAccepted(const PitchMeasurement &m)
{
    return m.found && std::abs(m.cents) <= kToleranceCents;
}

enum class Timbre { Sine, Piano, WeakFundamental };

// One second of a decaying tone whose first partial is at f0. The piano-like
// timbres have stretched partials, n * f0 * sqrt((1 + B n^2) / (1 + B)), as
// stiff strings do; the upper partials decay faster.
std::vector<float> synthTone(double f0, Timbre timbre)
{
    std::vector<double> amplitudes;
    double inharmonicity = 0.0;
    switch (timbre) {
    case Timbre::Sine:
        amplitudes = {1.0};
        break;
    case Timbre::Piano:
        for (int n = 1; n <= 12; ++n)
            amplitudes.push_back(1.0 / n);
        inharmonicity = 0.0008;
        break;
    case Timbre::WeakFundamental:
        amplitudes = {0.25, 1.0, 0.8, 0.6, 0.4, 0.3, 0.2};
        inharmonicity = 0.0005;
        break;
    }
    std::vector<float> out(kSampleRate);
    double peak = 0.0;
    std::vector<double> raw(out.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const double t = double(i) / kSampleRate;
        double v = 0.0;
        for (size_t k = 0; k < amplitudes.size(); ++k) {
            const double n = double(k + 1);
            const double f = n * f0 * std::sqrt((1.0 + inharmonicity * n * n) / (1.0 + inharmonicity));
            if (f >= kSampleRate / 2.0)
                break;
            v += amplitudes[k] * std::exp(-t * (1.5 + 0.7 * n)) * std::sin(2.0 * std::numbers::pi * f * t + 0.3 * n);
        }
        raw[i] = v;
        peak = std::max(peak, std::abs(v));
    }
    for (size_t i = 0; i < raw.size(); ++i)
        out[i] = float(0.7 * raw[i] / peak);
    return out;
}

void addSoundRows()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("midiKey");
    for (const Sound &s : kSounds)
        QTest::newRow(s.name) << QString::fromLatin1(s.name) << s.midiKey;
}

}  // namespace

Q_DECLARE_METATYPE(Timbre)

class SoundAssetsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void estimatorOnSyntheticTones_data();
    void estimatorOnSyntheticTones();

    void sourceFolderHoldsExactlyTheNotes();
    void runtimeCopyMatchesSource_data() { addSoundRows(); }
    void runtimeCopyMatchesSource();
    void format_data() { addSoundRows(); }
    void format();
    void pitch_data() { addSoundRows(); }
    void pitch();
    void startsCleanlyAndFadesOut_data() { addSoundRows(); }
    void startsCleanlyAndFadesOut();
    void peakLevelsMatch();

private:
    QString m_sourceSoundDir;
    QString m_runtimeSoundDir;
    QHash<QString, PcmWave> m_waves;
    QHash<QString, QString> m_loadErrors;
};

void SoundAssetsTest::initTestCase()
{
    const QString source = qEnvironmentVariable("ZORVANTA_SOURCE_DIR");
    const QString runtime = qEnvironmentVariable("ZORVANTA_RUNTIME_DIR");
    QVERIFY2(!source.isEmpty() && !runtime.isEmpty(), "ZORVANTA_SOURCE_DIR and ZORVANTA_RUNTIME_DIR must be set");
    m_sourceSoundDir = source + QStringLiteral("/assets/sound");
    m_runtimeSoundDir = runtime + QStringLiteral("/sound");

    for (const Sound &s : kSounds) {
        const QString name = QString::fromLatin1(s.name);
        QFile file(m_runtimeSoundDir + u'/' + name);
        if (!file.open(QIODevice::ReadOnly)) {
            m_loadErrors.insert(name, QStringLiteral("cannot open %1: %2").arg(file.fileName(), file.errorString()));
            continue;
        }
        PcmWave wave;
        const QString error = parseWav(file.readAll(), wave);
        if (!error.isEmpty())
            m_loadErrors.insert(name, QStringLiteral("%1: %2").arg(file.fileName(), error));
        else
            m_waves.insert(name, std::move(wave));
    }
}

void SoundAssetsTest::estimatorOnSyntheticTones_data()
{
    QTest::addColumn<int>("targetKey");
    QTest::addColumn<double>("offsetCents");  // how far the tone really is from the target
    QTest::addColumn<Timbre>("timbre");

    QTest::newRow("sine C4 in tune") << 60 << 0.0 << Timbre::Sine;
    QTest::newRow("sine C4 10 cents sharp") << 60 << 10.0 << Timbre::Sine;
    QTest::newRow("sine C4 20 cents sharp") << 60 << 20.0 << Timbre::Sine;
    QTest::newRow("sine C4 20 cents flat") << 60 << -20.0 << Timbre::Sine;
    QTest::newRow("sine C4 a semitone sharp") << 60 << 100.0 << Timbre::Sine;
    QTest::newRow("sine C7 in tune") << 96 << 0.0 << Timbre::Sine;
    QTest::newRow("sine C7 20 cents sharp") << 96 << 20.0 << Timbre::Sine;
    QTest::newRow("piano A4 in tune") << 69 << 0.0 << Timbre::Piano;
    QTest::newRow("piano A4 20 cents sharp") << 69 << 20.0 << Timbre::Piano;
    QTest::newRow("piano A4 a semitone flat") << 69 << -100.0 << Timbre::Piano;
    QTest::newRow("piano C4 an octave high") << 60 << 1200.0 << Timbre::Piano;
    QTest::newRow("piano B5 in tune") << 83 << 0.0 << Timbre::Piano;
    QTest::newRow("weak fundamental C4 in tune") << 60 << 0.0 << Timbre::WeakFundamental;
    QTest::newRow("weak fundamental C4 20 cents flat") << 60 << -20.0 << Timbre::WeakFundamental;
}

void SoundAssetsTest::estimatorOnSyntheticTones()
{
    QFETCH(int, targetKey);
    QFETCH(double, offsetCents);
    QFETCH(Timbre, timbre);

    const double targetHz = midiKeyToHz(targetKey);
    const auto tone = synthTone(targetHz * std::exp2(offsetCents / 1200.0), timbre);
    const PitchMeasurement m = measurePitch(tone, kSampleRate, targetHz);

    QVERIFY2(m.found, "no pitch found");
    // Accurate to well within the tolerance, so the tolerance is what decides.
    QVERIFY2(std::abs(m.cents - offsetCents) < 2.0,
             qPrintable(QStringLiteral("measured %1 cents, tone is %2 cents off").arg(m.cents).arg(offsetCents)));
    QCOMPARE(pitchAccepted(m), std::abs(offsetCents) <= kToleranceCents);
}

void SoundAssetsTest::sourceFolderHoldsExactlyTheNotes()
{
    QDir dir(m_sourceSoundDir);
    QVERIFY2(dir.exists(), qPrintable(m_sourceSoundDir + QStringLiteral(" does not exist")));
    const QStringList present = dir.entryList(QDir::Files | QDir::Hidden);
    QSet<QString> expected;
    for (const Sound &s : kSounds)
        expected.insert(QString::fromLatin1(s.name));
    const QSet<QString> found(present.cbegin(), present.cend());
    QStringList missing = (expected - found).values();
    QStringList extra = (found - expected).values();
    missing.sort();
    extra.sort();
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("missing: ") + missing.join(u' ')));
    QVERIFY2(extra.isEmpty(), qPrintable(QStringLiteral("unexpected: ") + extra.join(u' ')));
}

void SoundAssetsTest::runtimeCopyMatchesSource()
{
    QFETCH(QString, name);
    QFile source(m_sourceSoundDir + u'/' + name);
    QFile copy(m_runtimeSoundDir + u'/' + name);
    QVERIFY2(source.open(QIODevice::ReadOnly), qPrintable(source.fileName()));
    QVERIFY2(copy.open(QIODevice::ReadOnly), qPrintable(copy.fileName() + QStringLiteral(" was not copied")));
    QVERIFY2(source.readAll() == copy.readAll(), "the build's copy differs from the source file");
}

void SoundAssetsTest::format()
{
    QFETCH(QString, name);
    const auto it = m_waves.constFind(name);
    QVERIFY2(it != m_waves.cend(), qPrintable(m_loadErrors.value(name)));
    QCOMPARE(it->formatTag, 1);
    QCOMPARE(it->sampleRate, kSampleRate);
    QCOMPARE(it->bitsPerSample, 16);
    QCOMPARE(it->channels, 1);
    const double seconds = it->durationSeconds();
    QVERIFY2(seconds >= 1.0 && seconds <= 2.0, qPrintable(QStringLiteral("lasts %1 s").arg(seconds)));
}

void SoundAssetsTest::pitch()
{
    QFETCH(QString, name);
    QFETCH(int, midiKey);
    const auto it = m_waves.constFind(name);
    QVERIFY2(it != m_waves.cend(), qPrintable(m_loadErrors.value(name)));
    QVERIFY2(!it->samples.empty(), "no 16-bit PCM samples");

    // The celesta's C7 has a strong, clean fundamental, so the chime is
    // checked against 2093 Hz like the piano notes rather than by pitch class.
    const double targetHz = midiKeyToHz(midiKey);
    const PitchMeasurement m = measurePitch(it->samples, it->sampleRate, targetHz);
    QVERIFY2(m.found, "no pitch found");
    qInfo("%-6s target %8.2f Hz  measured %8.2f Hz  %+6.2f cents", qPrintable(name), targetHz, m.hz, m.cents);
    QVERIFY2(pitchAccepted(m), qPrintable(QStringLiteral("%1 cents off %2 Hz").arg(m.cents).arg(targetHz)));
}

void SoundAssetsTest::startsCleanlyAndFadesOut()
{
    QFETCH(QString, name);
    const auto it = m_waves.constFind(name);
    QVERIFY2(it != m_waves.cend(), qPrintable(m_loadErrors.value(name)));
    const std::vector<float> &x = it->samples;
    QVERIFY2(x.size() > kTailSamples, "too short");

    // The attack is at the very start, so a note sounds the moment it is played...
    const qsizetype onset = firstAbove(x, kOnsetLevel);
    QVERIFY2(onset >= 0, "silent");
    QVERIFY2(onset <= kMaxOnsetSamples, qPrintable(QStringLiteral("onset at sample %1").arg(onset)));
    // ...but begins from near zero rather than with a click.
    QVERIFY2(std::abs(x.front()) < kOnsetLevel, qPrintable(QStringLiteral("first sample %1").arg(x.front())));

    // The end is faded out, so cutting the file off does not click either.
    const float tail = peakOf(x, x.size() - kTailSamples);
    QVERIFY2(tail < kTailLimit, qPrintable(QStringLiteral("last 10 ms peak at %1 dBFS").arg(toDb(tail))));
}

void SoundAssetsTest::peakLevelsMatch()
{
    QVERIFY2(m_loadErrors.isEmpty(), qPrintable(QStringList(m_loadErrors.values()).join(u'\n')));
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -lowest;
    QString quietest, loudest;
    for (const Sound &s : kSounds) {
        const QString name = QString::fromLatin1(s.name);
        const std::vector<float> &x = m_waves.value(name).samples;
        QVERIFY2(!x.empty(), qPrintable(name + QStringLiteral(": no 16-bit PCM samples")));
        const float peak = peakOf(x);
        // Full-scale samples mean the level was pushed into clipping.
        QVERIFY2(peak < 32767.0f / 32768.0f, qPrintable(name + QStringLiteral(" clips")));
        const double db = toDb(peak);
        if (db < lowest) {
            lowest = db;
            quietest = name;
        }
        if (db > highest) {
            highest = db;
            loudest = name;
        }
    }
    qInfo("peaks from %.2f dBFS (%s) to %.2f dBFS (%s)", lowest, qPrintable(quietest), highest, qPrintable(loudest));
    QVERIFY2(highest - lowest <= kMaxPeakSpreadDb,
             qPrintable(QStringLiteral("%1 peaks at %2 dBFS but %3 at %4 dBFS")
                            .arg(quietest).arg(lowest).arg(loudest).arg(highest)));
}

QTEST_APPLESS_MAIN(SoundAssetsTest)
#include "tst_sound_assets.moc"
