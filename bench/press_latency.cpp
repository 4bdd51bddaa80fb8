// Press-to-sound latency of the game: a press event handed to the real window
// through Qt's event delivery (QApplication::notify, with the window's key preview
// filter), half of them mouse-downs on a key's button and half PC key presses, timed
// from just before delivery to the post-mix call of the first mixed buffer that
// starts with that key's sound (SDL's dummy driver unless SDL_AUDIODRIVER says else).
// With --out-midi, a third of the presses are MIDI note-ons instead, from a keyboard
// on the running JACK server (JACK_DEFAULT_SERVER) into the game's MIDI input, timed
// from the JACK cycle that carries the note (where a hardware keyboard's note enters
// the graph) to the same post-mix call.
// With --history FILE the game keeps its history in FILE as main() wires it (opened
// after the window shows, written on its own thread), and every press is also an
// answer told to the history right after its delivery, where a verdict tells it
// (after the key's sound has started): each press then has a game's rows written
// on the history's thread while its sound is mixed; a game ends every 20 presses.
//   bench_press_latency [--presses N] [--seed S] [--out-mouse FILE] [--out-key FILE] [--out-midi FILE]
//                       [--history FILE]
#include <QApplication>
#include <QTest>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <random>

#include "history/sql/DesktopHistory.h"
#include "platform/real/MidiInput.h"
#include "view/DevicePress.h"
#include "support/RealGame.h"

using namespace zvbench;

namespace {

// PC keys of the white and the black keys, lowest first (the game's key map).
constexpr char kWhiteKeys[] = "QWERTYUZXCVBNM";
constexpr char kBlackKeys[] = "23567SDGHJ";
// Semitones above C4 of the white and the black keys.
constexpr int kWhiteSemitones[] = {0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21, 23};
constexpr int kBlackSemitones[] = {1, 3, 6, 8, 10, 13, 15, 18, 20, 22};

// A MIDI keyboard as a JACK client with one output port. A note asked for is written
// in the next process cycle, and the time of that write is kept: the game's input,
// connected downstream, gets the note in the same cycle.
class JackKeyboard {
public:
    JackKeyboard() {
        client_ = jack_client_open("bench-keys", JackNoStartServer, nullptr);
        if (!client_) throw std::runtime_error("no JACK server (JACK_DEFAULT_SERVER)");
        port_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        if (!port_ || jack_set_process_callback(client_, &JackKeyboard::process, this) != 0 || jack_activate(client_) != 0)
            throw std::runtime_error("cannot set up the JACK keyboard");
    }
    ~JackKeyboard() {
        jack_deactivate(client_);
        jack_client_close(client_);
    }
    bool connected() const { return jack_port_connected(port_) > 0; }
    void press(int note) {
        sentAt_.store(0, std::memory_order_relaxed);
        note_.store(note, std::memory_order_release);
    }
    std::int64_t sentAt() const { return sentAt_.load(std::memory_order_acquire); }

private:
    static int process(jack_nframes_t frames, void* arg) {
        auto* self = static_cast<JackKeyboard*>(arg);
        void* buffer = jack_port_get_buffer(self->port_, frames);
        jack_midi_clear_buffer(buffer);
        const int note = self->note_.exchange(-1, std::memory_order_acq_rel);
        if (note < 0) return 0;
        if (jack_midi_data_t* e = jack_midi_event_reserve(buffer, 0, 3)) {
            e[0] = 0x90;
            e[1] = static_cast<jack_midi_data_t>(note);
            e[2] = 100;
            self->sentAt_.store(monoNs(), std::memory_order_release);
        }
        return 0;
    }

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    std::atomic<int> note_{-1};
    std::atomic<std::int64_t> sentAt_{0};
};

}  // namespace

