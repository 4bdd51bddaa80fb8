// The history file when things go wrong, one table: a writer killed at any moment, a
// damaged file, a newer version's file, two games writing at once, a folder that
// cannot be written, a full disk; and hostile CSV files, refused without a change.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <thread>

#include "history/HistoryCsv.h"
#include "history/sql/SqlHistory.h"

using namespace zv::history;

namespace {

// A game of five questions as the recorder hands it over after `answered` answers.
GameRecord gameSoFar(const std::string& id, int answered, bool finished) {
    GameRecord g;
    g.id = id;
    g.startedMs = 1700000000000;
    g.notesPerQuestion = 3;
    g.timeLimitSeconds = 30;
    g.finished = finished;
    for (int i = 0; i < answered; ++i) g.questions.push_back({i, {0, 4, 7}, {0, 4, 7}, true, 0, false, 800, zv::InputKind::Keys});
    g.questionsAsked = g.rightsCounted = answered;
    return g;
}

// The child process: saves games of five answers each, one answer at a time, and
// prints "finished N" after each game, until killed or `games` are written.
int writer(const char* path, int games) {
    static int argc = 1;
    static char name[] = "writer";
    static char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    SqlHistory store(path, [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
    for (int n = 0; n < games; ++n) {
        for (int a = 1; a <= 5; ++a) store.save(gameSoFar("w" + std::to_string(n), a, false));
        store.save(gameSoFar("w" + std::to_string(n), 5, true));
        std::printf("finished %d\n", n);
        std::fflush(stdout);
    }
    return 0;
}

struct Said {
    std::vector<std::string> lines;
    SqlHistory::Say say() {
        return [this](const std::string& l) { lines.push_back(l); };
    }
    bool once(const char* what) const {
        return lines.size() == 1 && lines[0].find(what) != std::string::npos;
    }
};

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QProcess* startWriter(const QString& path, int games, const char* fileSizeLimit = "") {
    auto* p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZV_HISTORY_WRITER", path);
    env.insert("ZV_HISTORY_GAMES", QString::number(games));
    env.insert("ZV_FILE_SIZE_LIMIT", fileSizeLimit);
    p->setProcessEnvironment(env);
    p->start(QCoreApplication::applicationFilePath(), {});
    return p;
}

}  // namespace

class HistoryFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void faults_data() {
        QTest::addColumn<QString>("fault");
        for (const char* f : {"kill", "damaged", "newer", "two at once", "unwritable folder", "full disk"})
            QTest::newRow(f) << f;
    }
    void faults() {
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QString path = dir.filePath("zorvanta/history.sqlite");
        Said said;
        if (fault == "kill") {
            // Killed while writing: every game it finished is whole; the one it was
            // writing keeps its answers so far, unfinished.
            std::unique_ptr<QProcess> child(startWriter(path, 1 << 30));
            QByteArray out;
            while (!out.contains("finished 30\n") && child->waitForReadyRead(10000)) out += child->readAllStandardOutput();
            QVERIFY(out.contains("finished 30\n"));
            ::kill(static_cast<pid_t>(child->processId()), SIGKILL);
            QVERIFY(child->waitForFinished(10000));
            SqlHistory store(path.toStdString(), said.say());
            const auto games = store.loadAll();
            QVERIFY(said.lines.empty() && games.size() >= 31);
            for (const GameRecord& g : games)
                QVERIFY(g.finished ? g.questions.size() == 5 : !g.questions.empty() && g.questions.size() <= 5);
            QVERIFY(std::count_if(games.begin(), games.end(), [](const GameRecord& g) { return !g.finished; }) <= 1);
        } else if (fault == "damaged") {
            QDir().mkpath(dir.filePath("zorvanta"));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("not a database, a letter\n").repeated(400));
            f.close();
            const QByteArray before = bytesOf(path);
            SqlHistory store(path.toStdString(), said.say());
            QVERIFY(said.once("damaged"));
            QVERIFY(store.save(gameSoFar("g", 1, true)));
            const QStringList aside = QDir(dir.filePath("zorvanta")).entryList({"history.sqlite.damaged-*"});
            QCOMPARE(aside.size(), 1);
            QCOMPARE(bytesOf(dir.filePath("zorvanta/" + aside[0])), before);
        } else if (fault == "newer") {
            {
                SqlHistory store(path.toStdString(), said.say());
                QVERIFY(store.save(gameSoFar("g", 2, true)));
            }
            {
                auto db = QSqlDatabase::addDatabase("QSQLITE", "raw");
                db.setDatabaseName(path);
                QVERIFY(db.open());
                QSqlQuery(db).exec("PRAGMA user_version=2");
                QSqlQuery(db).exec("PRAGMA wal_checkpoint(TRUNCATE)");
                db.close();
            }
            QSqlDatabase::removeDatabase("raw");
            const QByteArray before = bytesOf(path);
            SqlHistory store(path.toStdString(), said.say());
            QVERIFY(said.once("newer") && store.state() == SqlHistory::State::ReadOnly);
            QCOMPARE(store.loadAll().size(), std::size_t(1));
            QVERIFY(!store.save(gameSoFar("h", 1, true)) && !store.merge({gameSoFar("h", 1, true)}).error.empty());
            QVERIFY(!store.forget());
            QCOMPARE(bytesOf(path), before);
        } else if (fault == "two at once") {
            auto play = [&](const std::string& prefix) {
                SqlHistory store(path.toStdString(), said.say());
                for (int n = 0; n < 40; ++n)
                    for (int a = 1; a <= 5; ++a) store.save(gameSoFar(prefix + std::to_string(n), a, a == 5));
            };
            std::thread one(play, "a"), two(play, "b");
            one.join();
            two.join();
            QVERIFY(said.lines.empty());
            QCOMPARE(SqlHistory(path.toStdString(), said.say()).loadAll().size(), std::size_t(80));
        } else if (fault == "unwritable folder") {
            QFile blocker(dir.filePath("zorvanta"));  // a file where the folder belongs
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            SqlHistory store(path.toStdString(), said.say());
            QVERIFY(!store.save(gameSoFar("g", 1, true)) && !store.save(gameSoFar("g", 2, true)));
            QVERIFY(said.once("history is not kept") && store.state() == SqlHistory::State::Unavailable);
        } else if (fault == "full disk") {
            // The file may not grow past 96 KiB: the writer plays on and says it once.
            std::unique_ptr<QProcess> child(startWriter(path, 300, "98304"));
            QVERIFY(child->waitForFinished(60000));
            const QString err = QString::fromUtf8(child->readAllStandardError());
            QVERIFY2(child->exitCode() == 0, qPrintable(err));
            QCOMPARE(err.count("history is not kept"), 1);
            QVERIFY(child->readAllStandardOutput().contains("finished 299\n"));
            SqlHistory store(path.toStdString(), said.say());
            const auto kept = store.loadAll().size();
            QVERIFY(said.lines.empty() && kept > 0 && kept < 300);
        }
    }

