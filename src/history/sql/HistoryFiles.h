// The history's CSV file on disk, moved in and out of the desktop's history file the
// same way by the command line and by the progress window's buttons; each says the
// outcome in its own words, with the reason given here.
#pragma once

#include <string>

#include "history/sql/SqlHistory.h"

namespace zv::history {

struct Exported {
    int games = 0;
    int questions = 0;
    std::string error;  // empty when the whole file was written
};
// Every kept game as CSV, written whole or not at all (an earlier file stays as it was).
Exported exportCsvFile(SqlHistory& store, const std::string& file);

// The file read strictly (history/HistoryCsv.h; larger than kMaxCsvBytes is refused
// before anything is read) and its games not kept yet added; a refused file changes
// nothing. The error is the reason, without the file's name.
SqlHistory::Merge importCsvFile(SqlHistory& store, const std::string& file);

}  // namespace zv::history
