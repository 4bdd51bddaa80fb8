// The devices module's entry point (DeviceModule.h): SDL2's sound, the MIDI input and
// the microphone.
#include "platform/real/DeviceModule.h"
#include "platform/real/MidiInput.h"
#include "platform/real/SdlSound.h"
#include "platform/real/VoiceInput.h"

namespace {

struct OpenMidi final : zv::InputConnection {
    zv::MidiInput input;
};

struct OpenVoice final : zv::InputConnection {
    explicit OpenVoice(zv::SdlSound& sound) : input(sound) {}
    zv::VoiceInput input;
};

class SdlDevices final : public zv::Devices {
public:
    zv::SoundService& sound() override { return sound_; }
    void preload(const std::vector<std::string>& paths) override { sound_.preload(paths); }
    std::unique_ptr<zv::InputConnection> openMidi(std::function<void(int)> handler) override {
        auto midi = std::make_unique<OpenMidi>();
        midi->input.setNoteHandler(std::move(handler));
        return midi;
    }
    std::unique_ptr<zv::InputConnection> openVoice(std::function<void(int, bool)> handler) override {
        auto voice = std::make_unique<OpenVoice>(sound_);
        voice->input.setNoteHandler(std::move(handler));
        return voice;
    }

private:
    zv::SdlSound sound_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) zv::Devices* zorvanta_devices_create() { return new SdlDevices; }
