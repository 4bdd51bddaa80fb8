// The sounds of the piano: each key's sound name and the folder the sound files lie
// in. A sound's path is the folder followed directly by its name.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "keys/PianoKey.h"

namespace zv {

class KeySounds {
public:
    // The chime that greets START, and its sound id. A key's id is its place in
    // allPaths(): the white keys, then the black keys.
    static constexpr const char* kStartChime = "+++do";
    static constexpr int kStartChimeId = kWhiteKeyCount + kBlackKeyCount;
    static int idOf(PianoKey key) { return key.color == KeyColor::White ? key.index : kWhiteKeyCount + key.index; }

    // Fills the name tables and sets the folder to appDir + "/" + "sound/" (appDir
    // needs no trailing separator; one there is harmless).
    void load(const std::string& appDir);

    const std::string& folder() const { return folder_; }
    std::string path(std::string_view soundName) const;
    const std::string& nameOf(PianoKey key) const;
    // The paths of all 25 sounds the game plays: the 24 keys and the start chime;
    // their names, in the same order.
    std::vector<std::string> allPaths() const;
    std::vector<std::string> allNames() const;

    const std::array<std::string, kWhiteKeyCount>& whiteNames() const { return white_; }
    const std::array<std::string, kBlackKeyCount>& blackNames() const { return black_; }

private:
    std::array<std::string, kWhiteKeyCount> white_;
    std::array<std::string, kBlackKeyCount> black_;
    std::string folder_;
};

}  // namespace zv
