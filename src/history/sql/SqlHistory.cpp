#include "history/sql/SqlHistory.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <map>

namespace zv::history {

namespace {

std::string notesText(const std::vector<Semitone>& keys) {
    std::string text;
    for (Semitone k : keys) (text += text.empty() ? "" : " ") += std::to_string(k);
    return text;
}

// "0 4 7" back into keys; anything but digits and spaces separates, a number out of
// range is dropped. By hand: the progress view reads 100,000 of these at a time.
std::vector<Semitone> notesOf(const QVariant& cell) {
    const QByteArray text = cell.toByteArray();
    std::vector<Semitone> keys;
    keys.reserve(static_cast<std::size_t>(text.size() / 2 + 1));
    int value = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ' ';  // the end separates too
        if (c >= '0' && c <= '9') {
            value = std::min(value < 0 ? c - '0' : value * 10 + (c - '0'), 1000);
        } else if (value >= 0) {
            if (value < kKeys) keys.push_back(static_cast<Semitone>(value));
            value = -1;
        }
    }
    return keys;
}

// The schema, one step per version: steps[v] takes a file from version v to v + 1.
const char* const kMigrations[][3] = {
    {"CREATE TABLE games (id TEXT PRIMARY KEY, started_ms INTEGER NOT NULL, notes INTEGER NOT NULL,"
     " key_range INTEGER NOT NULL, time_limit_s INTEGER NOT NULL, game_ms INTEGER NOT NULL,"
     " questions_asked INTEGER NOT NULL, rights INTEGER NOT NULL, finished INTEGER NOT NULL)",
     "CREATE TABLE questions (game_id TEXT NOT NULL REFERENCES games(id) ON DELETE CASCADE, idx INTEGER NOT NULL,"
     " melody TEXT NOT NULL, answered TEXT NOT NULL, is_right INTEGER NOT NULL, replays INTEGER NOT NULL,"
     " answer_shown INTEGER NOT NULL, answer_ms INTEGER NOT NULL, input TEXT NOT NULL,"
     " PRIMARY KEY (game_id, idx)) WITHOUT ROWID",
     "CREATE INDEX games_started ON games(started_ms)"},
};
static_assert(std::size(kMigrations) == SqlHistory::kSchemaVersion);

QSqlDatabase db(const std::string& connection) { return QSqlDatabase::database(QString::fromStdString(connection), false); }

}  // namespace

std::string SqlHistory::defaultPath() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + "/.local/share";
    return (base + "/zorvanta/history.sqlite").toStdString();
}

SqlHistory::SqlHistory(std::string path, Say say) : path_(std::move(path)), say_(std::move(say)) {
    static std::atomic<int> instances{0};
    connection_ = "zorvanta-history-" + std::to_string(++instances);
    if (open()) return;
    if (state_ == State::Unavailable) QSqlDatabase::removeDatabase(QString::fromStdString(connection_));
}

SqlHistory::~SqlHistory() {
    {
        QSqlDatabase d = db(connection_);
        if (d.isOpen()) d.close();
    }
    QSqlDatabase::removeDatabase(QString::fromStdString(connection_));
}

void SqlHistory::notKept(const std::string& why) {
    if (state_ == State::Unavailable) return;
    state_ = State::Unavailable;
    say_("zorvanta: history is not kept (" + why + "); the game plays on");
}

bool SqlHistory::openFile() {
    QSqlDatabase d = QSqlDatabase::contains(QString::fromStdString(connection_))
                         ? db(connection_)
                         : QSqlDatabase::addDatabase("QSQLITE", QString::fromStdString(connection_));
    if (!d.isValid()) return false;
    d.setDatabaseName(QString::fromStdString(path_));
    // Another game writing the same file is waited for, up to 5 s per statement.
    d.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
    return d.open();
}

// A file SQLite cannot read as a database, or whose pages do not hold together.
bool SqlHistory::damaged() {
    QSqlQuery q(db(connection_));
    if (!q.exec("PRAGMA quick_check") || !q.next()) {
        const QString text = q.lastError().text();
        return text.contains("not a database") || text.contains("malformed") || text.contains("corrupt");
    }
    return q.value(0).toString() != "ok";
}

void SqlHistory::setAside() {
    db(connection_).close();
    const QString path = QString::fromStdString(path_);
    const QString aside = path + ".damaged-" + QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss");
    QFile::rename(path, aside);
    for (const char* suffix : {"-wal", "-shm"})
        if (QFile::exists(path + suffix)) QFile::rename(path + suffix, aside + suffix);
    say_("zorvanta: the history file " + path_ + " was damaged; it was set aside as " + aside.toStdString() +
         " and a new one started");
}

