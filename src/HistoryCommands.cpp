#include "HistoryCommands.h"

#include <QApplication>
#include <cstdio>

#include "history/sql/HistoryFiles.h"
#include "view/ProgressWindow.h"

namespace zv {

namespace {
void say(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

int exportTo(history::SqlHistory& store, const std::string& file) {
    const history::Exported out = history::exportCsvFile(store, file);
    if (!out.error.empty()) {
        say("zorvanta: cannot write " + file + ": " + out.error);
        return 1;
    }
    std::printf("zorvanta: wrote %d games (%d questions) to %s\n", out.games, out.questions, file.c_str());
    return 0;
}

int importFrom(history::SqlHistory& store, const std::string& file) {
    const auto merged = history::importCsvFile(store, file);
    if (!merged.error.empty()) {
        say("zorvanta: cannot import " + file + ": " + merged.error);
        return 1;
    }
    std::printf("zorvanta: added %d games from %s; %d were kept already\n", merged.added, file.c_str(),
                merged.alreadyKept);
    return 0;
}
}  // namespace

bool wantsHistoryCommand(const CommandLine& o) {
    return o.progress || o.forgetHistory || !o.exportHistory.empty() || !o.importHistory.empty();
}

int runHistoryCommand(const CommandLine& o, int& argc, char** argv) {
    if (o.progress) {
        QApplication app(argc, argv);
        history::SqlHistory store(history::SqlHistory::defaultPath(), say);
        ProgressWindow window(store);
        window.show();
        return QApplication::exec();
    }
    QCoreApplication app(argc, argv);
    history::SqlHistory store(history::SqlHistory::defaultPath(), say);
    if (store.state() == history::SqlHistory::State::Unavailable) return 1;
    if (!o.importHistory.empty()) return importFrom(store, o.importHistory);
    if (!o.exportHistory.empty()) return exportTo(store, o.exportHistory);
    if (!store.forget()) {
        say("zorvanta: cannot forget the history in " + store.path());
        return 1;
    }
    std::printf("zorvanta: every game kept in %s is forgotten\n", store.path().c_str());
    return 0;
}

}  // namespace zv
