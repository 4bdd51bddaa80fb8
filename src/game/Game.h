// The game behind the main window: owns the window's controls as data, the game's
// state, the settings and the parts of the game, and handles every window event
// (WindowEvents) and both timers' ticks. The view mirrors the control table and
// reports user actions here; tests call the same methods with test doubles for
// every service.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "controls/ControlTable.h"
#include "controls/WindowControls.h"
#include "game/AnswerJudge.h"
#include "game/Countdown.h"
#include "game/GameContext.h"
#include "game/GameFlow.h"
#include "game/GameState.h"
#include "game/NoteSequencer.h"
#include "game/PianoInput.h"
#include "game/WindowEvents.h"
#include "keys/KeySounds.h"
#include "keys/Keyboard.h"
#include "platform/Services.h"
#include "settings/Settings.h"
#include "settings/SettingsPanel.h"

namespace zv {

class Game final : public WindowEvents {
public:
    explicit Game(Services services);
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Prepares the window; on failure, the picture file that could not be loaded.
    std::optional<std::string> load() { return flow_.load(); }
    // What the player is told of that file before the program ends.
    static std::string missingPictureText(const std::string& file) {
        return file + texts::kCannotFind + "\r\n" + texts::kCannotFindPicture + file + ".";
    }
    // The picture files load() may read, in its order.
    std::vector<std::string> picturePaths() const { return flow_.picturePaths(); }

    // Window events.
    void pcKeyPressed(int keyCode, int /*modifiers*/ = 0) override { input_.pcKeyPressed(keyCode); }
    void whiteKeyPressed(int index, MouseDown m = {}) override { input_.whiteKeyPressed(index, pointer(m)); }
    void blackKeyPressed(int index, MouseDown m = {}) override { input_.blackKeyPressed(index, pointer(m)); }
    void notePlatePressed(int index, MouseDown m = {}) override { input_.notePlatePressed(index, pointer(m)); }
    void startStopClicked() override { flow_.startStopClicked(); }
    void replayClicked() override { flow_.replayClicked(); }
    void showAnswerClicked() override { flow_.showAnswerClicked(); }
    void nextQuestionClicked() override { flow_.nextQuestionClicked(); }
    void difficultyChosen(int index) override { settingsPanel_.difficultyChosen(index); }
    void modeChosen(int index) override { settingsPanel_.modeChosen(index); }
    void keyRangeChosen(int index) override { settingsPanel_.keyRangeChosen(index); }
    void noLimitClicked() override { settingsPanel_.noLimitClicked(); }
    void noteNamesClicked() override { settingsPanel_.noteNamesClicked(); }
    void timeLimitChanged() override;
    void timeLimitDragged() override { timeLimitChanged(); }

    // A piano key pressed on another input device: the same press as its PC key.
    void pianoKeyPressed(PianoKey key) { input_.pianoKeyPressed(key); }
    // A sung note (MIDI note number), judged by pitch class; the key it shows, if any.
    std::optional<PianoKey> sungNote(int midi) { return input_.sungNote(midi); }

    // Whoever keeps track of the games played (the history); it must outlive the game.
    void setObserver(GameObserver& observer) { ctx_.observer = &observer; }

    // The timers' ticks.
    void onStepTimer() { sequencer_.onStepTimer(); }
    void onCountdownTimer() { countdown_.onCountdownTimer(); }

    // Steps of the game, reachable for tests.
    void judgeAnswer(bool right) { judge_.judgeAnswer(right); }
    void endGame() { flow_.endGame(); }
    void unlockKeyRange() { ctx_.unlockKeyRange(); }
    void lockKeys() { ctx_.lockKeys(); }
    void playRandomNote() { sequencer_.playRandomNote(); }

    ControlTable& table() { return *table_; }
    WindowControls& ui() { return ui_; }
    GameState& state() { return state_; }
    const GameState& state() const { return state_; }
    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }
    const KeySounds& sounds() const { return sounds_; }
    const NoteSequencer& sequencer() const { return sequencer_; }

private:
    static InputKind pointer(MouseDown m) { return m.touch ? InputKind::Touch : InputKind::Mouse; }

    Services services_;
    std::unique_ptr<ControlTable> table_;
    WindowControls ui_;
    GameState state_;
    Settings settings_;
    KeySounds sounds_;
    Keyboard keyboard_;
    GameContext ctx_;
    AnswerJudge judge_;
    GameFlow flow_;
    NoteSequencer sequencer_;
    PianoInput input_;
    Countdown countdown_;
    SettingsPanel settingsPanel_;
};

}  // namespace zv
