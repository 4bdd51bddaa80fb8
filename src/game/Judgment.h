// The verdict of an answer, the score and the two message boxes of a game: the
// demonstration question and the end-of-game summary.
#pragma once

#include <cstdint>
#include <string>

namespace zv {

struct GameContext;
class KeyAvailability;

class Judgment {
public:
    Judgment(GameContext& ctx, KeyAvailability& keys) : ctx_(ctx), keys_(keys) {}

    // Shows the right (-1) or wrong (0) picture, counts a right answer, locks the
    // keys and arms the 200 ms pause.
    void SeikaiHandan(std::int16_t& seikai);

    // "正解を表示しますか?" with Yes/No; true for Yes.
    bool askDemonstration();
    // The end-of-game summary box, from the counters and settings as they stand.
    void showSummary();

    // Pure formatting, exposed for tests.
    static std::string summaryCaption(int noteCount, int limitSeconds);
    static std::string summaryText(const std::string& questions, const std::string& rights);
    // Rate in percent: rights*1000/questions cut toward zero, then /10, shortest text.
    static std::string rateText(long questions, long rights);

    // Whole-number caption arithmetic of the counters.
    static long counterValue(const std::string& caption);
    static void increment(class Control& counter);

private:
    GameContext& ctx_;
    KeyAvailability& keys_;
};

}  // namespace zv
