// The history's core: what the recorder keeps of a real game, the figures of a
// history whose answers are known, the CSV round trip, the progress drawing against
// its golden image, and the progress window's export and import.
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include "controls/PlayerTexts.h"
#include "history/HistoryCsv.h"
#include "history/ProgressSvg.h"
#include "history/Recorder.h"
#include "keys/PcKeyMap.h"
#include "history/SeededHistory.h"
#include "support/GameRig.h"
#include "view/ProgressWindow.h"

using namespace zv;
using namespace zv::history;

class HistoryTest : public QObject {
    Q_OBJECT

private slots:
    // A game of three melodies: right by mouse; wrong by MIDI after a replay, answer
    // shown; then STOP (and Esc in the pause after it, which must not end it twice).
    void recorderKeepsWhatTheGameDid() {
        test::GameRig rig;
        std::vector<GameRecord> saved;
        Recorder recorder({[&] { return 1700000000000 + rig.clock.now(); }, [&] { return rig.clock.now(); }},
                          [&](const GameRecord& g) { saved.push_back(g); }, 7);
        rig.game.setObserver(recorder);
        rig.askBeforeDemonstrating(MessageBoxes::kNo);
        rig.boxes.answers = {MessageBoxes::kNo, MessageBoxes::kYes};
        rig.startAndPlayFirstQuestion();
        const auto first = rig.melody();
        rig.clock.advance(700);
        rig.answerRight();
        rig.playUntilSequencerStops();
        rig.game.replayClicked();
        rig.playUntilSequencerStops();
        const auto second = rig.melody();
        rig.game.pianoKeyPressed(*readToken(rig.wrongTokenFor(second[0])));
        rig.playUntilSequencerStops();  // the pause, the box (Yes) and the demonstration
        rig.game.startStopClicked();
        rig.game.pcKeyPressed(keycode::Escape);

        QCOMPARE(saved.size(), std::size_t(4));  // two answers, the answer shown, game over
        const GameRecord& g = saved.back();
        QVERIFY(g.finished && !saved[2].finished);
        QCOMPARE(g.startedMs, std::int64_t{1700000000000});
        QCOMPARE((std::vector<int>{g.notesPerQuestion, g.keyRange, g.timeLimitSeconds, g.questionsAsked, g.rightsCounted}),
                 (std::vector<int>{5, 0, 30, 3, 1}));
        QCOMPARE(g.questions.size(), std::size_t(2));
        const QuestionRecord &a = g.questions[0], &b = g.questions[1];
        QVERIFY(a.right && a.replays == 0 && !a.answerShown && a.input == InputKind::Mouse && a.answerMs >= 700);
        QCOMPARE(a.answered, a.melody);
        QCOMPARE(a.melody.size(), first.size());
        QVERIFY(!b.right && b.replays == 1 && b.answerShown && b.input == InputKind::Midi);
        QCOMPARE(b.answered.size(), std::size_t(1));
        QVERIFY(b.answered[0] != b.melody[0]);
    }

    void figuresOfSeededHistory() {
        const auto games = test::seededHistory();
        const Figures f = computeFigures(games, 0, test::kSeedDay + 3);
        QCOMPARE(f.games, 4);
        QCOMPARE(f.questions, (Tally{16, 14}));
        QCOMPARE(f.practiceMs, std::int64_t{4 * 60000});
        QCOMPARE(f.days.size(), std::size_t(3));
        QCOMPARE(f.days[0].tally, (Tally{2, 1}));
        QCOMPARE(f.days[2].day, test::kSeedDay + 3);
        QCOMPARE(f.days[2].tally, (Tally{12, 11}));
        QCOMPARE(f.currentStreak, 1);
        QCOMPARE(f.longestStreak, 2);
        QVERIFY(f.bestDay && f.bestDay->day == test::kSeedDay + 3);
        // Key 0 asked 13 times (never missed), 4 three times plus ten, missed once;
        // 7 only where the answer reached it.
        QCOMPARE(f.keys[0], (Tally{13, 13}));
        QCOMPARE(f.keys[4], (Tally{13, 12}));
        QCOMPARE(f.keys[7], (Tally{2, 2}));
        QCOMPARE(f.keys[5], (Tally{2, 1}));
        QCOMPARE(f.keys[23], (Tally{}));
        QCOMPARE(f.leaps.front().leap, 4);
        QCOMPARE(f.leaps.front().tally, (Tally{2, 1}));
        QCOMPARE(f.confusions.size(), std::size_t(2));
        QVERIFY(f.confusions[0].expected == 4 && f.confusions[0].played == 5 && f.confusions[0].count == 1);
        // Filtered to the single notes, the settings' list still names both.
        const Figures single = computeFigures(games, 0, test::kSeedDay + 10, SettingKey{1, 1, 0});
        QCOMPARE(single.games, 1);
        QCOMPARE(single.questions, (Tally{2, 1}));
        QCOMPARE(single.currentStreak, 0);
        QCOMPARE(single.settings.size(), std::size_t(2));
        // The player's day: 10:00 UTC is the next day 14 hours east.
        QCOMPARE(computeFigures(games, 14 * 60, 0).days[0].day, test::kSeedDay + 1);
    }

