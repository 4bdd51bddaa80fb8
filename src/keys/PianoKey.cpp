#include "keys/PianoKey.h"

namespace zv {

std::size_t utf8Length(unsigned char c) {
    if (c < 0x80) return 1;
    if ((c >> 5) == 0x6) return 2;
    if ((c >> 4) == 0xE) return 3;
    if ((c >> 3) == 0x1E) return 4;
    return 1;
}

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

}  // namespace zv
