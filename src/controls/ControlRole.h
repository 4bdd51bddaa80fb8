// What each control of the main window is for. A control is identified by its role
// and, for the controls that come in rows (keys, plates, options), its index.
#pragma once

#include <cstdint>

namespace zv {

enum class ControlRole : std::uint8_t {
    // The piano.
    WhiteKey,      // 14, lowest first
    BlackKey,      // 10, lowest first
    NotePlate,     // 14 plates on the white keys that show the note names
    WhiteKeyMark,  // 14 labels below the white keys: the positions a demonstration played
    BlackKeyMark,  // 10 labels above the black keys, the same for them
    // The game's buttons.
    StartStopButton,
    ReplayButton,
    ShowAnswerButton,    // after a demonstration: show it again
    NextQuestionButton,  // after a demonstration: go on
    // The settings.
    ModeFrame,
    ModeOption,  // 0 melody, 1 single note
    DifficultyFrame,
    DifficultyOption,  // 0 easy, 1 normal, 2 difficult
    KeyRangeFrame,
    KeyRangeOption,  // 0 all keys, 1 white keys, 2 lower octave, 3 lower octave's white keys
    TimeLimitFrame,
    TimeLimitBar,
    LimitLabel,  // the limit chosen, or "∞"
    NoLimitCheck,
    NoteNamesCheck,
    AskDemonstrationCheck,
    // The score and the clock during a game.
    RightsLabel,
    ScoreSeparator,
    QuestionsLabel,
    CountdownLabel,
    // The START! banner and the verdict.
    Banner,
    BannerText,
    VerdictPicture,  // shows right, wrong or game over
    StoredPicture,   // 3 hidden boxes holding those pictures: 0 right, 1 wrong, 2 game over
};

// A stable name of a role for object names and messages: "whiteKey", "startStopButton".
const char* roleName(ControlRole role);

}  // namespace zv
