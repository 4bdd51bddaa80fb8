// The web edition's start-up and its entry points. The page (web/page/) creates the
// module, decodes the pictures and sounds, then calls zv_start; afterwards every user
// action, MIDI message and timer tick arrives through one of these exports, one at a
// time (the page holds back anything that arrives while a dialog is waiting).
#include <emscripten.h>

#include <memory>
#include <string>

#include "WebHistory.h"
#include "WebView.h"
#include "game/Game.h"
#include "keys/MidiKeys.h"
#include "platform/MidiMessages.h"
#include "platform/real/ClockRandom.h"
#include "platform/web/WebServices.h"

namespace {

struct WebGame {
    zv::WebSound sound;
    zv::WebMessageBoxes boxes;
    zv::ClockRandom random;
    zv::WebPictures pictures;
    zv::WebApplication app;
    zv::WebTimer stepTimer{0};
    zv::WebTimer countdownTimer{1};
    zv::Game game{{sound, boxes, random, pictures, app, stepTimer, countdownTimer}};
    zv::WebView view{game.table(), game};
    std::string description;
};

std::unique_ptr<WebGame> web;

EM_JS(void, zvHoldKey, (int number), { Module.singing.hold(number); });

}  // namespace

extern "C" {

// Makes the game and loads it. 0 when it is ready; 1 when a picture is missing (the
// player has been told, as on the desktop, and the game does not start).
EMSCRIPTEN_KEEPALIVE int zv_start() {
    web = std::make_unique<WebGame>();
    if (const auto missing = web->game.load()) {
        web->boxes.information(zv::MessageBoxes::kAppTitle, zv::Game::missingPictureText(*missing));
        web.reset();
        return 1;
    }
    zv::web::attachHistory(web->game);
    return 0;
}

// What the page needs before the game starts, as JSON: its own texts from the game's
// catalogue and the picture files it fetches.
EMSCRIPTEN_KEEPALIVE const char* zv_page() {
    static std::string json;
    json = "{";
    for (const auto& [key, text] : {std::pair{"ended", zv::texts::kPageEnded}, {"again", zv::texts::kPageAgain},
                                    {"missingPicture", zv::texts::kPageMissingPicture}, {"midi", zv::texts::kPageMidi},
                                    {"sing", zv::texts::kPageSing}, {"noMicrophone", zv::texts::kPageNoMicrophone},
                                    {"microphoneRefused", zv::texts::kPageMicrophoneRefused},
                                    {"voiceUnavailable", zv::texts::kPageVoiceUnavailable},
                                    {"yes", zv::texts::kYes}, {"no", zv::texts::kNo}, {"ok", zv::texts::kOk},
                                    {"progress", zv::texts::kProgress}, {"keepProgress", zv::texts::kPageKeepProgress},
                                    {"notKept", zv::texts::kPageNotKept}, {"setting", zv::texts::kProgressSetting},
                                    {"allSettings", zv::texts::kProgressAllSettings}, {"export", zv::texts::kProgressExport},
                                    {"import", zv::texts::kProgressImport}, {"forget", zv::texts::kProgressForget},
                                    {"close", zv::texts::kPageClose}, {"askForget", zv::texts::kProgressAskForget},
                                    {"unreadable", zv::texts::kProgressUnreadable},
                                    {"turn", zv::texts::kPageTurnPhone},
                                    {"cannotImport", zv::texts::kProgressCannotImport}, {"tooLarge", zv::texts::kProgressTooLarge},
                                    {"importedGames", zv::texts::kProgressImportedGames},
                                    {"alreadyKept", zv::texts::kProgressAlreadyKept},
                                    {"csvFileName", zv::texts::kProgressCsvFileName}})
        json += std::string("\"") + key + "\":\"" + text + "\",";
    json += "\"pictures\":[";
    for (const char* file : zv::GameFlow::kPictureFiles) json += std::string("\"") + file + "\",";
    json.back() = ']';
    return (json += "}").c_str();
}

// The window's caption, controls, keys and sounds as JSON (valid until the next call).
EMSCRIPTEN_KEEPALIVE const char* zv_describe() {
    if (!web) return "[]";
    web->description = web->view.describeAll(web->game.sounds().allNames());
    return web->description.c_str();
}

// An action of the player on control number n, named as ControlAction's kinds are;
// pointer is the browser's name of what pressed ("mouse", "pen", "touch").
EMSCRIPTEN_KEEPALIVE void zv_act(int n, const char* action, int value, int repeat, int button, int modifiers, float x,
                                 float y, const char* pointer) {
    const auto kind = zv::controlActionNamed(action);
    if (web && kind) web->view.act(n, {*kind, value, repeat != 0, {button, modifiers, x, y, zv::isTouchPointer(pointer)}});
}

EMSCRIPTEN_KEEPALIVE void zv_pc_key(int code, int modifiers, int repeat) {
    if (web) web->view.keyPressed(code, modifiers, repeat != 0);
}

// One complete MIDI message of up to three bytes.
EMSCRIPTEN_KEEPALIVE void zv_midi(int b0, int b1, int b2, int size) {
    if (!web || size < 1 || size > 3) return;
    const unsigned char bytes[3] = {static_cast<unsigned char>(b0), static_cast<unsigned char>(b1),
                                    static_cast<unsigned char>(b2)};
    const int key = zv::midi::pressedKey(bytes, static_cast<std::size_t>(size));
    if (key >= 0) web->game.pianoKeyPressed(zv::pianoKeyForNote(key));
}

// A sung note's start, from the voice module through the page: judged by the game as
// the desktop's SungNotePress hands it (Game::sungNote: by pitch class, any octave,
// without the key's sound). The page shows the key it pressed held down until the
// note ends (Module.singing.hold with its control number).
EMSCRIPTEN_KEEPALIVE void zv_sung_note(int midi) {
    if (!web) return;
    if (const auto key = web->game.sungNote(midi)) zvHoldKey(web->view.numberOfKey(*key));
}

EMSCRIPTEN_KEEPALIVE void zv_tick(int timer) {
    if (!web) return;
    (timer == 0 ? web->stepTimer : web->countdownTimer).deliverTick();
}

}  // extern "C"
