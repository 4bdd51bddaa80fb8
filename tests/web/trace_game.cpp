// One scripted game in virtual time with the real random source at a fixed seed,
// printing every sound, caption, verdict picture and message box. Built for the
// desktop (tests/web) and compiled to WebAssembly (web/, run by node): the web
// test compares the two traces line by line.
#include <cstdio>
#include <string>

#include "game/Game.h"
#include "platform/doubles/Fakes.h"
#include "platform/doubles/VirtualTime.h"
#include "platform/real/ClockRandom.h"
#include "platform/real/TracingServices.h"

namespace {

void out(const std::string& line) { std::printf("%s\n", line.c_str()); }

}  // namespace

int main() {
    zv::VirtualClock clock;
    zv::VirtualTimer step{clock}, countdown{clock};
    zv::RecordingSound recorded;
    zv::TracingSound sound(recorded);
    zv::ScriptedBoxes scripted;
    zv::TracingBoxes boxes(scripted);
    zv::ClockRandom random(20261207, [] { return std::uint64_t{42}; });
    zv::FakePictures pictures;
    zv::FakeApplication app;
    for (const char* f : {"maru.jpg", "batu.jpg", "gameover.jpg"}) pictures.existing.insert(app.cwd + "/" + f);
    zv::Game game({sound, boxes, random, pictures, app, step, countdown});
    game.load();
    game.table().setListener([&](zv::Control& c, zv::Prop p) {
        if (p == zv::Prop::Caption) out("caption " + c.id() + " " + c.caption());
        if (p == zv::Prop::Picture && c.role() == zv::ControlRole::VerdictPicture)
            for (int i = 0; i < 3; ++i)
                if (c.picture() == game.ui().storedPictures[i]->picture()) out("verdict " + std::to_string(i));
    });
    auto runUntilStepStops = [&] {
        while (step.enabled()) clock.advanceTo(step.due());
    };
    auto melodyKey = [&](int i) { return *zv::readToken(game.state().melody[i]); };

    game.ui().askDemonstrationCheck->setValue(1);
    scripted.answers = {zv::MessageBoxes::kNo, zv::MessageBoxes::kYes, zv::MessageBoxes::kNo};
    game.startStopClicked();
    for (int question = 0; question < 4; ++question) {
        while (!(game.state().answering && !step.enabled() && game.state().phase != zv::Phase::Banner))
            clock.advanceTo(step.due());
        out("time " + std::to_string(clock.now()));
        if (question % 2 == 0) {  // the whole melody right
            for (int i = 0; i < game.settings().notesPerQuestion; ++i) game.pianoKeyPressed(melodyKey(i));
        } else {  // a key that is not the first note
            const zv::PianoKey first = melodyKey(0);
            game.pianoKeyPressed({first.color, first.index == 0 ? 1 : 0});
        }
        clock.advanceTo(step.due());  // the verdict pause: the question box
        if (game.state().phase == zv::Phase::Demonstration) {
            runUntilStepStops();
            game.nextQuestionClicked();
        }
    }
    game.startStopClicked();
    runUntilStepStops();
    out("time " + std::to_string(clock.now()));
    return 0;
}
