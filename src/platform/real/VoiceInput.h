// The default microphone as an input device: captured through SDL2 (whatever sound
// server the desktop runs), the game's own sound taken out with what `sound` plays
// as the reference, and each sung note handed to the thread that created the object,
// which must run a Qt event loop. Nothing is opened until it is constructed, and the
// device is opened on a thread of its own, so constructing it costs the caller no
// time. Without a microphone it prints one line and keeps looking for one.
#pragma once

#include <functional>
#include <memory>

#include "platform/real/SdlSound.h"

namespace zv {

class VoiceInput {
public:
    // Takes over sound's post-mix hook for the reference; `sound` must outlive it.
    explicit VoiceInput(SdlSound& sound);
    // Closes the device and joins the thread; no handler runs after it returns.
    ~VoiceInput();
    VoiceInput(const VoiceInput&) = delete;
    VoiceInput& operator=(const VoiceInput&) = delete;

    // A sung note's start (MIDI note number, on = true) and its end (on = false),
    // called on the creating thread from its event loop.
    void setNoteHandler(std::function<void(int midi, bool on)> handler);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace zv
