#include "keyboard/KeyModel.h"

#include "game/FormVariables.h"
#include "window/FormControls.h"

namespace zv {

namespace {

// Length in bytes of the UTF-8 sequence that starts with lead byte c.
std::size_t utf8Length(unsigned char c) {
    if (c < 0x80) return 1;
    if ((c >> 5) == 0x6) return 2;
    if ((c >> 4) == 0xE) return 3;
    if ((c >> 3) == 0x1E) return 4;
    return 1;
}

// Plate texts: two characters per white key, "ファ" the only one without a space.
constexpr const char* kPlateNames = "ド レ ミ ファソ ラ シ ド レ ミ ファソ ラ シ ";

// Characters 2i+1 and 2i+2 of a UTF-8 string, counting characters, not bytes.
std::string characterPair(std::string_view text, int i) {
    std::size_t pos = 0;
    for (int skipped = 0; skipped < 2 * i && pos < text.size(); ++skipped) pos += utf8Length(text[pos]);
    std::size_t end = pos;
    for (int taken = 0; taken < 2 && end < text.size(); ++taken) end += utf8Length(text[end]);
    return std::string(text.substr(pos, end - pos));
}

}  // namespace

std::string makeToken(PianoKey key) {
    return std::string(key.color == KeyColor::White ? kWhiteMark : kBlackMark) + std::to_string(key.index);
}

std::optional<PianoKey> readToken(std::string_view token) {
    if (token.empty()) return std::nullopt;
    const std::size_t markLength = utf8Length(static_cast<unsigned char>(token[0]));
    if (markLength > token.size()) return std::nullopt;
    const KeyColor color = token.substr(0, markLength) == kWhiteMark ? KeyColor::White : KeyColor::Black;
    const std::string_view digits = token.substr(markLength);
    if (digits.empty() || digits.size() > 2) return std::nullopt;
    int index = 0;
    for (char d : digits) {
        if (d < '0' || d > '9') return std::nullopt;
        index = index * 10 + (d - '0');
    }
    const int count = color == KeyColor::White ? kWhiteKeyCount : kBlackKeyCount;
    if (index >= count) return std::nullopt;
    return PianoKey{color, index};
}

void buildKeyTables(FormControls& ui, FormVariables& v, const std::string& appDir) {
    for (int i = 0; i < kWhiteKeyCount; ++i) {
        ui.Picture3[i]->setBackColor({255, 255, 255});
        ui.Picture3[i]->printText(characterPair(kPlateNames, i));
    }
    // The extra separator is harmless on a root folder: "//sound/" still names /sound.
    v.SoundDir = appDir + "/" + "sound/";
    constexpr std::string_view whites = "doremifasorasi";
    for (int i = 0; i < 7; ++i) {
        v.WhiteSound[i] = std::string(whites.substr(2 * i, 2));
        v.WhiteSound[i + 7] = "+" + v.WhiteSound[i];
    }
    constexpr std::string_view blacks = "do#re#fa#so#ra#";
    for (int i = 0; i < 5; ++i) {
        v.BlackSound[i] = std::string(blacks.substr(3 * i, 3));
        v.BlackSound[i + 5] = "+" + v.BlackSound[i];
    }
}

std::string soundPath(const FormVariables& v, std::string_view soundName) {
    std::string path = v.SoundDir;
    path += soundName;
    return path;
}

std::vector<std::string> allSoundPaths(const FormVariables& v) {
    std::vector<std::string> paths;
    for (const auto& name : v.WhiteSound) paths.push_back(soundPath(v, name));
    for (const auto& name : v.BlackSound) paths.push_back(soundPath(v, name));
    paths.push_back(soundPath(v, kStartChime));
    return paths;
}

const std::string& keySoundName(const FormVariables& v, PianoKey key) {
    return key.color == KeyColor::White ? v.WhiteSound.at(key.index) : v.BlackSound.at(key.index);
}

}  // namespace zv
