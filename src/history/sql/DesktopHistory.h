// The desktop's history while the game runs: the recorder the game tells, and the
// history file, opened and written on a thread of its own. Nothing touches the disk
// until open() (called after the window's first frame) or the first game's answer,
// whichever comes first; each answered question is in the file a moment later.
#pragma once

#include <memory>
#include <string>

#include "history/HistoryWriter.h"
#include "history/Recorder.h"
#include "history/sql/SqlHistory.h"

namespace zv::history {

class DesktopHistory {
public:
    DesktopHistory(std::string path, SqlHistory::Say say);
    ~DesktopHistory();  // writes what is queued, then closes the file

    GameObserver& observer() { return recorder_; }
    void open();
    // Waits until everything handed over so far is written (tests, benchmarks).
    void flush() { writer_.flush(); }

private:
    void withStore(std::function<void(SqlHistory&)> job);

    std::string path_;
    SqlHistory::Say say_;
    std::unique_ptr<SqlHistory> store_;  // made, used and closed on the writer's thread
    HistoryWriter writer_;
    Recorder recorder_;
};

}  // namespace zv::history
