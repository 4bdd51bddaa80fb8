#include "keys/KeySounds.h"

namespace zv {

void KeySounds::load(const std::string& appDir) {
    // The extra separator is harmless on a root folder: "//sound/" still names /sound.
    folder_ = appDir + "/" + "sound/";
    constexpr std::string_view whites = "doremifasorasi";
    for (int i = 0; i < 7; ++i) {
        white_[i] = std::string(whites.substr(2 * i, 2));
        white_[i + 7] = "+" + white_[i];
    }
    constexpr std::string_view blacks = "do#re#fa#so#ra#";
    for (int i = 0; i < 5; ++i) {
        black_[i] = std::string(blacks.substr(3 * i, 3));
        black_[i + 5] = "+" + black_[i];
    }
}

std::string KeySounds::path(std::string_view soundName) const {
    std::string path = folder_;
    path += soundName;
    return path;
}

const std::string& KeySounds::nameOf(PianoKey key) const {
    return key.color == KeyColor::White ? white_.at(key.index) : black_.at(key.index);
}

std::vector<std::string> KeySounds::allNames() const {
    std::vector<std::string> names(white_.begin(), white_.end());
    names.insert(names.end(), black_.begin(), black_.end());
    names.push_back(kStartChime);
    return names;
}

std::vector<std::string> KeySounds::allPaths() const {
    std::vector<std::string> paths;
    for (const std::string& name : allNames()) paths.push_back(path(name));
    return paths;
}

}  // namespace zv
