// A whole game in virtual time: Game with every service replaced by a double.
// Helpers drive it the way a player and the clock would.
#pragma once

#include <QTest>
#include <string>
#include <vector>

#include "platform/doubles/Fakes.h"
#include "platform/doubles/VirtualTime.h"
#include "game/Game.h"

namespace zv::test {

struct GameRig {
    VirtualClock clock;
    VirtualTimer stepTimer{clock};
    VirtualTimer countdownTimer{clock};
    RecordingSound sound{&clock};
    ScriptedBoxes boxes{&clock};
    ScriptedRandom random;
    FakePictures pictures;
    FakeApplication app;
    SoundService* soundInUse;  // the recording double unless a test brings a real one
    Game game;
    GameState& state = game.state();
    Settings& settings = game.settings();
    WindowControls& ui = game.ui();

    explicit GameRig(bool load = true, SoundService* realSound = nullptr)
        : soundInUse(realSound ? realSound : &sound),
          game(Services{*soundInUse, boxes, random, pictures, app, stepTimer, countdownTimer}) {
        for (const char* f : {"maru.jpg", "batu.jpg", "gameover.jpg"}) pictures.existing.insert(app.cwd + "/" + f);
        if (load) game.load();
    }

    // Runs the clock to the step timer's next tick (countdown ticks due before it run too).
    bool tickStep() {
        if (!stepTimer.enabled()) return false;
        clock.advanceTo(stepTimer.due());
        return true;
    }
    // START, then run the banner until the first question begins.
    void startGame() {
        game.startStopClicked();
        while (state.phase == Phase::Banner && tickStep()) {
        }
    }
    // Runs the clock until the step timer stops (a question, replay or demonstration played).
    void playUntilSequencerStops() {
        while (tickStep()) {
        }
    }
    // startGame + the first question played to its end.
    void startAndPlayFirstQuestion() {
        startGame();
        playUntilSequencerStops();
    }
    // Settings made as the window makes them: the control's value first, then its handler.
    void chooseDifficulty(int i) { ui.difficultyOptions[i]->setValue(1); game.difficultyChosen(i); }
    void chooseMode(int i) { ui.modeOptions[i]->setValue(1); game.modeChosen(i); }
    void chooseKeyRange(int i) { ui.keyRangeOptions[i]->setValue(1); game.keyRangeChosen(i); }
    void setNoLimit(bool on) { ui.noLimitCheck->setValue(on); game.noLimitClicked(); }
    void setNoteNames(bool on) { ui.noteNamesCheck->setValue(on); game.noteNamesClicked(); }
    void setTimeLimitBar(int value) { ui.timeLimitBar->setValue(value); game.timeLimitChanged(); }
    // Ticks the ask-before-demonstrating box; the next question it asks gets `answer`.
    void askBeforeDemonstrating(int answer) {
        ui.askDemonstrationCheck->setValue(1);
        boxes.answers = {answer};
    }
    // Presses the key a token names, as a mouse-down on its button would.
    void pressToken(const std::string& token) {
        const auto key = readToken(token);
        QVERIFY2(key.has_value(), token.c_str());
        if (key->color == KeyColor::White)
            game.whiteKeyPressed(key->index);
        else
            game.blackKeyPressed(key->index);
    }
    // Any key of the range that differs from the token.
    std::string wrongTokenFor(const std::string& token) const {
        return token == "白0" ? "白1" : "白0";
    }
    void answerRight() {
        const int n = settings.notesPerQuestion;
        const auto melody = state.melody;
        for (int i = 0; i < n; ++i) pressToken(melody[i]);
    }
    std::vector<std::string> melody() const { return {state.melody.begin(), state.melody.begin() + settings.notesPerQuestion}; }
    // The score as the labels show it.
    int questions() const { return std::stoi(ui.questions->caption()); }
    int rights() const { return std::stoi(ui.rights->caption()); }
    bool allKeysLocked() const {
        for (Control* k : ui.whiteKeys)
            if (k->enabled() || k->backColor() != colors::LightGrey) return false;
        for (Control* k : ui.blackKeys)
            if (k->enabled() || k->backColor() != colors::Grey) return false;
        return true;
    }
    // Exactly the keys of the range usable in white/black, the rest locked in greys.
    bool keysMatchRange(std::uint8_t range) const {
        for (int i = 0; i < 14; ++i) {
            const bool in = Keyboard::isWhiteKeyInRange(range, i);
            if (ui.whiteKeys[i]->enabled() != in) return false;
            if (ui.whiteKeys[i]->backColor() != (in ? colors::White : colors::LightGrey)) return false;
        }
        for (int i = 0; i < 10; ++i) {
            const bool in = Keyboard::isBlackKeyInRange(range, i);
            if (ui.blackKeys[i]->enabled() != in) return false;
            if (ui.blackKeys[i]->backColor() != (in ? colors::Black : colors::Grey)) return false;
        }
        return true;
    }
    bool isIdle() const {
        return ui.startStop->caption() == "START" && !state.inProgress && !stepTimer.enabled() &&
               !countdownTimer.enabled() && !state.answering &&
               !ui.replay->visible() && !ui.showAnswer->visible() && !ui.nextQuestion->visible();
    }
};

}  // namespace zv::test

namespace zv::test {

// Queues random draws so that the next questions (key range 0: all keys) consist of
// exactly these tokens: one colour draw and one index draw per note.
inline void scriptMelody(ScriptedRandom& random, const std::vector<std::string>& tokens) {
    for (const std::string& t : tokens) {
        const auto key = readToken(t);
        if (!key) continue;
        const bool white = key->color == KeyColor::White;
        random.script.push_back(white ? 0.0 : 0.99);
        random.script.push_back((key->index + 0.5) / (white ? 14.0 : 10.0));
    }
}

}  // namespace zv::test
