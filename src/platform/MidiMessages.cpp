#include "platform/MidiMessages.h"

#include <algorithm>

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

SourceChanges sourceChanges(Transport transport, const std::vector<std::string>& present,
                            const std::vector<std::string>& connected, bool alsaOpen) {
    const auto listed = [](const std::vector<std::string>& list, const std::string& name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    const auto wanted = [&](const std::string& name) {
        return listed(present, name) && connectsSource(transport, name, alsaOpen);
    };
    SourceChanges changes;
    for (const auto& name : connected)
        if (!wanted(name)) changes.forget.push_back(name);
    for (const auto& name : present)
        if (wanted(name) && !listed(connected, name) && !listed(changes.connect, name)) changes.connect.push_back(name);
    return changes;
}

}  // namespace zv::midi