    void csvRoundTrip() {
        auto games = test::seededHistory();
        games[0].questions[1].replays = 2;
        games[0].questions[1].answerShown = true;
        games[0].questions[1].input = InputKind::Voice;
        games[2].finished = false;
        const CsvResult back = readCsv(writeCsv(games));
        QVERIFY2(back.ok(), back.error.c_str());
        QVERIFY(back.games == games);
    }

    // The drawing is the same text on every machine; the golden picture is that text.
    // ZORVANTA_UPDATE_GOLDEN=1 rewrites it (and a PNG beside the build to look at).
    void progressDrawingMatchesGolden() {
        const std::string svg = progressSvg(computeFigures(test::seededHistory(), 0, test::kSeedDay + 3));
        const QString golden = qEnvironmentVariable("ZORVANTA_SOURCE_DIR") + "/tests/history/progress.golden.svg";
        QSvgRenderer renderer(QByteArray::fromStdString(svg));
        QVERIFY(renderer.isValid());
        if (qEnvironmentVariableIsSet("ZORVANTA_UPDATE_GOLDEN")) {
            QFile out(golden);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(svg.data(), qint64(svg.size()));
            QImage image(kProgressWidth, kProgressHeight, QImage::Format_RGB32);
            QPainter painter(&image);
            renderer.render(&painter);
            image.save("progress.png");
        }
        QFile in(golden);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(in.readAll()), QString::fromStdString(svg));
    }

    // The progress window's CSV buttons on a file the dialog would give: its words, its drawing.
    void csvButtonsMoveTheHistory() {
        QTemporaryDir dir;
        const QByteArray good = QByteArray::fromStdString(history::writeCsv(test::seededHistory()));
        for (const auto& [name, text] : {std::pair{"good.csv", good}, {"formula.csv", QByteArray(good).replace(",mouse", ",=1+1")}}) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
        }
        history::SqlHistory store(dir.filePath("history.sqlite").toStdString(), [](const std::string&) {});
        QString chosen;
        ProgressWindow window(store, [&](QWidget*, bool, const QString&) { return chosen; });
        // button | file chosen | the start of what the window says | the drawing changes
        const std::tuple<const char*, const char*, const char*, bool> cases[] = {
            {texts::kProgressImport, "good.csv", "4件のゲームを読み込みました(0件は記録済み)。", true},
            {texts::kProgressImport, "good.csv", "0件のゲームを読み込みました(4件は記録済み)。", false},
            {texts::kProgressImport, "formula.csv", "読み込めません: formula.csv: line 2: a cell starts with '='", false},
            {texts::kProgressExport, "no-folder/out.csv", "書き出せません: out.csv: ", false},
            {texts::kProgressExport, "out.csv", "4件のゲーム(16問)を書き出しました。", false}};
        for (const auto& [button, file, says, redrawn] : cases) {
            const QByteArray before = window.svg();
            chosen = dir.filePath(file);
            for (auto* b : window.findChildren<QPushButton*>())
                if (b->text() == QString::fromUtf8(button)) QTest::mouseClick(b, Qt::LeftButton);
            QVERIFY2(window.notice().startsWith(QString::fromUtf8(says)), qPrintable(window.notice()));
            QCOMPARE(window.svg() != before, redrawn);
            QCOMPARE(store.loadAll().size(), std::size_t(4));  // a refused file adds nothing
        }
    }
};

QTEST_MAIN(HistoryTest)
#include "tst_history.moc"
