// Playing the piano: the two press routines (mouse-down on a white or black key),
// the note-name plates and the PC keyboard. A press sounds first, then, during a
// game that waits for an answer, is compared with the next note of the question.
#pragma once

#include <cstdint>

namespace zv {

struct GameContext;
class Judgment;
class Lifecycle;

// Windows virtual-key codes of the keys the game maps.
namespace vk {
inline constexpr int Escape = 27;
}

class KeyInput {
public:
    KeyInput(GameContext& ctx, Judgment& judgment, Lifecycle& life) : ctx_(ctx), judgment_(judgment), life_(life) {}

    void Command1_MouseDown(int index, int button, int shift, float x, float y);
    void Command2_MouseDown(int index, int button, int shift, float x, float y);
    void Picture3_MouseDown(int index, int button, int shift, float x, float y);
    void Form_KeyDown(int keyCode, int shift);

    // The piano key a virtual-key code plays: {white?, index}; index -1 when unmapped.
    struct Mapped {
        bool white;
        int index;
    };
    static Mapped mapKey(int keyCode);

private:
    void press(bool white, int index);

    GameContext& ctx_;
    Judgment& judgment_;
    Lifecycle& life_;
};

}  // namespace zv
