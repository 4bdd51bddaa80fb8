// A small history whose figures are worked out by hand in tst_history.cpp.
#pragma once

#include "history/Records.h"

namespace zv::test {

inline history::QuestionRecord question(std::vector<history::Semitone> melody, std::vector<history::Semitone> answered) {
    history::QuestionRecord q;
    q.right = melody == answered;
    q.melody = std::move(melody);
    q.answered = std::move(answered);
    return q;
}

inline history::GameRecord game(const char* id, std::int64_t day, history::SettingKey s,
                                std::vector<history::QuestionRecord> questions) {
    history::GameRecord g{id, day * 86400000 + 36000000, s.notesPerQuestion, s.keyRange, s.timeLimitSeconds, 60000};
    for (auto& q : questions) {
        q.index = static_cast<int>(g.questions.size());
        g.rightsCounted += q.right;
        g.questions.push_back(std::move(q));
    }
    g.questionsAsked = static_cast<int>(g.questions.size());
    g.finished = true;
    return g;
}

inline constexpr std::int64_t kSeedDay = 20000;  // 2024-10-04

// Day 0: 2 questions, 1 right (4 answered 5); day 1: 2 of 2; day 3: single notes 1 of 2
// (5 answered 6) and ten right questions.
inline std::vector<history::GameRecord> seededHistory() {
    const history::SettingKey melody3{3, 0, 30}, single{1, 1, 0};
    std::vector<history::QuestionRecord> tenRight;
    for (int i = 0; i < 10; ++i) tenRight.push_back(question({0, 2, 4}, {0, 2, 4}));
    return {game("g1", kSeedDay, melody3, {question({0, 4, 7}, {0, 4, 7}), question({0, 4, 7}, {0, 5})}),
            game("g2", kSeedDay + 1, melody3, {question({7, 4, 0}, {7, 4, 0}), question({12, 14, 16}, {12, 14, 16})}),
            game("g3", kSeedDay + 3, single, {question({5}, {5}), question({5}, {6})}),
            game("g4", kSeedDay + 3, melody3, std::move(tenRight))};
}

}  // namespace zv::test
