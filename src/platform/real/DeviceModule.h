// The devices that need SDL2, RtMidi and aubio (the sound output, the MIDI input and the microphone) live in
// a module of their own, modules/zorvanta-devices.so beside the executable (a folder
// of its own, so that a package does not take it for a library of the system's),
// which the program loads once its window is on screen: the thirty-odd libraries
// behind them (SDL2, PulseAudio's client with its codecs, JACK, ALSA, aubio) then cost the
// start-up nothing.
//   Devices          what the module offers (made by zorvanta_devices_create());
//   DeviceModule     the program's side: loads the module on first use, and is the
//                    game's SoundService meanwhile, so a sound asked for before the
//                    load loads it then and plays.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Services.h"

namespace zv {

// An open input (the MIDI input, the microphone); destroying it closes the input, and
// its handler never runs again.
class InputConnection {
public:
    virtual ~InputConnection() = default;
};

class Devices {
public:
    virtual ~Devices() = default;
    virtual SoundService& sound() = 0;
    // Decodes these files now, so that no later play() reads a file.
    virtual void preload(const std::vector<std::string>& paths) = 0;
    // Opens the MIDI input (MidiInput.h); the note number of each note-on goes to the
    // handler on the calling thread, which runs a Qt event loop.
    virtual std::unique_ptr<InputConnection> openMidi(std::function<void(int note)> handler) = 0;
    // Opens the microphone (VoiceInput.h), the game's own sound taken out with what
    // sound() plays; each sung note's start and end (MIDI note, on) go to the handler
    // on the calling thread, which runs a Qt event loop.
    virtual std::unique_ptr<InputConnection> openVoice(std::function<void(int midi, bool on)> handler) = 0;
};

class DeviceModule final : public SoundService {
public:
    // Where the module lies, from the executable's folder.
    static constexpr const char* kPathFromProgram = "modules/zorvanta-devices.so";

    explicit DeviceModule(std::string path);
    ~DeviceModule() override;
    DeviceModule(const DeviceModule&) = delete;
    DeviceModule& operator=(const DeviceModule&) = delete;

    // Loads the module once; null (with a line on stderr, once) when it cannot, and
    // the program then goes on silent and without MIDI.
    Devices* devices();
    void setFiles(std::vector<std::string> files) override;
    void play(int id) override;
    // Keeping the output ready loads the module (a game is starting); letting it rest
    // only reaches a module already loaded, so the idle window at start-up loads nothing.
    void keepReady(bool ready) override;

private:
    std::string path_;
    bool tried_ = false;
    std::unique_ptr<Devices> devices_;
};

}  // namespace zv

// The module's one entry point.
extern "C" zv::Devices* zorvanta_devices_create();