int main(int argc, char** argv) {
    defaultEnv("QT_QPA_PLATFORM", "offscreen");
    defaultEnv("SDL_AUDIODRIVER", "dummy");
    const long presses = argInt(argc, argv, "--presses", 1000);
    const auto seed = static_cast<std::uint64_t>(argInt(argc, argv, "--seed", 1));
    const std::string outMouse = arg(argc, argv, "--out-mouse", "");
    const std::string outKey = arg(argc, argv, "--out-key", "");
    const std::string outMidi = arg(argc, argv, "--out-midi", "");
    const std::string historyFile = arg(argc, argv, "--history", "");

    QApplication qapp(argc, argv);
    zv::MainWindow::styleApplication();
    zv::QtMessageBoxes boxes;
    std::unique_ptr<RealGame> game;
    try {
        game = std::make_unique<RealGame>(boxes);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "press latency: %s\n", e.what());
        return 1;
    }
    zv::MainWindow& window = *game->window;

    // Prefix i is key i: white keys 0..13, then black keys 0..9.
    OnsetMatcher matcher;
    game->addPrefixes(matcher, std::vector<std::string>(game->sounds.begin(), game->sounds.begin() + 24));

    // The MIDI keyboard first, so that the game's input finds it at start; the input
    // is wired to the game as main() wires it.
    std::unique_ptr<JackKeyboard> keyboard;
    std::unique_ptr<zv::MidiInput> midi;
    if (!outMidi.empty()) {
        try {
            keyboard = std::make_unique<JackKeyboard>();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "press latency: %s\n", e.what());
            return 1;
        }
        midi = std::make_unique<zv::MidiInput>();
        midi->setNoteHandler([&game](int note) { zv::pressNoteFromDevice(game->game, note); });
        for (int w = 0; w < 100 && !keyboard->connected(); ++w) waitMs(50);
        if (!keyboard->connected()) {
            std::fprintf(stderr, "press latency: the game's MIDI input did not connect the keyboard\n");
            return 1;
        }
    }

    std::unique_ptr<zv::history::DesktopHistory> history;
    if (!historyFile.empty()) {
        history = std::make_unique<zv::history::DesktopHistory>(
            historyFile, [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
        history->open();
    }
    constexpr int kAnswersPerGame = 20;

    OnsetWatch watch(matcher);
    game->sound.setPostMixHook([&watch](const std::uint8_t* data, int bytes) { watch.onBuffer(data, bytes); });

    // The device opens on the first sound and stays open while sounds keep coming;
    // a sound after a long silence is bench_first_sound's business.
    game->sound.play(zv::KeySounds::kStartChimeId);
    (void)game->sound.waitSettled(5000);

    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> pick(0, 23), gapMs(10, 40), coin(0, 1), third(0, 2);
    std::vector<double> mouse, key, notes;
    long missed = 0, missedMidi = 0;
    waitMs(300);
    for (long i = 0; i < presses; ++i) {
        const int id = pick(rng);
        const bool white = id < zv::kWhiteKeyCount;
        const int index = white ? id : id - zv::kWhiteKeyCount;
        const int way = keyboard ? third(rng) : coin(rng);  // 0 mouse, 1 PC key, 2 MIDI
        const bool byMouse = way == 0;
        const bool byMidi = way == 2;
        QWidget* button = window.widget(white ? zv::ControlRole::WhiteKey : zv::ControlRole::BlackKey, index);
        // A key is pressed at its lower end, below the black keys.
        const QPoint at(button->width() / 2, button->height() * 7 / 8);
        const auto qtKey = static_cast<Qt::Key>(white ? kWhiteKeys[index] : kBlackKeys[index]);
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != &window) target = &window;

        watch.expect(id);
        std::int64_t t0 = monoNs();
        if (byMidi)
            keyboard->press(zv::kLowestNote + (white ? kWhiteSemitones[index] : kBlackSemitones[index]));
        else if (byMouse)
            QTest::mousePress(button, Qt::LeftButton, {}, at);
        else
            QTest::keyPress(target, qtKey);
        if (history) {
            zv::GameObserver& told = history->observer();
            if (i % kAnswersPerGame == 0) told.gameStarted(1, 0, 0);
            const zv::PianoKey pressed{white ? zv::KeyColor::White : zv::KeyColor::Black, index};
            told.melodyPlayed(false);
            told.answerJudged({{pressed}, {pressed}, true, byMidi ? zv::InputKind::Midi : byMouse ? zv::InputKind::Mouse : zv::InputKind::Keys});
            if (i % kAnswersPerGame == kAnswersPerGame - 1) told.gameEnded(kAnswersPerGame, kAnswersPerGame);
        }
        waitMs(gapMs(rng));
        for (int w = 0; w < 500 && watch.awaiting(); ++w) waitMs(1);
        const std::int64_t heardAt = watch.finish();
        if (byMidi)
            t0 = keyboard->sentAt();
        else if (byMouse)
            QTest::mouseRelease(button, Qt::LeftButton, {}, at);
        else
            QTest::keyRelease(target, qtKey);
        if (heardAt == 0 || t0 == 0) {
            ++missed;
            if (byMidi) ++missedMidi;
            continue;
        }
        (byMidi ? notes : byMouse ? mouse : key).push_back(static_cast<double>(heardAt - t0) / 1e6);
    }
    game->sound.setPostMixHook({});
    if (history) history->flush();

    auto report = [](const char* what, const std::vector<double>& v) {
        const Summary s = summarize(v);
        std::printf("game %s: %zu presses: median %.3f ms, p99 %.3f ms, max %.3f ms\n", what, s.n, s.median, s.p99,
                    s.max);
    };
    std::printf("game: device %d Hz, %d channels, %d frames a buffer (%.2f ms)\n", game->sound.deviceRate(),
                game->sound.deviceChannels(), game->sound.bufferFrames(),
                1000.0 * game->sound.bufferFrames() / game->sound.deviceRate());
    report("mouse", mouse);
    report("key", key);
    if (keyboard) report("midi", notes);
    std::printf("RESULT game_missed %ld\n", missed);
    if (keyboard) std::printf("RESULT game_missed_midi %ld\n", missedMidi);
    std::printf("RESULT buffer_frames %d\n", game->sound.bufferFrames());
    if (!writeSamples(outMouse, mouse) || !writeSamples(outKey, key) || !writeSamples(outMidi, notes)) return 1;
    return missed == 0 ? 0 : 1;
}
