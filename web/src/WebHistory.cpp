#include "WebHistory.h"

#include <emscripten.h>

#include <memory>
#include <string>

#include "game/Game.h"
#include "history/Calendar.h"
#include "history/Figures.h"
#include "history/HistoryCsv.h"
#include "history/ProgressSvg.h"
#include "history/Recorder.h"

// The page listens for these two events (web/page/history.js).
EM_JS(void, zvHistoryKeep, (const char* id, double startedMs, const char* rows), {
    window.dispatchEvent(new CustomEvent('zorvanta-history',
                                         {detail : {id : UTF8ToString(id), startedMs, rows : UTF8ToString(rows)}}));
});
EM_JS(void, zvHistoryReady, (), { window.dispatchEvent(new CustomEvent('zorvanta-history-ready', {detail : Module})); });
EM_JS(double, zvDateNow, (), { return Date.now(); });

namespace {
std::string answer;  // what the last export returned, valid until the next call
}  // namespace

namespace zv::web {

namespace {

std::unique_ptr<history::Recorder> recorder;

std::string header() { return history::writeCsv({}); }

// A game's rows without the header line.
std::string rowsOf(const history::GameRecord& game) { return history::writeCsv({game}).substr(header().size()); }

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '"' || c == '\\') (out += '\\') += c;
        else out += c;
    }
    return out + "\"";
}

}  // namespace

void attachHistory(Game& game) {
    recorder = std::make_unique<history::Recorder>(
        history::Recorder::Clock{[] { return static_cast<std::int64_t>(zvDateNow()); },
                                 [] { return static_cast<std::int64_t>(emscripten_get_now()); }},
        [](const history::GameRecord& g) { zvHistoryKeep(g.id.c_str(), static_cast<double>(g.startedMs), rowsOf(g).c_str()); },
        static_cast<std::uint64_t>(emscripten_random() * 4294967296.0) ^
            static_cast<std::uint64_t>(zvDateNow()) << 16);
    game.setObserver(*recorder);
    zvHistoryReady();
}

}  // namespace zv::web

extern "C" {

// The CSV file's header line, and the largest file the core reads.
EMSCRIPTEN_KEEPALIVE const char* zv_history_header() {
    answer = zv::web::header();
    return answer.c_str();
}
EMSCRIPTEN_KEEPALIVE double zv_history_max_bytes() { return static_cast<double>(zv::history::kMaxCsvBytes); }

// A CSV file checked as the desktop checks it: "!" and the reason when refused, else
// its games as JSON, [{"id", "startedMs", "rows"}].
EMSCRIPTEN_KEEPALIVE const char* zv_history_check(const char* csv) {
    const zv::history::CsvResult read = zv::history::readCsv(csv);
    if (!read.ok()) {
        answer = "!" + read.error;
        return answer.c_str();
    }
    answer = "[";
    for (const auto& g : read.games)
        answer += (answer.size() > 1 ? "," : "") + std::string("{\"id\":") + zv::web::jsonString(g.id) +
                  ",\"startedMs\":" + std::to_string(g.startedMs) +
                  ",\"rows\":" + zv::web::jsonString(zv::web::rowsOf(g)) + "}";
    answer += "]";
    return answer.c_str();
}

// The settings played, one caption a line, in the order the filter counts them.
EMSCRIPTEN_KEEPALIVE const char* zv_history_settings(const char* csv) {
    const auto read = zv::history::readCsv(csv);
    answer.clear();
    for (const auto& s : zv::history::computeFigures(read.games, 0, 0).settings)
        answer += zv::history::settingCaption(s.setting) + "\n";
    return answer.c_str();
}

// The progress drawing of a whole history (filter 0: every setting; n: the n-th of
// zv_history_settings), the player's clock offsetMinutes east of UTC.
EMSCRIPTEN_KEEPALIVE const char* zv_history_svg(const char* csv, int offsetMinutes, double nowMs, int filter) {
    const auto read = zv::history::readCsv(csv);
    const auto all = zv::history::computeFigures(read.games, 0, 0);
    std::optional<zv::history::SettingKey> chosen;
    if (filter > 0 && filter <= static_cast<int>(all.settings.size())) chosen = all.settings[filter - 1].setting;
    const std::int64_t today = zv::history::localDay(static_cast<std::int64_t>(nowMs), offsetMinutes);
    answer = zv::history::progressSvg(zv::history::computeFigures(read.games, offsetMinutes, today, chosen));
    return answer.c_str();
}

}  // extern "C"
