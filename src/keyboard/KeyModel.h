// The two-octave piano: key numbering, sound names, note tokens and the sound folder.
// White keys 0..13 and black keys 0..9 count from the lowest pitch upward; index + 7
// (white) or + 5 (black) is the same note an octave higher. A note token names one
// key: "白" or "黒" followed directly by the index in decimal ("白13", "黒0").
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

struct FormControls;
struct FormVariables;

enum class KeyColor { White, Black };

struct PianoKey {
    KeyColor color;
    int index;
    friend bool operator==(const PianoKey&, const PianoKey&) = default;
};

inline constexpr int kWhiteKeyCount = 14;
inline constexpr int kBlackKeyCount = 10;
inline constexpr const char* kWhiteMark = "白";
inline constexpr const char* kBlackMark = "黒";
inline constexpr const char* kStartChime = "+++do";

std::string makeToken(PianoKey key);

// Reads a token: the first character is the colour ("白" white, any other black),
// the rest the index in decimal. Returns nothing for text that names no key of the
// piano (empty, no digits, an index out of range), so a caller can never address a
// key that does not exist.
std::optional<PianoKey> readToken(std::string_view token);

// Fills the sound tables and the sound folder and prints the note names on the
// plates (white, text drawn once while they are hidden). appDir has no trailing
// separator requirement: the folder gets "/" and "sound/" appended as they are.
void buildKeyTables(FormControls& ui, FormVariables& v, const std::string& appDir);

// The path of a sound name: the sound folder followed directly by the name.
std::string soundPath(const FormVariables& v, std::string_view soundName);

// The paths of all 25 sounds the game plays: the 24 keys and the start chime.
std::vector<std::string> allSoundPaths(const FormVariables& v);

// The sound name of a key, from the tables.
const std::string& keySoundName(const FormVariables& v, PianoKey key);

}  // namespace zv
