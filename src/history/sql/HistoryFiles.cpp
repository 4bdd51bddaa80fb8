#include "history/sql/HistoryFiles.h"

#include <QFile>
#include <QSaveFile>
#include <string_view>

#include "history/HistoryCsv.h"

namespace zv::history {

Exported exportCsvFile(SqlHistory& store, const std::string& file) {
    Exported result;
    const auto games = store.loadAll();
    const std::string csv = writeCsv(games);
    // A save file: a full disk or a crash midway leaves the old file, never half a new one.
    QSaveFile out(QString::fromStdString(file));
    if (!out.open(QIODevice::WriteOnly) || out.write(csv.data(), qint64(csv.size())) != qint64(csv.size()) ||
        !out.commit()) {
        result.error = out.errorString().toStdString();
        return result;
    }
    result.games = static_cast<int>(games.size());
    for (const auto& g : games) result.questions += static_cast<int>(g.questions.size());
    return result;
}

SqlHistory::Merge importCsvFile(SqlHistory& store, const std::string& file) {
    SqlHistory::Merge result;
    QFile in(QString::fromStdString(file));
    if (!in.open(QIODevice::ReadOnly)) {
        result.error = in.errorString().toStdString();
        return result;
    }
    // Checked before reading, so a huge file is never read into memory.
    if (in.size() > qint64(kMaxCsvBytes)) {
        result.error = "the file is larger than " + std::to_string(kMaxCsvBytes >> 20) + " MB: not a Zorvanta history";
        return result;
    }
    const QByteArray bytes = in.read(qint64(kMaxCsvBytes) + 1);
    const CsvResult csv = readCsv(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    if (!csv.ok()) {
        result.error = csv.error;
        return result;
    }
    return store.merge(csv.games);
}

}  // namespace zv::history
