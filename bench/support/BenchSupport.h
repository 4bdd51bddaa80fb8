// Shared by the benchmarks: the monotonic clock, the recognition of a note's first
// mixed buffer, and order statistics.
#pragma once

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace zvbench {

// CLOCK_MONOTONIC in nanoseconds: the same clock in every process of a run, so a
// time taken by one program compares with a time printed by another.
inline std::int64_t monoNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// CPU time of this whole process (every thread), in nanoseconds.
inline std::int64_t processCpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// Sets a variable only when the caller's environment does not choose it.
inline void defaultEnv(const char* name, const char* value) { setenv(name, value, 0); }

// The single voice is copied into the stream sample for sample, so the first buffer
// mixed after a play() starts with exactly the decoded sound's first bytes. A post-mix buffer equal to a sound's prefix is
// therefore that sound's onset; the middle of a sound, silence or another sound
// never equals it (checked when the prefixes are added).
class OnsetMatcher {
public:
    // Adds the first `bytes` bytes of a decoded sound (device format). Returns false
    // when the prefix is too short, silent, or equal to one added before.
    bool add(const std::uint8_t* data, std::size_t length, std::size_t bytes) {
        if (length < bytes || bytes == 0) return false;
        std::vector<std::uint8_t> p(data, data + bytes);
        if (std::all_of(p.begin(), p.end(), [](std::uint8_t b) { return b == 0; })) return false;
        for (const auto& q : prefixes_)
            if (q == p) return false;
        prefixes_.push_back(std::move(p));
        return true;
    }
    std::size_t size() const { return prefixes_.size(); }
    std::size_t prefixBytes() const { return prefixes_.empty() ? 0 : prefixes_.front().size(); }

    // Whether a mixed buffer is the onset of sound `id`.
    bool is(int id, const std::uint8_t* stream, int len) const {
        const auto& p = prefixes_[static_cast<std::size_t>(id)];
        return static_cast<std::size_t>(len) >= p.size() && std::memcmp(stream, p.data(), p.size()) == 0;
    }
    // The sound whose onset a mixed buffer is, or -1.
    int which(const std::uint8_t* stream, int len) const {
        for (std::size_t i = 0; i < prefixes_.size(); ++i)
            if (is(static_cast<int>(i), stream, len)) return static_cast<int>(i);
        return -1;
    }

private:
    std::vector<std::vector<std::uint8_t>> prefixes_;
};

// One timed sound at a time: the timing side names the sound it waits for just
// before playing it, and the audio side (post-mix hook or callback) stamps the first
// buffer that is that sound's onset.
class OnsetWatch {
public:
    explicit OnsetWatch(const OnsetMatcher& matcher) : matcher_(matcher) {}

    // From now on the onset of sound `id` is awaited.
    void expect(int id) { pending_.store(id, std::memory_order_release); }
    // On the audio thread, with every buffer handed to the device.
    void onBuffer(const std::uint8_t* stream, int len) {
        const int want = pending_.load(std::memory_order_acquire);
        if (want < 0 || !matcher_.is(want, stream, len)) return;
        heardAt_.store(monoNs(), std::memory_order_relaxed);
        pending_.store(-1, std::memory_order_release);
    }
    bool awaiting() const { return pending_.load(std::memory_order_acquire) >= 0; }
    // Stops waiting: when the onset was heard (monoNs()), or 0 when it was not.
    std::int64_t finish() { return pending_.exchange(-1) < 0 ? heardAt_.load() : 0; }

private:
    const OnsetMatcher& matcher_;
    std::atomic<int> pending_{-1};
    std::atomic<std::int64_t> heardAt_{0};
};

// Nearest-rank percentile (p in 0..100) of a sample; NaN when empty.
inline double percentile(std::vector<double> v, double p) {
    if (v.empty()) return std::nan("");
    std::sort(v.begin(), v.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(v.size())));
    return v[std::min(v.size() - 1, rank == 0 ? 0 : rank - 1)];
}

struct Summary {
    std::size_t n = 0;
    double min = 0, median = 0, p99 = 0, max = 0;
};

inline Summary summarize(const std::vector<double>& v) {
    Summary s;
    s.n = v.size();
    if (v.empty()) return s;
    s.min = *std::min_element(v.begin(), v.end());
    s.max = *std::max_element(v.begin(), v.end());
    s.median = percentile(v, 50);
    s.p99 = percentile(v, 99);
    return s;
}

// Writes one value a line, for the run script to pool across rounds.
inline bool writeSamples(const std::string& path, const std::vector<double>& v) {
    if (path.empty()) return true;
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    for (double x : v) std::fprintf(f, "%.4f\n", x);
    return std::fclose(f) == 0;
}

// "--name value" from the command line, or the fallback.
inline std::string arg(int argc, char** argv, const char* name, const std::string& fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
    return fallback;
}
inline long argInt(int argc, char** argv, const char* name, long fallback) {
    const std::string s = arg(argc, argv, name, "");
    return s.empty() ? fallback : std::strtol(s.c_str(), nullptr, 10);
}

inline bool hasFlag(int argc, char** argv, const char* name) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return true;
    return false;
}

// The 25 sound names beside the program: the two octaves and the start chime.
inline std::vector<std::string> soundNames() {
    std::vector<std::string> names;
    for (const char* octave : {"", "+"})
        for (const char* n : {"do", "do#", "re", "re#", "mi", "fa", "fa#", "so", "so#", "ra", "ra#", "si"})
            names.push_back(std::string(octave) + n);
    names.push_back("+++do");
    return names;
}

}  // namespace zvbench
