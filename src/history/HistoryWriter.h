// A thread of its own for the history's storage: jobs posted from the game's thread
// run there in order, so no write (nor the file's opening) ever holds up a key press
// or the window. The thread starts with the first job; the destructor runs what is
// queued, then joins.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zv::history {

class HistoryWriter {
public:
    HistoryWriter() = default;
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    // Never blocks on a job in progress: only on the queue's lock.
    void post(std::function<void()> job);
    // Waits until every job posted so far has run.
    void flush();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<std::function<void()>> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace zv::history
