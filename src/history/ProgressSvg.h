// The progress view as one SVG drawing, the same text in both editions: the desktop
// shows it with QtSvg, the page puts it in as it is. Japanese captions in the game's
// own words; colours from a palette that colour-blind players tell apart (the heat
// map runs from dark violet through teal to yellow, lightness rising with the rate).
// The text depends on nothing but the figures: no clock, no locale.
#pragma once

#include <array>
#include <string>

#include "history/Figures.h"

namespace zv::history {

inline constexpr int kProgressWidth = 800;
inline constexpr int kProgressHeight = 1010;

// A setting as the game writes it: "5音メロディー:30秒 全鍵盤使用", "単音:無制限 …".
std::string settingCaption(const SettingKey& setting);
// "ド", "ド#", … for the lower octave, "高ド", … for the upper.
std::string noteName(int semitone);
// "↑長3度", "↓完全5度", "同音", "↑オクターブ+短2度".
std::string leapName(int leap);

std::string progressSvg(const Figures& figures);

}  // namespace zv::history
