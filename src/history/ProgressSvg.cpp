#include "history/ProgressSvg.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "controls/PlayerTexts.h"
#include "game/AnswerJudge.h"
#include "history/Calendar.h"
#include "keys/Keyboard.h"
#include "keys/MidiKeys.h"

namespace zv::history {

namespace {

// Okabe and Ito's palette for lines and bars; text in near-black.
constexpr const char* kLine = "#0072B2";
constexpr const char* kMiss = "#D55E00";
constexpr const char* kInk = "#222222";
constexpr const char* kGrid = "#CCCCCC";
constexpr const char* kUnasked = "#E8E8E8";
constexpr const char* kFont = "IPAPGothic, IPA P Gothic, sans-serif";

// Numbers with at most one decimal, always with a '.', whatever the locale: counted
// in tenths as a whole number.
std::string num(double v) {
    const long long tenths = std::llround(v * 10);
    const long long size = tenths < 0 ? -tenths : tenths;
    std::string s = tenths < 0 ? "-" : "";
    s += std::to_string(size / 10);
    if (size % 10 != 0) (s += '.') += static_cast<char>('0' + size % 10);
    return s;
}

std::string escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string rateText(const Tally& t) { return AnswerJudge::rateText(t.asked, t.right) + "%"; }

class Svg {
public:
    Svg() {
        out_ = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kProgressWidth) + "\" height=\"" +
               std::to_string(kProgressHeight) + "\" viewBox=\"0 0 " + std::to_string(kProgressWidth) + " " +
               std::to_string(kProgressHeight) + "\" font-family=\"" + kFont + "\" fill=\"" + kInk + "\">\n";
        rect(0, 0, kProgressWidth, kProgressHeight, "#FFFFFF");
    }
    void text(double x, double y, const std::string& s, int size = 14, const char* anchor = "start",
              const char* fill = nullptr, bool bold = false) {
        out_ += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" font-size=\"" + std::to_string(size) + "\"";
        if (std::string_view(anchor) != "start") out_ += std::string(" text-anchor=\"") + anchor + "\"";
        if (fill) out_ += std::string(" fill=\"") + fill + "\"";
        if (bold) out_ += " font-weight=\"bold\"";
        (out_ += '>') += escape(s);
        out_ += "</text>\n";
    }
    void rect(double x, double y, double w, double h, const std::string& fill, const char* stroke = nullptr) {
        out_ += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(w) + "\" height=\"" + num(h) +
                "\" fill=\"" + fill + "\"";
        if (stroke) out_ += std::string(" stroke=\"") + stroke + "\"";
        out_ += "/>\n";
    }
    void line(double x1, double y1, double x2, double y2, const char* stroke) {
        out_ += "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) + "\" y2=\"" + num(y2) +
                "\" stroke=\"" + stroke + "\"/>\n";
    }
    void raw(const std::string& s) { out_ += s; }
    std::string finish() { return out_ + "</svg>\n"; }

private:
    std::string out_;
};

// A sequential palette (violet, blue, teal, green, yellow) readable with any colour
// vision and in grey: lightness rises with the rate.
std::string heat(double rate) {
    static constexpr int kStops[5][3] = {{68, 1, 84}, {59, 82, 139}, {33, 145, 140}, {94, 201, 98}, {253, 231, 37}};
    const double at = std::clamp(rate, 0.0, 1.0) * 4;
    const int i = std::min(static_cast<int>(at), 3);
    const double f = at - i;
    char text[8];
    int rgb[3];
    for (int c = 0; c < 3; ++c) rgb[c] = static_cast<int>(std::lround(kStops[i][c] + (kStops[i + 1][c] - kStops[i][c]) * f));
    std::snprintf(text, sizeof text, "#%02X%02X%02X", rgb[0], rgb[1], rgb[2]);
    return text;
}
const char* inkOn(double rate) { return rate < 0.55 ? "#FFFFFF" : kInk; }

double rateOf(const Tally& t) { return t.asked ? static_cast<double>(t.right) / t.asked : 0; }

std::string duration(std::int64_t ms) {
    const std::int64_t minutes = ms / 60000;
    return minutes >= 60 ? std::to_string(minutes / 60) + texts::kProgressHours + std::to_string(minutes % 60) +
                               texts::kProgressMinutes
                         : std::to_string(minutes) + texts::kProgressMinutes;
}

void totals(Svg& svg, const Figures& f) {
    svg.text(24, 40, texts::kProgress, 26, "start", nullptr, true);
    svg.text(kProgressWidth - 24, 40, std::string(texts::kProgressSetting) + (f.filter ? settingCaption(*f.filter) : texts::kProgressAllSettings), 14,
             "end");
    using namespace texts;
    const std::string gap = "   ";
    const std::string row1 = kProgressGames + std::to_string(f.games) + gap + kQuestions +
                             std::to_string(f.questions.asked) + gap + kRights + std::to_string(f.questions.right) +
                             gap + kRate + rateText(f.questions) + gap + kProgressPractice + duration(f.practiceMs);
    const std::string row2 = kProgressStreak + std::to_string(f.currentStreak) + kProgressDays + gap +
                             kProgressLongest + std::to_string(f.longestStreak) + kProgressDays + gap +
                             kProgressBestDay +
                             (f.bestDay ? dayText(f.bestDay->day) + " " + rateText(f.bestDay->tally) + " (" +
                                              std::to_string(f.bestDay->tally.asked) + kProgressQuestionsUnit + ")"
                                        : std::string("—"));
    svg.text(24, 78, row1, 16);
    svg.text(24, 104, row2, 16);
}

void dayPlot(Svg& svg, const Figures& f) {
    constexpr double left = 70, right = kProgressWidth - 30, top = 150, bottom = 320;
    svg.text(24, 134, texts::kProgressPerDay, 18, "start", nullptr, true);
    for (int p = 0; p <= 100; p += 25) {
        const double y = bottom - (bottom - top) * p / 100;
        svg.line(left, y, right, y, kGrid);
        svg.text(left - 8, y + 5, std::to_string(p) + "%", 12, "end");
    }
    if (f.days.empty()) {
        svg.text((left + right) / 2, (top + bottom) / 2, texts::kProgressNothingYet, 16, "middle");
        return;
    }
    const std::int64_t first = f.days.front().day, last = f.days.back().day;
    const auto xOf = [&](std::int64_t day) {
        return last == first ? (left + right) / 2 : left + (right - left) * double(day - first) / double(last - first);
    };
    // A point a day while the days are at least two pixels apart; beyond that (years of
    // practice) the days of each two pixels are pooled into one point, the rate of
    // all their answers: a line through thousands of points shows no more, and cost
    // QtSvg most of the drawing's time.
    constexpr double kPointSpacing = 2;
    const bool pooled = double(f.days.size()) > (right - left) / kPointSpacing;
    std::string points;
    Tally pool;
    for (std::size_t i = 0; i < f.days.size(); ++i) {
        const double x = xOf(f.days[i].day);
        pool.asked += f.days[i].tally.asked;
        pool.right += f.days[i].tally.right;
        const bool last = i + 1 == f.days.size();
        if (pooled && !last && int((xOf(f.days[i + 1].day) - left) / kPointSpacing) == int((x - left) / kPointSpacing))
            continue;
        if (!points.empty()) points += ' ';
        ((points += num(x)) += ',') += num(bottom - (bottom - top) * rateOf(pool));
        pool = {};
    }
    svg.raw("<polyline points=\"" + points + "\" fill=\"none\" stroke=\"" + kLine + "\" stroke-width=\"2\"/>\n");
    if (f.days.size() <= 90)
        for (const DayTally& d : f.days)
            svg.raw("<circle cx=\"" + num(xOf(d.day)) + "\" cy=\"" + num(bottom - (bottom - top) * rateOf(d.tally)) +
                    "\" r=\"3\" fill=\"" + kLine + "\"/>\n");
    svg.text(left, bottom + 20, dayText(first), 12, "start");
    if (last != first) svg.text(right, bottom + 20, dayText(last), 12, "end");
}

void heatPiano(Svg& svg, const Figures& f) {
    constexpr double left = 64, top = 390, whiteW = 48, whiteH = 130, blackW = 30, blackH = 80;
    svg.text(24, 374, texts::kProgressPerKey, 18, "start", nullptr, true);
    // White keys first, then the black keys over them, as on the instrument.
    for (int pass = 0; pass < 2; ++pass) {
        for (int s = 0; s < kKeys; ++s) {
            const PianoKey key = pianoKeyForSemitone(s);
            const bool white = key.color == KeyColor::White;
            if (white != (pass == 0)) continue;
            static constexpr int kBlackAfter[5] = {0, 1, 3, 4, 5};  // the white key left of each black key
            const double x = white ? left + key.index * whiteW
                                   : left + (kBlackAfter[key.index % 5] + 7 * (key.index / 5) + 1) * whiteW - blackW / 2;
            const Tally& t = f.keys[s];
            const std::string fill = t.asked ? heat(rateOf(t)) : kUnasked;
            svg.rect(x, top, white ? whiteW : blackW, white ? whiteH : blackH, fill, kInk);
            const char* ink = t.asked ? inkOn(rateOf(t)) : kInk;
            const double cx = x + (white ? whiteW : blackW) / 2;
            if (white) {
                svg.text(cx, top + whiteH - 28, noteName(s), 12, "middle", ink);
                svg.text(cx, top + whiteH - 10, t.asked ? rateText(t) : "—", 11, "middle", ink);
            } else {
                svg.text(cx, top + blackH - 10, t.asked ? AnswerJudge::rateText(t.asked, t.right) : "—", 10, "middle",
                         ink);
            }
        }
    }
    // The legend: the palette from 0% to 100%, and the colour of a key never asked.
    constexpr double ly = top + whiteH + 22;
    for (int i = 0; i < 20; ++i) svg.rect(left + 40 + i * 12, ly, 12, 14, heat(i / 19.0));
    svg.text(left + 34, ly + 12, "0%", 12, "end");
    svg.text(left + 40 + 20 * 12 + 6, ly + 12, "100%", 12);
    svg.rect(left + 360, ly, 14, 14, kUnasked, kInk);
    svg.text(left + 380, ly + 12, texts::kProgressNeverAsked, 12);
}

void bars(Svg& svg, double left, double top, const std::string& title, const std::vector<std::string>& labels,
          const std::vector<std::string>& values, const std::vector<double>& lengths) {
    constexpr double labelW = 150, barW = 150, rowH = 26;
    svg.text(left, top, title, 18, "start", nullptr, true);
    if (labels.empty()) svg.text(left, top + 30, texts::kProgressNone, 14);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const double y = top + 16 + i * rowH;
        svg.text(left, y + 15, labels[i], 14);
        svg.rect(left + labelW, y + 3, std::max(1.0, barW * lengths[i]), 16, kMiss);
        svg.text(left + labelW + barW + 8, y + 15, values[i], 12);
    }
}

