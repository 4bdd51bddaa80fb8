// A whole game in virtual time: Form1 with every service replaced by a double.
// Helpers drive it the way a player and the clock would.
#pragma once

#include <QTest>
#include <string>
#include <vector>

#include "platform/doubles/Fakes.h"
#include "platform/doubles/VirtualTime.h"
#include "window/Form1.h"

namespace zv::test {

struct GameRig {
    VirtualClock clock;
    VirtualTimer timer1{clock};
    VirtualTimer timer2{clock};
    RecordingSound sound{&clock};
    ScriptedBoxes boxes{&clock};
    ScriptedRandom random;
    FakePictures pictures;
    FakeApplication app;
    SoundService* soundInUse;  // the recording double unless a test brings a real one
    Form1 form;
    FormVariables& v = form.vars();
    FormControls& ui = form.ui();

    explicit GameRig(bool load = true, SoundService* realSound = nullptr)
        : soundInUse(realSound ? realSound : &sound),
          form(Services{*soundInUse, boxes, random, pictures, app, timer1, timer2}) {
        for (const char* f : {"maru.jpg", "batu.jpg", "gameover.jpg"}) pictures.existing.insert(app.cwd + "/" + f);
        if (load) form.Form_Load();
    }

    // Runs the clock to Timer1's next tick (countdown ticks due before it run too).
    bool tick1() {
        if (!timer1.enabled()) return false;
        clock.advanceTo(timer1.due());
        return true;
    }
    // START, then run the banner until the first question begins (Phase 1 armed).
    void startGame() {
        form.Command3_Click();
        while (v.Phase == phase::Banner && tick1()) {
        }
    }
    // Runs the clock until Timer1 stops (a question, replay or demonstration played).
    void playUntilSequencerStops() {
        while (tick1()) {
        }
    }
    // startGame + the first question played to its end.
    void startAndPlayFirstQuestion() {
        startGame();
        playUntilSequencerStops();
    }
    // Presses the key a token names, as a mouse-down on its button would.
    void pressToken(const std::string& token) {
        const auto key = readToken(token);
        QVERIFY2(key.has_value(), token.c_str());
        if (key->color == KeyColor::White)
            form.Command1_MouseDown(key->index);
        else
            form.Command2_MouseDown(key->index);
    }
    // Any key of the range that differs from the token.
    std::string wrongTokenFor(const std::string& token) const {
        return token == "白0" ? "白1" : "白0";
    }
    void answerRight() {
        const int n = v.NoteCount;
        const auto melody = v.Melody;
        for (int i = 0; i < n; ++i) pressToken(melody[i]);
    }
    std::vector<std::string> melody() const { return {v.Melody.begin(), v.Melody.begin() + v.NoteCount}; }
    int questions() const { return std::stoi(ui.Label4->caption()); }
    int rights() const { return std::stoi(ui.Label3->caption()); }
    bool allKeysLocked() const {
        for (Control* k : ui.Command1)
            if (k->enabled() || k->backColor() != colors::LightGrey) return false;
        for (Control* k : ui.Command2)
            if (k->enabled() || k->backColor() != colors::Grey) return false;
        return true;
    }
    // Exactly the keys of the range usable in white/black, the rest locked in greys.
    bool keysMatchRange(std::uint8_t range) const {
        for (int i = 0; i < 14; ++i) {
            const bool in = KeyAvailability::isWhiteKeyInRange(range, i);
            if (ui.Command1[i]->enabled() != in) return false;
            if (ui.Command1[i]->backColor() != (in ? colors::White : colors::LightGrey)) return false;
        }
        for (int i = 0; i < 10; ++i) {
            const bool in = KeyAvailability::isBlackKeyInRange(range, i);
            if (ui.Command2[i]->enabled() != in) return false;
            if (ui.Command2[i]->backColor() != (in ? colors::Black : colors::Grey)) return false;
        }
        return true;
    }
    bool isIdle() const {
        return ui.Command3->caption() == "START" && !timer1.enabled() && !timer2.enabled() && v.Playing == kFalse &&
               !ui.Command4->visible() && !ui.Command5[0]->visible() && !ui.Command5[1]->visible();
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