bool SqlHistory::open() {
    const QFileInfo file(QString::fromStdString(path_));
    if (!QDir().mkpath(file.absolutePath())) {
        state_ = State::Writable;  // so that notKept says it
        notKept("cannot make the folder " + file.absolutePath().toStdString());
        return false;
    }
    state_ = State::Writable;
    if (!openFile()) {
        notKept("cannot open " + path_ + ": " + db(connection_).lastError().text().toStdString());
        return false;
    }
    if (damaged()) {
        setAside();
        if (!openFile()) {
            notKept("cannot open " + path_);
            return false;
        }
    }
    QSqlQuery q(db(connection_));
    if (!q.exec("PRAGMA user_version") || !q.next()) {
        notKept("cannot read " + path_ + ": " + q.lastError().text().toStdString());
        return false;
    }
    const int version = q.value(0).toInt();
    if (version > kSchemaVersion) {
        state_ = State::ReadOnly;
        say_("zorvanta: the history file " + path_ + " was written by a newer version of Zorvanta; it is only read, "
             "and nothing of this session is kept");
        return true;
    }
    // WAL: a reader never waits for the writer, and a killed program leaves every
    // committed game in the file. NORMAL syncing loses nothing to a killed program.
    q.exec("PRAGMA journal_mode=WAL");
    q.exec("PRAGMA synchronous=NORMAL");
    q.exec("PRAGMA foreign_keys=ON");
    if (version < kSchemaVersion && !migrate()) return false;
    return true;
}

bool SqlHistory::migrate() {
    QSqlDatabase d = db(connection_);
    QSqlQuery q(d);
    // BEGIN IMMEDIATE: two games starting together on a new file migrate it once.
    if (!q.exec("BEGIN IMMEDIATE")) {
        notKept(q.lastError().text().toStdString());
        return false;
    }
    q.exec("PRAGMA user_version");
    q.next();
    for (int v = q.value(0).toInt(); v < kSchemaVersion; ++v) {
        for (const char* statement : kMigrations[v]) {
            if (!q.exec(statement)) {
                const std::string why = q.lastError().text().toStdString();
                d.rollback();
                notKept(why);
                return false;
            }
        }
    }
    q.exec("PRAGMA user_version=" + QString::number(kSchemaVersion));
    if (!d.commit()) {
        notKept(d.lastError().text().toStdString());
        return false;
    }
    return true;
}

bool SqlHistory::writeGame(const GameRecord& g) {
    QSqlQuery q(db(connection_));
    q.prepare("INSERT INTO games VALUES (?,?,?,?,?,?,?,?,?) ON CONFLICT(id) DO UPDATE SET game_ms=excluded.game_ms,"
              " questions_asked=excluded.questions_asked, rights=excluded.rights, finished=excluded.finished");
    int at = 0;
    for (const QVariant& v : {QVariant(QString::fromStdString(g.id)), QVariant(qint64(g.startedMs)),
                              QVariant(g.notesPerQuestion), QVariant(g.keyRange), QVariant(g.timeLimitSeconds),
                              QVariant(g.durationMs), QVariant(g.questionsAsked), QVariant(g.rightsCounted),
                              QVariant(g.finished ? 1 : 0)})
        q.bindValue(at++, v);
    if (!q.exec()) return false;
    q.prepare("INSERT OR REPLACE INTO questions VALUES (?,?,?,?,?,?,?,?,?)");
    for (const QuestionRecord& r : g.questions) {
        at = 0;
        for (const QVariant& v : {QVariant(QString::fromStdString(g.id)), QVariant(r.index),
                                  QVariant(QString::fromStdString(notesText(r.melody))),
                                  QVariant(QString::fromStdString(notesText(r.answered))), QVariant(r.right ? 1 : 0),
                                  QVariant(r.replays), QVariant(r.answerShown ? 1 : 0), QVariant(r.answerMs),
                                  QVariant(QString::fromUtf8(inputName(r.input).data(), inputName(r.input).size()))})
            q.bindValue(at++, v);
        if (!q.exec()) return false;
    }
    return true;
}

