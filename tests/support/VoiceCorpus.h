// The sampled singers of tests/platform/voice_corpus.txt (rendered by
// support/render_voices.py) answering a question as a person does: the game plays the
// phrase on its piano (in its own octave, a note every 500 ms), and the singer starts
// 300 ms after the last note's onset, while it rings. With `echoGain` the game's sound
// reaches the microphone (loudspeakers), without it only the reference has it
// (headphones). Counts what the microphone's path heard.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "keys/KeySounds.h"
#include "keys/MidiKeys.h"
#include "support/ListenRoom.h"
#include "support/MonoWav.h"

namespace zv::synth {

struct CorpusCount {
    int notes = 0, right = 0, extra = 0, fromGame = 0;
};

// The phrases' notes, in table order.
inline std::vector<std::vector<int>> corpusPhrases(const std::string& table) {
    std::vector<std::vector<int>> phrases;
    std::ifstream in(table);
    for (std::string line; std::getline(in, line);) {
        std::istringstream row(line);
        std::string font, program, cents, style;
        if (line.empty() || line[0] == '#' || !(row >> font >> program >> cents >> style)) continue;
        phrases.emplace_back();
        for (int note; row >> note;) phrases.back().push_back(note);
    }
    return phrases;
}

// The game's sounds of its 24 keys, from C4 up, as in the folder appDir/sound/.
inline std::vector<std::vector<std::int16_t>> keySounds(const std::string& appDir) {
    KeySounds sounds;
    sounds.load(appDir);
    std::vector<std::vector<std::int16_t>> keys;
    for (int k = 0; k < 24; ++k) keys.push_back(readMonoWav(sounds.path(sounds.nameOf(pianoKeyForSemitone(k)))));
    return keys;
}

// One phrase sung from `wav` (a rendered phrase) after the game played it on `keys`:
// what the microphone hears and the device was handed, the question's sounds (the
// key's sound and the millisecond it starts) and where each sung note's span begins
// (samples; one more for the end of the last).
struct PhraseTake {
    Room room;
    std::vector<std::pair<const std::vector<std::int16_t>*, int>> question;
    std::vector<std::int64_t> sungAt;
};

inline PhraseTake takePhrase(const std::vector<int>& notes, const std::vector<std::int16_t>& wav, double echoGain,
                             const std::vector<std::vector<std::int16_t>>& keys) {
    constexpr int kQuestionMs = 200, kNoteMs = 500, kRenderLeadMs = 200, kSpacingMs = 620;
    const int firstSungMs = kQuestionMs + kNoteMs * static_cast<int>(notes.size() - 1) + 300;
    std::vector<float> voice(static_cast<std::size_t>(firstSungMs - kRenderLeadMs) * kRate / 1000, 0.0f);
    float peak = 1e-9f;
    for (auto v : wav) peak = std::max(peak, std::abs(v) / 32768.0f);
    for (auto v : wav) voice.push_back(0.3f * v / 32768.0f / peak);
    PhraseTake take;
    for (std::size_t i = 0; i < notes.size(); ++i)
        take.question.push_back({&keys[static_cast<std::size_t>(notes[i] % 12 + (notes[i] >= 72 ? 12 : 0))], kQuestionMs + kNoteMs * int(i)});
    for (std::size_t i = 0; i <= notes.size(); ++i)
        take.sungAt.push_back(std::int64_t(firstSungMs + kSpacingMs * int(i)) * kRate / 1000);
    take.room = withGameSound(voice, take.question, echoGain, 60);
    return take;
}

// What was heard of a phrase (events in its own sample positions) counted against it;
// `right` gets each right note's event and sung note, by index.
inline CorpusCount countHeard(const std::vector<int>& notes, const std::vector<std::int64_t>& sungAt,
                              const std::vector<voice::SungNote>& events,
                              std::vector<std::pair<std::size_t, std::size_t>>* right = nullptr) {
    CorpusCount count;
    std::size_t next = 0;
    for (std::size_t e = 0; e < events.size(); ++e) {
        const voice::SungNote& n = events[e];
        if (n.kind != voice::SungNote::Kind::Start) continue;
        // A note belongs to the sung note in whose span its steady stretch began.
        while (next < notes.size() && n.fromSample >= sungAt[next + 1]) ++next;
        if (n.fromSample < sungAt[0] - kRate / 10) ++count.fromGame;
        else if (next < notes.size() && n.fromSample >= sungAt[next] - kRate / 10 && n.midi % 12 == notes[next] % 12) {
            if (right) right->push_back({e, next});
            ++count.right, ++next;
        }
        else ++count.extra;
    }
    count.notes = static_cast<int>(notes.size());
    return count;
}

// The phrase through the microphone's path, the reference handed `referenceBurst`
// 20 ms blocks at a time, callbacks up to `lateMs` late (ListenRoom.h).
inline CorpusCount singPhrase(const std::vector<int>& notes, const std::vector<std::int16_t>& wav, double echoGain,
                              const std::vector<std::vector<std::int16_t>>& keys, int referenceBurst = 1,
                              std::vector<voice::SungNote>* heard = nullptr, int lateMs = 0) {
    const PhraseTake take = takePhrase(notes, wav, echoGain, keys);
    const auto events = listen(take.room, referenceBurst, lateMs);
    if (heard) *heard = events;
    return countHeard(notes, take.sungAt, events);
}

}  // namespace zv::synth
