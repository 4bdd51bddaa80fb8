// The history's costs: one finished game written to the history file on the
// history's thread (what the window's thread pays: handing it over), and the progress
// view drawn from a large history (figures, SVG text, QtSvg's rendering), with the
// file's loading beside it, and the whole of what a player waits for: the progress
// window opened on that file (read, figured, drawn) and painted once.
//   bench_history [--games N] [--questions-per-game Q] [--writes W]
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "history/Figures.h"
#include "history/HistoryWriter.h"
#include "history/ProgressSvg.h"
#include "history/sql/SqlHistory.h"
#include "view/ProgressWindow.h"

using namespace zv::history;
using Clock = std::chrono::steady_clock;

namespace {
double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Games on consecutive days, a few a day, with answers that are mostly right.
std::vector<GameRecord> makeGames(const char* prefix, int games, int questions, std::mt19937& random) {
    std::vector<GameRecord> out;
    std::uniform_int_distribution<int> key(0, kKeys - 1), coin(0, 9);
    for (int n = 0; n < games; ++n) {
        GameRecord g;
        g.id = prefix + std::to_string(n);
        g.startedMs = 1700000000000 + std::int64_t{n / 4} * 86400000 + (n % 4) * 3600000;
        g.notesPerQuestion = 5;
        g.keyRange = n % 4;
        g.timeLimitSeconds = 30 + 10 * (n % 3);
        g.durationMs = 60000;
        g.finished = true;
        for (int i = 0; i < questions; ++i) {
            QuestionRecord q;
            q.index = i;
            for (int k = 0; k < 5; ++k) q.melody.push_back(static_cast<Semitone>(key(random)));
            q.answered = q.melody;
            q.right = coin(random) < 7;
            if (!q.right) {
                const int at = coin(random) % 5;
                q.answered.resize(at + 1);
                q.answered[at] = static_cast<Semitone>((q.melody[at] + 1) % kKeys);
            }
            q.answerMs = 1500;
            g.questions.push_back(std::move(q));
            g.rightsCounted += q.right;
        }
        g.questionsAsked = questions;
        out.push_back(std::move(g));
    }
    return out;
}

void report(const char* what, std::vector<double> v, const char* unit = "ms") {
    std::sort(v.begin(), v.end());
    std::printf("%s: median %.3f / p99 %.3f / max %.3f %s (%zu runs)\n", what, v[v.size() / 2],
                v[std::min(v.size() - 1, v.size() * 99 / 100)], v.back(), unit, v.size());
}
}  // namespace

int main(int argc, char** argv) {
    int games = 10000, perGame = 10, writes = 100;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--games")) games = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--questions-per-game")) perGame = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--writes")) writes = std::atoi(argv[i + 1]);
    }
    QApplication app(argc, argv);
    std::mt19937 random(27);
    QTemporaryDir dir;
    const std::string path = dir.filePath("history.sqlite").toStdString();
    auto say = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };

    // 1. Finished games of 20 questions written on the history's thread, one at a time.
    {
        const auto sample = makeGames("written-", writes, 20, random);
        HistoryWriter writer;
        std::unique_ptr<SqlHistory> store;
        writer.post([&] { store = std::make_unique<SqlHistory>(path, say); });
        writer.flush();
        std::vector<double> written, handed;
        written.reserve(sample.size());
        for (const GameRecord& g : sample) {
            const auto posted = Clock::now();
            writer.post([&, g] {
                const auto start = Clock::now();
                store->save(g);
                written.push_back(ms(Clock::now() - start));
            });
            handed.push_back(ms(Clock::now() - posted) * 1000);
            writer.flush();
        }
        writer.post([&] { store.reset(); });
        writer.flush();
        report("one game (20 questions) written on the history's thread", written);
        report("... handing it over on the game's thread", handed, "us");
    }

    // 2. The progress view from `games` games.
    const auto history = makeGames("game-", games, perGame, random);
    {
        SqlHistory store(path, say);
        store.merge(history);
        std::vector<double> load;
        for (int i = 0; i < 3; ++i) {
            const auto start = Clock::now();
            const auto loaded = store.loadAll();
            load.push_back(ms(Clock::now() - start));
            if (loaded.size() != history.size() + writes) std::fprintf(stderr, "loaded %zu games\n", loaded.size());
        }
        report("history file loaded", load);
        std::vector<double> opened;
        for (int i = 0; i < 3; ++i) {
            const auto start = Clock::now();
            zv::ProgressWindow window(store);
            (void)window.grab();
            opened.push_back(ms(Clock::now() - start));
        }
        report("progress window opened on the file and painted", opened);
    }
    std::vector<double> figures, svgText, rendered;
    for (int i = 0; i < 10; ++i) {
        const auto t0 = Clock::now();
        const Figures f = computeFigures(history, 0, 20000 + games / 4);
        const auto t1 = Clock::now();
        const std::string svg = progressSvg(f);
        const auto t2 = Clock::now();
        QSvgRenderer renderer(QByteArray::fromStdString(svg));
        QImage image(kProgressWidth, kProgressHeight, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const auto t3 = Clock::now();
        figures.push_back(ms(t1 - t0));
        svgText.push_back(ms(t2 - t1));
        rendered.push_back(ms(t3 - t0));
    }
    std::printf("progress view from %d games (%d questions):\n", games, games * perGame);
    report("  figures", figures);
    report("  SVG text", svgText);
    report("  figures + SVG + QtSvg rendering", rendered);
    return 0;
}
