#include "platform/doubles/Fakes.h"

#include <algorithm>

#include "platform/doubles/VirtualTime.h"

namespace zv {

void RecordingSound::play(int id) { played.push_back({clock_ ? clock_->now() : 0, file(id)}); }

std::vector<std::string> RecordingSound::names() const {
    std::vector<std::string> out;
    out.reserve(played.size());
    for (const auto& p : played) out.push_back(p.path.substr(p.path.rfind('/') + 1));
    return out;
}

void ScriptedBoxes::open(Shown s) {
    shown.push_back(std::move(s));
    ++openNow;
    maxOpenAtOnce = std::max(maxOpenAtOnce, openNow);
    if (whileOpen) whileOpen();
    --openNow;
}

void ScriptedBoxes::information(const std::string& caption, const std::string& text) {
    open({false, caption, text, clock_ ? clock_->now() : 0});
}

int ScriptedBoxes::askYesNo(const std::string& text) {
    open({true, kAppTitle, text, clock_ ? clock_->now() : 0});
    if (answers.empty()) return kNo;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

double ScriptedRandom::next() {
    ++draws;
    if (!script.empty()) {
        const double r = script.front();
        script.pop_front();
        return r;
    }
    return std::uniform_real_distribution<double>(0.0, 1.0)(engine_);
}

std::shared_ptr<const Picture> FakePictures::load(const std::string& path) {
    attempts.push_back(path);
    if (!existing.count(path)) return nullptr;
    return std::make_shared<FakePicture>(path, 220, 146);
}

}  // namespace zv
