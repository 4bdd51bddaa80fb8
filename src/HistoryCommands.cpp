#include "HistoryCommands.h"

#include <QApplication>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

#include "history/HistoryCsv.h"
#include "history/sql/SqlHistory.h"
#include "view/ProgressWindow.h"

namespace zv {

namespace {
void say(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

int exportTo(history::SqlHistory& store, const std::string& file) {
    const auto games = store.loadAll();
    std::size_t questions = 0;
    for (const auto& g : games) questions += g.questions.size();
    QSaveFile out(QString::fromStdString(file));
    const std::string csv = history::writeCsv(games);
    if (!out.open(QIODevice::WriteOnly) || out.write(csv.data(), qint64(csv.size())) != qint64(csv.size()) ||
        !out.commit()) {
        say("zorvanta: cannot write " + file + ": " + out.errorString().toStdString());
        return 1;
    }
    std::printf("zorvanta: wrote %zu games (%zu questions) to %s\n", games.size(), questions, file.c_str());
    return 0;
}

int importFrom(history::SqlHistory& store, const std::string& file) {
    QFile in(QString::fromStdString(file));
    if (!in.open(QIODevice::ReadOnly)) {
        say("zorvanta: cannot import " + file + ": " + in.errorString().toStdString());
        return 1;
    }
    // Checked before reading, so a huge file is never read into memory.
    if (in.size() > qint64(history::kMaxCsvBytes)) {
        say("zorvanta: cannot import " + file + ": the file is larger than " +
            std::to_string(history::kMaxCsvBytes >> 20) + " MB: not a Zorvanta history");
        return 1;
    }
    const QByteArray bytes = in.read(qint64(history::kMaxCsvBytes) + 1);
    const history::CsvResult csv = history::readCsv(std::string_view(bytes.constData(), bytes.size()));
    if (!csv.ok()) {
        say("zorvanta: cannot import " + file + ": " + csv.error);
        return 1;
    }
    const auto merged = store.merge(csv.games);
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
