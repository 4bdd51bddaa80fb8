// The history as a CSV file, one row per answered question, for moving it between
// machines and editions. The columns, in this order (docs/history-csv.md):
//   game_id, started_utc, notes_per_question, key_range, time_limit_s, game_ms,
//   game_questions, game_rights, game_finished, question, melody, answered, verdict,
//   replays, answer_shown, answer_ms, input
// Reading is strict: a file that is not exactly that (another header, a cell of the
// wrong kind, a control character, a formula, a row at odds with its game, more than
// kMaxBytes) is refused whole, with the line and the reason.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "history/Records.h"

namespace zv::history {

inline constexpr std::size_t kMaxCsvBytes = 64u << 20;  // about 400,000 questions

std::string writeCsv(const std::vector<GameRecord>& games);

struct CsvResult {
    std::vector<GameRecord> games;
    std::string error;  // empty when the file was read
    bool ok() const { return error.empty(); }
};
CsvResult readCsv(std::string_view text);

}  // namespace zv::history
