#include "platform/MidiMessages.h"

namespace zv::midi {

int pressedKey(const unsigned char* bytes, std::size_t size) noexcept {
    if (bytes == nullptr || size != 3) return -1;
    const unsigned status = bytes[0], note = bytes[1], velocity = bytes[2];
    if ((status & 0xF0u) != 0x90u) return -1;          // not a note-on
    if (note > 0x7Fu || velocity > 0x7Fu) return -1;   // a status byte where data belongs
    if (velocity == 0) return -1;                      // a note-off in disguise
    return static_cast<int>(note);
}

bool connectsSource(Transport transport, std::string_view name, bool alsaOpen) noexcept {
    const auto startsWith = [name](std::string_view prefix) { return name.substr(0, prefix.size()) == prefix; };
    if (name.empty()) return false;
    if (transport == Transport::Alsa) return !startsWith("Midi Through:") && !startsWith("PipeWire-");
    if (!alsaOpen) return true;
    for (std::string_view bridge : {"a2j:", "Midi-Bridge:", "alsa_midi:", "system:midi_capture_"})
        if (startsWith(bridge)) return false;
    return true;
}

}  // namespace zv::midi