void mistakes(Svg& svg, const Figures& f) {
    constexpr std::size_t kRows = 8;
    std::vector<std::string> labels, values;
    std::vector<double> lengths;
    const int mostMissed = f.leaps.empty() ? 1 : std::max(1, f.leaps.front().missed());
    for (const LeapTally& l : f.leaps) {
        if (labels.size() == kRows || l.missed() == 0) break;
        labels.push_back(leapName(l.leap));
        values.push_back(std::to_string(l.missed()) + "/" + std::to_string(l.tally.asked) + texts::kProgressTimes);
        lengths.push_back(double(l.missed()) / mostMissed);
    }
    bars(svg, 24, 600, texts::kProgressLeaps, labels, values, lengths);
    labels.clear(), values.clear(), lengths.clear();
    const int most = f.confusions.empty() ? 1 : f.confusions.front().count;
    for (const Confusion& c : f.confusions) {
        if (labels.size() == kRows) break;
        labels.push_back(noteName(c.expected) + " → " + noteName(c.played));
        values.push_back(std::to_string(c.count) + texts::kProgressTimes);
        lengths.push_back(double(c.count) / most);
    }
    bars(svg, 412, 600, texts::kProgressPlayedInstead, labels, values, lengths);
}

void settingsTable(Svg& svg, const Figures& f) {
    constexpr double top = 870;
    svg.text(24, top, texts::kProgressPerSetting, 18, "start", nullptr, true);
    std::vector<SettingTally> rows = f.settings;
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.games > b.games; });
    for (std::size_t i = 0; i < rows.size() && i < 4; ++i) {
        const double y = top + 26 + i * 26;
        const bool chosen = f.filter && *f.filter == rows[i].setting;
        svg.text(24, y, settingCaption(rows[i].setting), 14, "start", nullptr, chosen);
        svg.text(480, y, std::to_string(rows[i].games) + texts::kProgressGamesUnit, 14, "end");
        svg.text(600, y, std::to_string(rows[i].tally.asked) + texts::kProgressQuestionsUnit, 14, "end");
        svg.text(720, y, rateText(rows[i].tally), 14, "end", nullptr, chosen);
    }
    if (rows.size() > 4) svg.text(760, top + 26 + 4 * 26, texts::kProgressOthers + std::to_string(rows.size() - 4) + texts::kProgressKinds, 12, "end");
}

}  // namespace

