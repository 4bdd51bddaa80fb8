#include "history/HistoryCsv.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "history/Calendar.h"

namespace zv::history {

namespace {

constexpr std::string_view kColumns[] = {"game_id",       "started_utc", "notes_per_question", "key_range",
                                         "time_limit_s",  "game_ms",     "game_questions",     "game_rights",
                                         "game_finished", "question",    "melody",             "answered",
                                         "verdict",       "replays",     "answer_shown",       "answer_ms",
                                         "input"};
constexpr std::size_t kColumnCount = std::size(kColumns);
constexpr int kMaxMs = 24 * 3600 * 1000;

std::string header() {
    std::string h;
    for (std::string_view c : kColumns) (h += h.empty() ? "" : ",") += c;
    return h;
}

std::string notes(const std::vector<Semitone>& keys) {
    std::string text;
    for (Semitone k : keys) (text += text.empty() ? "" : " ") += std::to_string(k);
    return text;
}

// Reading fails by the first reason it finds; no exceptions (the web build has none).
class Reader {
public:
    const std::string& error() const { return error_; }
    bool failed() const { return !error_.empty(); }
    void fail(std::string reason) {
        if (error_.empty()) error_ = std::move(reason);
    }

    int number(std::string_view cell, int lo, int hi, const char* column) {
        int v = 0;
        const auto [end, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), v);
        if (cell.empty() || ec != std::errc{} || end != cell.data() + cell.size() || v < lo || v > hi) {
            fail(std::string(column) + " must be a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
            return lo;
        }
        return v;
    }
    bool flag(std::string_view cell, const char* column) { return number(cell, 0, 1, column) == 1; }

    std::vector<Semitone> keyList(std::string_view cell, const char* column) {
        std::vector<Semitone> keys;
        for (std::size_t at = 0; at <= cell.size() && !failed();) {
            const std::size_t space = std::min(cell.find(' ', at), cell.size());
            keys.push_back(static_cast<Semitone>(number(cell.substr(at, space - at), 0, kKeys - 1, column)));
            if (keys.size() > 8) fail(std::string(column) + " has more than 8 notes");
            at = space + 1;
        }
        return keys;
    }

    // One line into its cells. A cell may be quoted as a spreadsheet writes it; no cell
    // of this file ever needs a quote, a comma or a line break inside.
    std::vector<std::string_view> cells(std::string_view line) {
        std::vector<std::string_view> out;
        for (std::size_t at = 0; !failed();) {
            const std::size_t comma = std::min(line.find(',', at), line.size());
            std::string_view cell = line.substr(at, comma - at);
            if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"') cell = cell.substr(1, cell.size() - 2);
            if (cell.find('"') != std::string_view::npos) fail("a cell holds a quotation mark");
            // A spreadsheet would take such a cell for a formula; no value of this file starts so.
            if (!cell.empty() && std::string_view("=+-@").find(cell.front()) != std::string_view::npos)
                fail("a cell starts with '" + std::string(1, cell.front()) + "' (a formula is never imported)");
            out.push_back(cell);
            if (comma == line.size()) break;
            at = comma + 1;
        }
        return out;
    }

