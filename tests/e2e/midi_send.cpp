// A MIDI source for the end-to-end test: a JACK client with one output port that
// sends, for each line read from stdin, the message written there in hex bytes
// ("90 3c 64"). It ends at the end of its input.
//   midi_send <client name>
#include <RtMidi.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: midi_send <client name>\n");
        return 2;
    }
    try {
        RtMidiOut out(RtMidi::UNIX_JACK, argv[1]);
        out.openVirtualPort("out");
        std::printf("ready\n");
        std::fflush(stdout);
        std::string line;
        while (std::getline(std::cin, line)) {
            std::istringstream in(line);
            std::vector<unsigned char> message;
            unsigned byte = 0;
            while (in >> std::hex >> byte) message.push_back(static_cast<unsigned char>(byte));
            if (!message.empty()) out.sendMessage(&message);
        }
    } catch (const RtMidiError& e) {
        std::fprintf(stderr, "midi_send: %s\n", e.what());
        return 1;
    }
    return 0;
}
