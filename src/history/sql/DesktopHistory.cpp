#include "history/sql/DesktopHistory.h"

#include <random>

namespace zv::history {

DesktopHistory::DesktopHistory(std::string path, SqlHistory::Say say)
    : path_(std::move(path)),
      say_(std::move(say)),
      recorder_(Recorder::systemClock(), [this](const GameRecord& game) {
          withStore([game](SqlHistory& store) { store.save(game); });
      }, std::random_device{}()) {}

DesktopHistory::~DesktopHistory() {
    writer_.post([this] { store_.reset(); });
    writer_.flush();
}

void DesktopHistory::open() {
    withStore([](SqlHistory&) {});
}

void DesktopHistory::withStore(std::function<void(SqlHistory&)> job) {
    writer_.post([this, job = std::move(job)] {
        if (!store_) store_ = std::make_unique<SqlHistory>(path_, say_);
        job(*store_);
    });
}

}  // namespace zv::history
