// Sound through SDL2_mixer: one mixing channel, so a new sound cuts the one before,
// decoded files cached by path, and a silent fallback when there is no audio device.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Services.h"

struct Mix_Chunk;

namespace zv {

class SdlSound final : public SoundService {
public:
    // Called on the audio thread with every mixed buffer (device format, bytes).
    using MixHook = std::function<void(const std::uint8_t* data, int bytes)>;

    static constexpr int kRate = 48000;
    static constexpr int kDefaultBufferFrames = 256;
    // Larger files are not decoded: a sound of the game is a few hundred kilobytes,
    // and decoding a huge file would stall the window.
    static constexpr std::uintmax_t kMaxFileBytes = 32u * 1024 * 1024;

    // Opens the audio device. On failure the object stays usable and silent, and
    // one line saying so goes to stderr.
    explicit SdlSound(int bufferFrames = kDefaultBufferFrames);
    ~SdlSound() override;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    void play(const std::string& path) override;

    // Decodes the files now, so that their first play needs no disk access.
    void preload(const std::vector<std::string>& paths);

    // Installs (or, with an empty function, removes) the post-mix hook.
    void setPostMixHook(MixHook hook);

    bool available() const { return open_; }
    const std::string& failure() const { return failure_; }
    // The format the device was opened with (valid when available()).
    int deviceRate() const { return rate_; }
    int deviceChannels() const { return channels_; }
    std::uint16_t deviceFormat() const { return format_; }
    int bufferFrames() const { return bufferFrames_; }

    // Whether a path is in the cache, and whether it decoded (for tests).
    bool isCached(const std::string& path) const { return cache_.count(path) != 0; }
    bool isLoaded(const std::string& path) const;

private:
    Mix_Chunk* chunkFor(const std::string& path);
    static void postMix(void* self, std::uint8_t* stream, int len);

    bool sdlInit_ = false;
    bool open_ = false;
    std::string failure_;
    int rate_ = 0;
    int channels_ = 0;
    std::uint16_t format_ = 0;
    int bufferFrames_;
    std::unordered_map<std::string, Mix_Chunk*> cache_;  // null: could not be decoded
    MixHook hook_;
};

}  // namespace zv
