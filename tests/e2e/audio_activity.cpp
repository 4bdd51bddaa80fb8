// Reads a raw stream as SDL's disk audio driver writes it (signed 16-bit, native
// endianness, interleaved channels) and prints how much of it sounds and where new
// sounds begin: "onsets N sounding_ms M" and one "onset <ms>" line per onset.
// An onset is a 5 ms window half again as loud as the quietest of the three before
// it, the way a new note that cuts the previous one (or starts from silence) shows
// up; onsets closer than 50 ms count once.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: audio_activity <raw file> <channels> [rate]\n");
        return 2;
    }
    const int channels = std::atoi(argv[2]);
    const int rate = argc > 3 ? std::atoi(argv[3]) : 48000;
    std::ifstream in(argv[1], std::ios::binary);
    if (!in || channels < 1) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t frames = bytes.size() / (2 * channels);
    const auto* samples = reinterpret_cast<const std::int16_t*>(bytes.data());
    const std::size_t window = rate / 200;  // 5 ms
    std::vector<double> history;
    int onsets = 0;
    long soundingWindows = 0;
    long lastOnset = -1000;
    for (std::size_t start = 0; start + window <= frames; start += window) {
        double sum = 0;
        for (std::size_t f = start; f < start + window; ++f)
            for (int c = 0; c < channels; ++c) {
                const double s = samples[f * channels + c] / 32768.0;
                sum += s * s;
            }
        const double rms = std::sqrt(sum / (window * channels));
        if (rms > 0.003) ++soundingWindows;
        double quietest = rms;
        for (std::size_t i = history.size() >= 3 ? history.size() - 3 : 0; i < history.size(); ++i)
            quietest = std::min(quietest, history[i]);
        const long ms = static_cast<long>(start * 1000 / rate);
        if (rms > 0.03 && rms > 1.5 * quietest && ms - lastOnset >= 50) {
            ++onsets;
            lastOnset = ms;
            std::printf("onset %ld\n", ms);
        }
        history.push_back(rms);
    }
    std::printf("onsets %d sounding_ms %ld total_ms %ld\n", onsets, soundingWindows * 5,
                static_cast<long>(frames * 1000 / rate));
    return 0;
}
