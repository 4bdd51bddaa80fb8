// Which piano keys are usable and how they look, and the note-name plates.
//  kenban(mode):  keys of the range usable (white / black), the rest locked in greys;
//                 REPLAY shown unless a demonstration is running.
//  SiyouHuka():   every key locked in greys, REPLAY hidden.
//  Check2_Click:  all 14 plates shown or hidden with the check box.
#pragma once

#include <cstdint>

namespace zv {

struct GameContext;

class KeyAvailability {
public:
    explicit KeyAvailability(GameContext& ctx) : ctx_(ctx) {}

    void kenban(const std::uint8_t& mode);
    void SiyouHuka();
    void Check2_Click();

    // True when exactly the keys of the range are usable in white/black and all
    // others are locked in their greys (what kenban leaves).
    static bool isWhiteKeyInRange(std::uint8_t range, int index);
    static bool isBlackKeyInRange(std::uint8_t range, int index);

private:
    GameContext& ctx_;
};

}  // namespace zv
