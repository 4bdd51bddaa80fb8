// A piano key pressed on another input device (a MIDI keyboard, the voice), on the
// window's thread: the same press as that key's PC key, and, like the PC keys,
// nothing while a modal message box holds the keyboard.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>

#include "game/Game.h"
#include "keys/MidiKeys.h"
#include "view/MainWindow.h"

namespace zv {

inline void pressNoteFromDevice(Game& game, int note) {
    if (QApplication::activeModalWidget() == nullptr) game.pianoKeyPressed(pianoKeyForNote(note));
}

// Sung notes: each start is judged by the game (Game::sungNote) and the key it pressed,
// if any, is shown held down until the note ends, so the singer sees what was heard.
// The piano does not sound: the singer hears their own voice.
class SungNotePress {
public:
    SungNotePress(Game& game, MainWindow& window) : game_(game), window_(window) {}

    void noteChanged(int midi, bool on) {
        release();
        if (!on || QApplication::activeModalWidget() != nullptr) return;
        const std::optional<PianoKey> key = game_.sungNote(midi);
        if (!key) return;
        held_ = qobject_cast<QAbstractButton*>(
            window_.widget(key->color == KeyColor::White ? ControlRole::WhiteKey : ControlRole::BlackKey, key->index));
        if (held_) held_->setDown(true);
    }

private:
    void release() {
        if (held_) held_->setDown(false);
        held_ = nullptr;
    }

    Game& game_;
    MainWindow& window_;
    QPointer<QAbstractButton> held_;
};

}  // namespace zv
