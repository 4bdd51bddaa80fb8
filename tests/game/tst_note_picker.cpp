// The note picker draws every key of the chosen range equally often, and only keys
// of that range. A chi-square test over many draws fails a biased or shifted draw.
#include <QTest>
#include <map>

#include "platform/real/ClockRandom.h"
#include "support/GameRig.h"

using namespace zv;
using namespace zv::test;

namespace {

// Draws n notes in the given range and returns the count of each token.
std::map<std::string, int> drawMany(GameRig& rig, std::uint8_t range, int n) {
    rig.settings.keyRange = range;
    std::map<std::string, int> counts;
    for (int i = 0; i < n; ++i) {
        rig.state.notePos = static_cast<std::uint8_t>(i % 8);
        rig.game.playRandomNote();
        ++counts[rig.state.melody[rig.state.notePos]];
    }
    return counts;
}

std::vector<std::string> tokensOfRange(std::uint8_t range) {
    std::vector<std::string> out;
    for (int i = 0; i < 14; ++i)
        if (Keyboard::isWhiteKeyInRange(range, i)) out.push_back(makeToken({KeyColor::White, i}));
    for (int i = 0; i < 10; ++i)
        if (Keyboard::isBlackKeyInRange(range, i)) out.push_back(makeToken({KeyColor::Black, i}));
    return out;
}

// Chi-square critical values at p = 0.001 for k-1 degrees of freedom.
double critical(int keys) {
    switch (keys) {
        case 24: return 49.73;  // 23 dof
        case 14: return 34.53;  // 13 dof
        case 12: return 31.26;  // 11 dof
        case 7: return 22.46;   // 6 dof
        default: return 0;
    }
}

}  // namespace

class NotePickerTest : public QObject {
    Q_OBJECT

private slots:
    void uniformOverRange_data() {
        QTest::addColumn<int>("range");
        QTest::newRow("all keys") << 0;
        QTest::newRow("white keys") << 1;
        QTest::newRow("one octave") << 2;
        QTest::newRow("one octave, white") << 3;
    }
    void uniformOverRange() {
        QFETCH(int, range);
        GameRig rig;
        const int n = 24000;
        const auto counts = drawMany(rig, static_cast<std::uint8_t>(range), n);
        const auto allowed = tokensOfRange(static_cast<std::uint8_t>(range));
        for (const auto& [token, count] : counts)
            QVERIFY2(std::find(allowed.begin(), allowed.end(), token) != allowed.end(), token.c_str());
        const double expected = double(n) / allowed.size();
        double chi2 = 0;
        for (const auto& token : allowed) {
            const double d = (counts.count(token) ? counts.at(token) : 0) - expected;
            chi2 += d * d / expected;
        }
        QVERIFY2(chi2 < critical(int(allowed.size())), qPrintable(QString("chi2 %1").arg(chi2)));
        // Each note is played as it is drawn.
        QCOMPARE(rig.sound.played.size(), size_t(n));
    }

    // The same statistic rejects a draw that favours white keys the way a plain
    // "white if r < 0.5" would: the test has teeth.
    void chiSquareRejectsBiasedColourDraw() {
        GameRig rig;
        std::map<std::string, int> counts;
        std::mt19937_64 engine(7);
        std::uniform_real_distribution<double> r(0, 1);
        const int n = 24000;
        for (int i = 0; i < n; ++i) {
            const bool white = r(engine) < 0.5;
            const int index = int((white ? 14 : 10) * r(engine));
            ++counts[makeToken({white ? KeyColor::White : KeyColor::Black, index})];
        }
        double chi2 = 0;
        const double expected = double(n) / 24;
        for (const auto& token : tokensOfRange(0)) {
            const double d = counts[token] - expected;
            chi2 += d * d / expected;
        }
        QVERIFY(chi2 > critical(24));
    }

    void reseedsBeforeColourAndIndex() {
        GameRig rig;
        rig.game.playRandomNote();
        QCOMPARE(rig.random.reseeds, 2);
        QCOMPARE(rig.random.draws, 2);
    }

    // With the real generator, reseeding from the clock between every draw still
    // gives a uniform stream (the clock is mixed in, not used as the whole seed).
    void realGeneratorStaysUniformUnderReseeding() {
        ClockRandom random;
        std::array<int, 10> buckets{};
        const int n = 20000;
        for (int i = 0; i < n; ++i) {
            random.reseedFromClock();
            const double x = random.next();
            QVERIFY(x >= 0.0 && x < 1.0);
            ++buckets[int(x * 10)];
        }
        double chi2 = 0;
        for (int b : buckets) chi2 += (b - n / 10.0) * (b - n / 10.0) / (n / 10.0);
        QVERIFY2(chi2 < 27.88, qPrintable(QString("chi2 %1").arg(chi2)));  // 9 dof, p = 0.001
    }
};

QTEST_APPLESS_MAIN(NotePickerTest)
#include "tst_note_picker.moc"
