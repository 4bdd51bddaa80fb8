// Sound through SDL2's audio device alone: the game's WAV files are decoded once and
// converted to one fixed format (48 kHz, 16-bit, stereo), and the single voice is one
// such buffer copied into the device's stream by the audio callback, so a new sound
// cuts the one before.
//
// The device is opened on demand and closed again a while after the last sound ends,
// so an idle window holds no stream in the sound server and costs no CPU; while kept
// ready (keepReady) it is opened at once and stays open, because a sound server
// suspends an output that falls silent and a suspended one wakes late. Opening,
// closing and reconnecting happen on a thread of their own: play() never waits on the
// sound server, and when the server goes away (the device stops, or cannot be
// opened) the next sound starts the audio subsystem afresh and finds it again once
// it is back. Without any device the game plays on silently.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/Services.h"

namespace zv {

class SdlSound final : public SoundService {
public:
    // Called on the audio thread with every buffer handed to the device (device
    // format, bytes), while the device is open.
    using MixHook = std::function<void(const std::uint8_t* data, int bytes)>;
    using Samples = std::vector<std::uint8_t>;

    static constexpr int kRate = 48000;
    static constexpr int kChannels = 2;
    static constexpr int kDefaultBufferFrames = 256;
    // How long the device stays open after the last sound ended: long enough that a
    // game (a note every half second, key presses) keeps it open, short enough that
    // an idle window lets the sound server sleep.
    static constexpr int kDefaultLingerMs = 3000;
    // Larger files are not read: a sound of the game is a few hundred kilobytes, and
    // decoding a huge file would stall the window.
    static constexpr std::uintmax_t kMaxFileBytes = 32u * 1024 * 1024;
    // Nor kept when converting them would take more than this (a small 8 kHz 8-bit
    // file grows 24-fold at 48 kHz, 16-bit stereo): about 350 s of sound.
    static constexpr std::size_t kMaxDecodedBytes = 64u * 1024 * 1024;

    // Cheap: no audio subsystem, no device and no thread until the first preload()
    // or play().
    explicit SdlSound(int bufferFrames = kDefaultBufferFrames, int lingerMs = kDefaultLingerMs);
    ~SdlSound() override;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    void play(int id) override;
    // true: opens the device now (in the background) and keeps it open; false: it
    // closes once it has been silent for lingerMs from now on.
    void keepReady(bool ready) override;

    // Decodes the files now, so that their first play needs no disk access, and
    // starts the audio subsystem in the background (no stream is opened).
    void preload(const std::vector<std::string>& paths);

    // Installs (or, with an empty function, removes) the post-mix hook.
    void setPostMixHook(MixHook hook);

    // False while the last attempt to reach a device failed; failure() says why.
    bool available() const { return available_.load(); }
    std::string failure() const;
    // Whether a stream is open on the device right now.
    bool deviceOpen() const { return open_.load(); }
    // Waits until the background thread has acted on every request made so far (an
    // open, a start of the subsystem); false on timeout. For tests and benchmarks.
    bool waitSettled(int timeoutMs);

    // The format every sound is converted to and the device is opened with.
    int deviceRate() const { return kRate; }
    int deviceChannels() const { return kChannels; }
    std::uint16_t deviceFormat() const;
    int bufferFrames() const { return bufferFrames_; }
    int lingerMs() const { return lingerMs_; }

    // Whether a path is in the cache, and whether it decoded (for tests); the decoded
    // samples, or null (for benchmarks that recognise a sound in the mix).
    bool isCached(const std::string& path) const { return cache_.count(path) != 0; }
    bool isLoaded(const std::string& path) const { return samples(path) != nullptr; }
    const Samples* samples(const std::string& path) const;

private:
    const Samples* samplesFor(const std::string& path);
    void startWorker();
    void request(bool open);
    void workerLoop();
    bool startSubsystem();
    void reportFailure(std::string error);
    void openDevice();
    void watchDevice();
    void closeDevice();
    void closeDeviceAside();
    void stopSubsystem();
    static void fill(void* self, std::uint8_t* stream, int len);

    const int bufferFrames_;
    const int lingerMs_;
    std::unordered_map<std::string, std::unique_ptr<const Samples>> cache_;  // null: not playable

    // The voice, shared with the audio callback.
    std::mutex voiceMutex_;
    const Samples* voice_ = nullptr;
    std::size_t position_ = 0;
    std::int64_t silentSinceNs_ = 0;
    MixHook hook_;
    bool keepReady_ = false;
    std::atomic<bool> open_{false};  // written under voiceMutex_

    // Requests to the background thread, and what it reports.
    mutable std::mutex controlMutex_;
    std::condition_variable wake_;
    std::condition_variable settled_;
    bool startWanted_ = false;
    bool openWanted_ = false;
    bool busy_ = false;
    bool quit_ = false;
    std::string failure_;
    std::atomic<bool> available_{true};
    std::thread worker_;

    // Owned by the background thread.
    bool subsystem_ = false;
    std::uint32_t device_ = 0;
    std::thread closer_;  // closing the device before the last one
    bool reportedFailure_ = false;
};

}  // namespace zv