    void row(const std::vector<std::string_view>& c, std::vector<GameRecord>& games,
             std::map<std::string, std::size_t, std::less<>>& byId);

private:
    std::string error_;
};

bool sameGame(const GameRecord& a, const GameRecord& b) {
    return a.startedMs == b.startedMs && a.notesPerQuestion == b.notesPerQuestion && a.keyRange == b.keyRange &&
           a.timeLimitSeconds == b.timeLimitSeconds && a.durationMs == b.durationMs &&
           a.questionsAsked == b.questionsAsked && a.rightsCounted == b.rightsCounted && a.finished == b.finished;
}

bool idCharacter(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == '_' || ch == '-';
}

void Reader::row(const std::vector<std::string_view>& c, std::vector<GameRecord>& games,
                 std::map<std::string, std::size_t, std::less<>>& byId) {
    if (c.size() != kColumnCount)
        return fail(std::to_string(c.size()) + " cells where " + std::to_string(kColumnCount) + " belong");
    GameRecord g;
    g.id = std::string(c[0]);
    if (g.id.empty() || g.id.size() > 64 || !std::all_of(g.id.begin(), g.id.end(), idCharacter))
        return fail("game_id must be 1 to 64 letters, digits, '-' or '_'");
    if (!parseIsoUtc(std::string(c[1]), g.startedMs)) return fail("started_utc must read like 2026-12-08T14:35:04.123Z");
    g.notesPerQuestion = number(c[2], 1, 8, "notes_per_question");
    g.keyRange = number(c[3], 0, 3, "key_range");
    g.timeLimitSeconds = number(c[4], 0, 3600, "time_limit_s");
    g.durationMs = number(c[5], 0, kMaxMs, "game_ms");
    g.questionsAsked = number(c[6], 0, 1000000, "game_questions");
    g.rightsCounted = number(c[7], 0, 1000000, "game_rights");
    g.finished = flag(c[8], "game_finished");
    QuestionRecord q;
    q.index = number(c[9], 0, 1000000, "question");
    q.melody = keyList(c[10], "melody");
    q.answered = keyList(c[11], "answered");
    if (c[12] != "right" && c[12] != "wrong") fail("verdict must be right or wrong");
    q.right = c[12] == "right";
    q.replays = number(c[13], 0, 1000000, "replays");
    q.answerShown = flag(c[14], "answer_shown");
    q.answerMs = number(c[15], 0, kMaxMs, "answer_ms");
    const auto input = inputFromName(c[16]);
    if (!input) fail("input must be mouse, keys, touch, midi or voice");
    if (failed()) return;
    q.input = *input;
    if (static_cast<int>(q.melody.size()) != g.notesPerQuestion) return fail("melody must have notes_per_question notes");
    // An answer ends at its first wrong key, or right with the whole melody.
    const std::size_t n = q.answered.size();
    const bool prefixRight = n <= q.melody.size() && std::equal(q.answered.begin(), q.answered.end() - 1, q.melody.begin());
    const bool lastRight = n <= q.melody.size() && q.answered.back() == q.melody[n - 1];
    if (!prefixRight || (q.right ? !(lastRight && n == q.melody.size()) : lastRight))
        return fail("answered does not agree with melody and verdict");

    const auto found = byId.find(g.id);
    if (found == byId.end()) {
        byId.emplace(g.id, games.size());
        g.questions.push_back(std::move(q));
        games.push_back(std::move(g));
        return;
    }
    GameRecord& known = games[found->second];
    if (!sameGame(known, g)) return fail("the game's columns differ from its earlier rows");
    if (std::any_of(known.questions.begin(), known.questions.end(), [&](const QuestionRecord& k) { return k.index == q.index; }))
        return fail("question " + std::to_string(q.index) + " of this game came before");
    known.questions.push_back(std::move(q));
}

}  // namespace

std::string_view inputName(InputKind input) {
    switch (input) {
        case InputKind::Mouse: return "mouse";
        case InputKind::Keys: return "keys";
        case InputKind::Touch: return "touch";
        case InputKind::Midi: return "midi";
        case InputKind::Voice: return "voice";
    }
    return "mouse";
}

std::optional<InputKind> inputFromName(std::string_view name) {
    for (InputKind k : {InputKind::Mouse, InputKind::Keys, InputKind::Touch, InputKind::Midi, InputKind::Voice})
        if (inputName(k) == name) return k;
    return std::nullopt;
}

std::string writeCsv(const std::vector<GameRecord>& games) {
    std::string out = header() + "\r\n";
    for (const GameRecord& g : games) {
        const std::string gameCells = g.id + "," + isoUtc(g.startedMs) + "," + std::to_string(g.notesPerQuestion) + "," +
                                      std::to_string(g.keyRange) + "," + std::to_string(g.timeLimitSeconds) + "," +
                                      std::to_string(g.durationMs) + "," + std::to_string(g.questionsAsked) + "," +
                                      std::to_string(g.rightsCounted) + "," + (g.finished ? "1" : "0");
        for (const QuestionRecord& q : g.questions) {
            const std::string cells[] = {std::to_string(q.index),  notes(q.melody),
                                         notes(q.answered),        q.right ? "right" : "wrong",
                                         std::to_string(q.replays), q.answerShown ? "1" : "0",
                                         std::to_string(q.answerMs), std::string(inputName(q.input))};
            out += gameCells;
            for (const std::string& cell : cells) (out += ',') += cell;
            out += "\r\n";
        }
    }
    return out;
}

CsvResult readCsv(std::string_view text) {
    if (text.size() > kMaxCsvBytes)
        return {{}, "the file is larger than " + std::to_string(kMaxCsvBytes >> 20) + " MB: not a Zorvanta history"};
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a spreadsheet's byte-order mark
    // Every value of the file is ASCII: anything else (a NUL, another control
    // character, a byte above 127) means a binary or foreign file.
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(text[i]);
        if ((ch < 32 && ch != '\n' && ch != '\r') || ch > 126)
            return {{}, "byte " + std::to_string(i + 1) + " is not text of a Zorvanta history (binary file?)"};
    }
    CsvResult result;
    std::map<std::string, std::size_t, std::less<>> byId;
    Reader reader;
    std::size_t at = 0;
    int lineNo = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        at = end + 1;
        ++lineNo;
        if (lineNo == 1) {
            if (line != header()) reader.fail("the columns are not those of a Zorvanta history: " + header());
        } else if (!line.empty()) {
            const auto cells = reader.cells(line);
            if (!reader.failed()) reader.row(cells, result.games, byId);
        }
        if (reader.failed()) return {{}, "line " + std::to_string(lineNo) + ": " + reader.error()};
    }
    if (lineNo == 0) return {{}, "the file is empty"};
    for (GameRecord& g : result.games)
        std::sort(g.questions.begin(), g.questions.end(), [](const auto& a, const auto& b) { return a.index < b.index; });
    return result;
}

}  // namespace zv::history