    void hostileCsv_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("reason");
        const QByteArray good = QByteArray::fromStdString(writeCsv({gameSoFar("g1", 2, true)}));
        const QByteArray header = good.left(good.indexOf('\n') + 1);
        const QByteArray row = good.mid(header.size(), good.indexOf('\n', header.size()) + 1 - header.size());
        QByteArray formula = row;
        formula.replace("keys", "=cmd|'/C calc'!A0");
        QTest::newRow("wrong columns") << QByteArray("name,score\nx,1\n") << "columns are not";
        QTest::newRow("extra cell") << header + row.trimmed() + ",1\n" << "18 cells";
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << "binary";
        QTest::newRow("formula") << header + formula << "formula";
        QTest::newRow("formula after quote") << header + QByteArray(row).replace("keys", "\"@SUM(A1)\"") << "formula";
        QTest::newRow("huge") << header + QByteArray(int(kMaxCsvBytes), '\n') << "larger than";
        QTest::newRow("key out of range") << header + QByteArray(row).replace(",0 4 7,0 4 7,", ",0 4 7,0 4 99,") << "answered";
        QTest::newRow("verdict at odds") << header + QByteArray(row).replace(",right,", ",wrong,") << "does not agree";
        QTest::newRow("same question twice") << header + row + row << "came before";
        QTest::newRow("bad time") << header + QByteArray(row).replace("T", " ") << "started_utc";
    }
    // Refused whole with its reason; and a good file never changes a game kept.
    void hostileCsv() {
        QFETCH(QByteArray, csv);
        QFETCH(QString, reason);
        const CsvResult r = readCsv(std::string_view(csv.constData(), csv.size()));
        QVERIFY2(QString::fromStdString(r.error).contains(reason), r.error.c_str());
        QVERIFY(r.games.empty());

        QTemporaryDir dir;
        Said said;
        SqlHistory store(dir.filePath("h.sqlite").toStdString(), said.say());
        QVERIFY(store.save(gameSoFar("g1", 2, true)));
        GameRecord other = gameSoFar("g1", 5, false);
        const CsvResult mine = readCsv(writeCsv({other, gameSoFar("g2", 1, true)}));
        const auto merged = store.merge(mine.games);
        QVERIFY(merged.added == 1 && merged.alreadyKept == 1);
        QVERIFY(store.loadAll().front() == gameSoFar("g1", 2, true));
    }
};

int main(int argc, char** argv) {
    if (const char* path = std::getenv("ZV_HISTORY_WRITER")) {
        if (const long limit = std::atol(std::getenv("ZV_FILE_SIZE_LIMIT")); limit > 0) {
            std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails as on a full disk
            const rlimit r{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
            setrlimit(RLIMIT_FSIZE, &r);
        }
        return writer(path, std::atoi(std::getenv("ZV_HISTORY_GAMES")));
    }
    QCoreApplication app(argc, argv);
    HistoryFaultsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_history_faults.moc"