std::string settingCaption(const SettingKey& s) {
    // The summary box's caption ("5音メロディー:30秒"), with the no-limit choice's word.
    std::string caption = AnswerJudge::summaryCaption(s.notesPerQuestion, s.timeLimitSeconds);
    if (s.timeLimitSeconds <= 0) caption = caption.substr(0, caption.rfind(':') + 1) + texts::kNoLimit;
    return caption + " " + texts::kKeyRanges[std::clamp(s.keyRange, 0, 3)];
}

std::string noteName(int semitone) {
    return Keyboard::noteName(pianoKeyForSemitone(std::clamp(semitone, 0, kKeys - 1)));
}

std::string leapName(int leap) {
    const auto& kNames = texts::kLeapNames;
    if (leap == 0) return kNames[0];
    const int size = leap < 0 ? -leap : leap;
    std::string name = leap > 0 ? "↑" : "↓";
    if (size >= 12) name += texts::kLeapOctave;
    if (size % 12 != 0) (name += size >= 12 ? "+" : "") += kNames[size % 12];
    return name;
}

std::string progressSvg(const Figures& figures) {
    Svg svg;
    totals(svg, figures);
    dayPlot(svg, figures);
    heatPiano(svg, figures);
    mistakes(svg, figures);
    settingsTable(svg, figures);
    return svg.finish();
}

}  // namespace zv::history
