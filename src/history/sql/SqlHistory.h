// The desktop's history: one SQLite file through Qt SQL, in WAL mode, with a schema
// version (PRAGMA user_version) and the migrations from every earlier one. Use an
// instance on one thread only (the history's writer thread, or a command-line action).
//
// What can go wrong, and what it does:
//  - a damaged file is renamed aside ("<file>.damaged-<time>", never deleted), a new
//    one started, and one line says so;
//  - a file written by a newer version is only read: nothing is written to it;
//  - a folder that cannot be written, a full disk, any failed write: history is not
//    kept for the rest of the session, said once; the game plays on;
//  - another program writing the same file: waited for (SQLite's busy timeout).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "history/Records.h"

namespace zv::history {

class SqlHistory {
public:
    static constexpr int kSchemaVersion = 1;
    enum class State { Writable, ReadOnly, Unavailable };
    using Say = std::function<void(const std::string& line)>;

    // "$XDG_DATA_HOME/zorvanta/history.sqlite", or under ~/.local/share without it.
    static std::string defaultPath();

    SqlHistory(std::string path, Say say);
    ~SqlHistory();
    SqlHistory(const SqlHistory&) = delete;
    SqlHistory& operator=(const SqlHistory&) = delete;

    State state() const { return state_; }
    const std::string& path() const { return path_; }

    // Replaces what is kept of that game (the recorder hands a game after each answer).
    bool save(const GameRecord& game);
    std::vector<GameRecord> loadAll();
    // Adds the games whose id is not kept yet; a kept game is never changed.
    struct Merge {
        int added = 0;
        int alreadyKept = 0;
        std::string error;
    };
    Merge merge(const std::vector<GameRecord>& games);
    // Deletes every record (the file stays, empty).
    bool forget();

private:
    bool open();
    bool openFile();
    bool damaged();
    bool migrate();
    void setAside();
    bool writeGame(const GameRecord& game);
    void notKept(const std::string& why);

    std::string path_;
    std::string connection_;
    Say say_;
    State state_ = State::Unavailable;
};

}  // namespace zv::history
