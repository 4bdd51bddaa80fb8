#include "support/ModelDriver.h"

#include <cmath>
#include <sstream>

#include "support/GameRig.h"

namespace zv::test {

namespace {

constexpr const char* kKindNames[Action::KindCount] = {
    "mouse-white", "mouse-black", "plate", "pc-key", "start", "replay", "answer", "difficulty", "mode",
    "range", "toggle-limit", "toggle-names", "toggle-ask", "scroll", "wait", "next-box-yes", "next-box-hold",
    "right-note"};

// PC keys the driver types: all mapped keys, Esc and a few unmapped ones.
constexpr int kKeyCodes[] = {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'Z', 'X', 'C', 'V', 'B', 'N', 'M', '2', '3', '5',
                             '6', '7', 'S', 'D', 'G', 'H', 'J', 27, '1', '4', 'F', 'A', 96, 98, 13, 32};

std::string fail(const std::string& what) { return what; }

}  // namespace

std::string Action::toString() const {
    return std::string(kKindNames[kind]) + " " + std::to_string(a) + " " + std::to_string(b);
}

std::optional<Action> Action::parse(const std::string& text) {
    std::istringstream in(text);
    std::string name;
    int a = 0, b = 0;
    if (!(in >> name >> a >> b)) return std::nullopt;
    for (int k = 0; k < KindCount; ++k)
        if (name == kKindNames[k]) return Action{static_cast<Kind>(k), a, b};
    return std::nullopt;
}

std::string toString(const std::vector<Action>& actions) {
    std::string out;
    for (const Action& a : actions) out += a.toString() + "\n";
    return out;
}

std::vector<Action> parseActions(const std::string& text) {
    std::vector<Action> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (auto a = Action::parse(line)) out.push_back(*a);
    return out;
}

ModelDriver::ModelDriver() { afterEvent(); }

ModelDriver::~ModelDriver() = default;

// (Re)creates the game, as a fresh start of the program, and hooks the driver in.
void ModelDriver::afterEvent() {
    rig_ = std::make_unique<GameRig>();
    inGame_ = false;
    gameOverSeen_ = false;
    questions_ = rights_ = summariesThisGame_ = notesInPlayback_ = 0;
    boxesSeen_ = 0;
    nextHoldMs_ = 0;
    GameRig& rig = *rig_;
    rig.stepTimer.setTickHandler([this] {
        GameRig& r = *rig_;
        const Phase phaseBefore = r.state.phase;
        const std::uint8_t posBefore = r.state.notePos;
        const bool boxOpen = r.game.sequencer().boxOpen();
        const std::size_t soundsBefore = r.sound.played.size();
        r.game.onStepTimer();
        ++events_;
        if (!boxOpen && gameOverSeen_ && r.sound.played.size() > soundsBefore && !boxFailure_)
            boxFailure_ = "a note played after game over";
        if (!boxOpen && (phaseBefore == Phase::Question || phaseBefore == Phase::Replay) &&
            r.sound.played.size() > soundsBefore) {
            if (posBefore == 0) notesInPlayback_ = 0;
            if (++notesInPlayback_ == r.settings.notesPerQuestion) {
                ++questions_;
                notesInPlayback_ = 0;
            }
        }
        if (!boxFailure_)
            if (auto f = check()) boxFailure_ = "after a step-timer tick: " + *f;
    });
    rig.countdownTimer.setTickHandler([this] {
        rig_->game.onCountdownTimer();
        ++events_;
        if (!boxFailure_)
            if (auto f = check()) boxFailure_ = "after a countdown tick: " + *f;
    });
    rig.boxes.whileOpen = [this] {
        GameRig& r = *rig_;
        if (r.boxes.openNow > 1 && !boxFailure_) boxFailure_ = "two message boxes open at once";
        const auto& box = r.boxes.shown.back();
        if (!box.yesNo) observeSummary(box.text);
        const int hold = nextHoldMs_;
        nextHoldMs_ = 0;
        if (hold > 0) r.clock.advance(hold);  // ticks arrive while the box is open
    };
}

bool ModelDriver::idle() const {
    const GameRig& r = *rig_;
    return r.ui.startStop->caption() == "START" && !r.stepTimer.enabled();
}

void ModelDriver::observeSummary(const std::string& text) {
    ++summariesSeen_;
    ++summariesThisGame_;
    if (boxFailure_) return;
    long q = -1, r = -1;
    double rate = -1;
    if (std::sscanf(text.c_str(), "問題数:%ld\r\n正解数:%ld\r\n正解率:%lf%%", &q, &r, &rate) != 3) {
        boxFailure_ = "summary text unreadable: " + text;
        return;
    }
    if (summariesThisGame_ > 1) boxFailure_ = "a second summary in one game";
    else if (q != questions_ || r != rights_)
        boxFailure_ = "summary says " + std::to_string(q) + "/" + std::to_string(r) + ", the driver counted " +
                      std::to_string(questions_) + "/" + std::to_string(rights_);
    else if (q <= 0)
        boxFailure_ = "summary with no question counted";
    else if (rate > 100.0 || std::fabs(rate - std::floor(r * 1000.0 / q) / 10.0) > 1e-9)
        boxFailure_ = "summary rate " + std::to_string(rate) + " wrong";
}

std::optional<std::string> ModelDriver::check() {
    const GameRig& r = *rig_;
    if (r.ui.verdictPicture->visible() && r.ui.verdictPicture->picture() == r.ui.storedPictures[2]->picture()) gameOverSeen_ = true;
    const GameState& state = r.state;
    const Settings& settings = r.settings;
    const WindowControls& ui = r.ui;
    // The score labels show the score.
    if (ui.questions->caption() != std::to_string(state.score.questions) ||
        ui.rights->caption() != std::to_string(state.score.rights))
        return fail("score labels differ from the score");
    if (state.inProgress != (ui.startStop->caption() == "STOP")) return fail("START/STOP caption differs from the game");
    if (!(settings.notesPerQuestion == 1 || settings.notesPerQuestion == 3 || settings.notesPerQuestion == 5 || settings.notesPerQuestion == 8))
        return fail("notes per question " + std::to_string(settings.notesPerQuestion));
    // The note position indexes the melody's eight slots. In the idle window it keeps the last
    // game's value (unused until the next game resets it), so it is held to the
    // note count only while answers are judged.
    if (state.notePos > kMelodySlots) return fail("note position beyond the melody");
    if (state.answering && state.notePos > settings.notesPerQuestion) return fail("note position beyond the notes per question");
    if (r.boxes.maxOpenAtOnce > 1) return fail("two message boxes open at once");
    if (state.secondsLeft > 90) return fail("seconds left " + std::to_string(state.secondsLeft) + " (wrapped?)");
    if (r.countdownTimer.enabled() && state.secondsLeft == 0) return fail("countdown running at zero");
    if (idle()) {
        if (r.countdownTimer.enabled()) return fail("countdown running in the idle window");
        if (ui.replay->visible()) return fail("REPLAY visible in the idle window");
        if (ui.showAnswer->visible() || ui.nextQuestion->visible()) return fail("answer buttons in the idle window");
        if (!ui.modeFrame->enabled() || !ui.timeLimitFrame->enabled() || !ui.keyRangeFrame->enabled() || !ui.timeLimitFrame->visible())
            return fail("settings locked in the idle window");
        if (ui.difficultyFrame->enabled() != (ui.modeOptions[0]->value() != 0)) return fail("difficulty frame does not follow mode");
        if (state.answering) return fail("answers judged in the idle window");
        if (ui.countdown->visible() || ui.rights->visible()) return fail("score shown in the idle window");
    }
    const bool demonstrating = state.phase == Phase::Demonstration && r.stepTimer.enabled();
    int enabled = 0, matching = 0;
    for (int i = 0; i < 24; ++i) {
        const bool white = i < 14;
        const int k = white ? i : i - 14;
        const Control* key = white ? ui.whiteKeys[k] : ui.blackKeys[k];
        const bool inRange = white ? Keyboard::isWhiteKeyInRange(settings.keyRange, k)
                                   : Keyboard::isBlackKeyInRange(settings.keyRange, k);
        const Rgb usable = white ? colors::White : colors::Black;
        const Rgb locked = white ? colors::LightGrey : colors::Grey;
        const Rgb c = key->backColor();
        const bool blue = c == colors::Blue;
        if (blue && !demonstrating) return fail(key->id() + " blue outside a demonstration");
        if (key->enabled() && !inRange) return fail(key->id() + " usable outside the range");
        if (!blue && c != (key->enabled() ? usable : locked)) return fail(key->id() + " in the wrong colour");
        enabled += key->enabled();
        matching += key->enabled() == inRange;
    }
    if (enabled != 0 && matching != 24) return fail("keys neither all locked nor exactly the range");
    if (idle() && enabled == 0) return fail("all keys locked in the idle window");
    return std::nullopt;
}

std::optional<std::string> ModelDriver::apply(const Action& act) {
    GameRig& r = *rig_;
    WindowControls& ui = r.ui;
    Game& game = r.game;
    const bool wasIdle = idle();
    auto usable = [](const Control* c) { return c->shownOnScreen() && c->effectivelyEnabled(); };
    const auto pictureBefore = ui.verdictPicture->visible() ? ui.verdictPicture->picture() : nullptr;
    bool press = false;
    switch (act.kind) {
        case Action::MouseWhite:
            if (act.a >= 0 && act.a < 14 && usable(ui.whiteKeys[act.a])) {
                game.whiteKeyPressed(act.a, MouseDown{act.b});
                press = true;
            }
            break;
        case Action::MouseBlack:
            if (act.a >= 0 && act.a < 10 && usable(ui.blackKeys[act.a])) {
                game.blackKeyPressed(act.a, MouseDown{act.b});
                press = true;
            }
            break;
        case Action::Plate:
            if (act.a >= 0 && act.a < 14 && ui.notePlates[act.a]->shownOnScreen()) {
                game.notePlatePressed(act.a, MouseDown{1});
                press = true;
            }
            break;
        case Action::PcKey: {
            const int quitsBefore = r.app.quits;
            game.pcKeyPressed(act.a, act.b);
            press = true;
            if (r.app.quits != quitsBefore) {
                // The program ends; the next action meets a freshly started one.
                ++events_;
                afterEvent();
                return std::nullopt;
            }
            break;
        }
        case Action::RightNote:
            if (r.state.notePos < kMelodySlots)
                if (auto key = readToken(r.state.melody[r.state.notePos])) {
                    const bool white = key->color == KeyColor::White;
                    Control* button = white ? ui.whiteKeys[key->index] : ui.blackKeys[key->index];
                    if (usable(button)) {
                        if (act.a == 1)
                            game.pcKeyPressed(white ? "QWERTYUZXCVBNM"[key->index] : "23567SDGHJ"[key->index], 0);
                        else if (white)
                            game.whiteKeyPressed(key->index);
                        else
                            game.blackKeyPressed(key->index);
                        press = true;
                    }
                }
            break;
        case Action::Start:
            if (wasIdle) {
                inGame_ = true;
                questions_ = rights_ = summariesThisGame_ = notesInPlayback_ = 0;
            }
            game.startStopClicked();
            break;
        case Action::Replay:
            if (usable(ui.replay)) {
                game.replayClicked();
                notesInPlayback_ = 0;
            }
            break;
        case Action::Answer:
            if (act.a == 0 && usable(ui.showAnswer)) game.showAnswerClicked();
            if (act.a == 1 && usable(ui.nextQuestion)) game.nextQuestionClicked();
            break;
        case Action::Difficulty:
            if (act.a >= 0 && act.a < 3 && usable(ui.difficultyOptions[act.a])) r.chooseDifficulty(act.a);
            break;
        case Action::Mode:
            if (act.a >= 0 && act.a < 2 && usable(ui.modeOptions[act.a])) r.chooseMode(act.a);
            break;
        case Action::Range:
            if (act.a >= 0 && act.a < 4 && usable(ui.keyRangeOptions[act.a])) r.chooseKeyRange(act.a);
            break;
        case Action::ToggleLimit:
            if (usable(ui.noLimitCheck)) r.setNoLimit(!ui.noLimitCheck->value());
            break;
        case Action::ToggleNames: r.setNoteNames(!ui.noteNamesCheck->value()); break;
        case Action::ToggleAsk: ui.askDemonstrationCheck->setValue(!ui.askDemonstrationCheck->value()); break;
        case Action::Scroll:
            if (usable(ui.timeLimitBar)) {
                const int before = ui.timeLimitBar->value();
                ui.timeLimitBar->setValue(act.a);
                if (ui.timeLimitBar->value() != before) {
                    if (act.b)
                        game.timeLimitDragged();
                    else
                        game.timeLimitChanged();
                }
            }
            break;
        case Action::Wait: r.clock.advance(act.a); break;
        case Action::NextBoxYes: r.boxes.answers = {act.a ? MessageBoxes::kYes : MessageBoxes::kNo}; break;
        case Action::NextBoxHold: nextHoldMs_ = act.a; break;
        case Action::KindCount: break;
    }
    ++events_;
    if (boxFailure_) return boxFailure_;
    if (press && ui.verdictPicture->visible() && ui.verdictPicture->picture() != pictureBefore && r.state.phase == Phase::VerdictPause &&
        r.stepTimer.interval() == 200) {
        ++judgedSeen_;
        if (ui.verdictPicture->picture() == ui.storedPictures[0]->picture()) ++rights_;
    }
    if (auto f = check()) return f;
    if (idle()) gameOverSeen_ = false;
    if (idle() && inGame_ && !wasIdle) {
        // A game has just ended: one summary exactly when it counted a question.
        ++gamesEnded_;
        inGame_ = false;
        if (summariesThisGame_ != (questions_ > 0 ? 1 : 0))
            return "game with " + std::to_string(questions_) + " questions ended with " +
                   std::to_string(summariesThisGame_) + " summaries";
    }
    return std::nullopt;
}

std::optional<std::pair<std::size_t, std::string>> ModelDriver::run(const std::vector<Action>& actions) {
    ModelDriver d;
    for (std::size_t i = 0; i < actions.size(); ++i)
        if (auto f = d.apply(actions[i])) return std::make_pair(i, *f);
    return std::nullopt;
}

Action ModelDriver::randomAction(std::mt19937_64& rng) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const int roll = pick(100);
    const int buttons[3] = {1, 2, 4};
    if (roll < 28) {
        // Time passes: mostly in steps around the game's own intervals.
        const int spans[] = {1, 10, 29, 30, 31, 199, 200, 201, 499, 500, 501, 999, 1000, 1001};
        return {Action::Wait, pick(4) == 0 ? pick(3000) : spans[pick(14)]};
    }
    if (roll < 48) return {Action::RightNote, pick(2)};
    if (roll < 58) return {Action::MouseWhite, pick(14), buttons[pick(3)]};
    if (roll < 63) return {Action::MouseBlack, pick(10), buttons[pick(3)]};
    if (roll < 66) return {Action::Plate, pick(14)};
    if (roll < 74) {
        const int mods[] = {0, 0, 1, 2, 4, 3};
        return {Action::PcKey, kKeyCodes[pick(static_cast<int>(std::size(kKeyCodes)))], mods[pick(6)]};
    }
    if (roll < 78) return {Action::Start};
    if (roll < 81) return {Action::Replay};
    if (roll < 85) return {Action::Answer, pick(2)};
    if (roll < 86) return {Action::Difficulty, pick(3)};
    if (roll < 87) return {Action::Mode, pick(2)};
    if (roll < 88) return {Action::Range, pick(4)};
    if (roll < 89) return {Action::ToggleLimit};
    if (roll < 90) return {Action::ToggleNames};
    if (roll < 92) return {Action::ToggleAsk};
    if (roll < 94) return {Action::Scroll, 5 + pick(90), pick(2)};
    if (roll < 97) return {Action::NextBoxYes, pick(2)};
    return {Action::NextBoxHold, pick(3) == 0 ? pick(12000) : pick(1500)};
}

std::vector<Action> ModelDriver::shrink(std::vector<Action> failing) {
    const auto first = run(failing);
    if (!first) return failing;
    const std::string what = first->second.substr(0, first->second.find(':'));
    failing.resize(first->first + 1);
    // Remove ever smaller chunks while the same invariant still breaks.
    for (std::size_t chunk = failing.size() / 2; chunk >= 1; chunk /= 2) {
        for (std::size_t start = 0; start + chunk <= failing.size();) {
            std::vector<Action> candidate(failing.begin(), failing.begin() + static_cast<long>(start));
            candidate.insert(candidate.end(), failing.begin() + static_cast<long>(start + chunk), failing.end());
            const auto f = run(candidate);
            if (f && f->second.substr(0, f->second.find(':')) == what) {
                candidate.resize(f->first + 1);
                failing = std::move(candidate);
            } else {
                start += chunk;
            }
        }
        if (chunk == 1) break;
    }
    return failing;
}

}  // namespace zv::test
