// The two-octave piano's keys and the note tokens that name them. White keys 0..13
// and black keys 0..9 count from the lowest pitch upward; index + 7 (white) or + 5
// (black) is the same note an octave higher. A note token names one key: "白" or
// "黒" followed directly by the index in decimal ("白13", "黒0").
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "controls/WindowControls.h"

namespace zv {

enum class KeyColor { White, Black };

struct PianoKey {
    KeyColor color;
    int index;
    friend bool operator==(const PianoKey&, const PianoKey&) = default;
};

inline constexpr const char* kWhiteMark = "白";
inline constexpr const char* kBlackMark = "黒";

std::string makeToken(PianoKey key);

// Reads a token: the first character is the colour ("白" white, any other black),
// the rest the index in decimal. Returns nothing for text that names no key of the
// piano (empty, no digits, an index out of range), so a caller can never address a
// key that does not exist.
std::optional<PianoKey> readToken(std::string_view token);

// Length in bytes of the UTF-8 sequence that starts with lead byte c.
std::size_t utf8Length(unsigned char c);

}  // namespace zv
