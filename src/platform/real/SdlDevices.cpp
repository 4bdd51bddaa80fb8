// The devices module's entry point (DeviceModule.h): SDL2's sound and the MIDI input.
#include "platform/real/DeviceModule.h"
#include "platform/real/MidiInput.h"
#include "platform/real/SdlSound.h"

namespace {

struct OpenMidi final : zv::MidiConnection {
    zv::MidiInput input;
};

class SdlDevices final : public zv::Devices {
public:
    zv::SoundService& sound() override { return sound_; }
    void preload(const std::vector<std::string>& paths) override { sound_.preload(paths); }
    std::unique_ptr<zv::MidiConnection> openMidi(std::function<void(int)> handler) override {
        auto midi = std::make_unique<OpenMidi>();
        midi->input.setNoteHandler(std::move(handler));
        return midi;
    }

private:
    zv::SdlSound sound_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) zv::Devices* zorvanta_devices_create() { return new SdlDevices; }