bool SqlHistory::save(const GameRecord& game) {
    if (state_ != State::Writable) return false;
    QSqlDatabase d = db(connection_);
    // One transaction per game: a kill leaves the game as it was before or after.
    if (d.transaction() && writeGame(game) && d.commit()) return true;
    const std::string why = d.lastError().text().toStdString();
    d.rollback();
    notKept(why.empty() ? "a write failed" : why);
    return false;
}

std::vector<GameRecord> SqlHistory::loadAll() {
    std::vector<GameRecord> games;
    if (state_ == State::Unavailable) return games;
    std::map<std::string, std::size_t> byId;
    QSqlQuery q(db(connection_));
    q.setForwardOnly(true);
    if (!q.exec("SELECT id, started_ms, notes, key_range, time_limit_s, game_ms, questions_asked, rights, finished"
                " FROM games ORDER BY started_ms, id"))
        return games;
    while (q.next()) {
        GameRecord g;
        g.id = q.value(0).toString().toStdString();
        g.startedMs = q.value(1).toLongLong();
        g.notesPerQuestion = q.value(2).toInt();
        g.keyRange = q.value(3).toInt();
        g.timeLimitSeconds = q.value(4).toInt();
        g.durationMs = q.value(5).toInt();
        g.questionsAsked = q.value(6).toInt();
        g.rightsCounted = q.value(7).toInt();
        g.finished = q.value(8).toInt() != 0;
        byId.emplace(g.id, games.size());
        games.push_back(std::move(g));
    }
    // The text columns as their bytes: the file's UTF-8 as it is, not turned into
    // QStrings and back for each of 100,000 rows.
    if (!q.exec("SELECT CAST(game_id AS BLOB), idx, CAST(melody AS BLOB), CAST(answered AS BLOB), is_right, replays,"
                " answer_shown, answer_ms, CAST(input AS BLOB) FROM questions ORDER BY game_id, idx"))
        return games;
    GameRecord* game = nullptr;
    QByteArray gameId;
    while (q.next()) {
        // Rows come in the order of their game: one look-up per game, not per row.
        if (const QByteArray id = q.value(0).toByteArray(); !game || id != gameId) {
            const auto found = byId.find(id.toStdString());
            game = found == byId.end() ? nullptr : &games[found->second];
            gameId = id;
        }
        if (!game) continue;
        QuestionRecord r;
        r.index = q.value(1).toInt();
        r.melody = notesOf(q.value(2));
        r.answered = notesOf(q.value(3));
        r.right = q.value(4).toInt() != 0;
        r.replays = q.value(5).toInt();
        r.answerShown = q.value(6).toInt() != 0;
        r.answerMs = q.value(7).toInt();
        const QByteArray input = q.value(8).toByteArray();
        r.input = inputFromName(std::string_view(input.constData(), std::size_t(input.size()))).value_or(InputKind::Mouse);
        game->questions.push_back(std::move(r));
    }
    return games;
}

SqlHistory::Merge SqlHistory::merge(const std::vector<GameRecord>& games) {
    Merge result;
    if (state_ != State::Writable) {
        result.error = state_ == State::ReadOnly ? "the history file is from a newer version and only read"
                                                 : "history is not kept on this machine";
        return result;
    }
    QSqlDatabase d = db(connection_);
    if (!d.transaction()) {
        result.error = d.lastError().text().toStdString();
        return result;
    }
    QSqlQuery exists(d);
    exists.prepare("SELECT 1 FROM games WHERE id = ?");
    for (const GameRecord& g : games) {
        exists.bindValue(0, QString::fromStdString(g.id));
        if (!exists.exec()) {
            result.error = exists.lastError().text().toStdString();
            break;
        }
        if (exists.next()) {
            ++result.alreadyKept;
            continue;
        }
        if (!writeGame(g)) {
            // The failed statement's error is its query's, not the connection's.
            result.error = "a write failed";
            break;
        }
        ++result.added;
    }
    // All or nothing: a failure part-way keeps the history as it was.
    if (result.error.empty() && d.commit()) return result;
    if (result.error.empty()) result.error = d.lastError().text().toStdString();
    d.rollback();
    result.added = result.alreadyKept = 0;
    return result;
}

bool SqlHistory::forget() {
    if (state_ != State::Writable) return false;
    QSqlDatabase d = db(connection_);
    QSqlQuery q(d);
    if (!d.transaction() || !q.exec("DELETE FROM questions") || !q.exec("DELETE FROM games") || !d.commit()) {
        d.rollback();
        return false;
    }
    // The deleted pages are wiped from the file too, not only unlinked.
    q.exec("VACUUM");
    return true;
}

}  // namespace zv::history
