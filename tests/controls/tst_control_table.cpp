// The main window as it opens: every control, its place, captions, tool tips, fonts
// and initial state.
#include <QTest>
#include <set>

#include "support/GameRig.h"

using namespace zv;
using namespace zv::test;

class ControlTableTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ControlTable> t;

private slots:
    void init() { t = ControlTable::createMainWindow(); }

    void everyControlOnce() {
        std::set<std::string> ids;
        for (const auto& c : t->all()) QVERIFY2(ids.insert(c->id()).second, c->id().c_str());
        // 14 white keys, 10 black keys, 14 plates, 14 + 10 position marks, and the rest.
        QCOMPARE(ids.size(), size_t(14 + 10 + 14 + 14 + 10 + 6 /*score, clock, limit, banner labels*/ + 5 /*frames*/ +
                                    9 /*options*/ + 3 /*checks*/ + 1 /*bar*/ + 4 /*verdict, stored*/ + 4 /*buttons*/));
        for (const ControlRole role : {ControlRole::DifficultyFrame, ControlRole::ModeFrame, ControlRole::Banner, ControlRole::TimeLimitFrame, ControlRole::KeyRangeFrame, ControlRole::BannerText, ControlRole::CountdownLabel, ControlRole::RightsLabel,
                                 ControlRole::QuestionsLabel, ControlRole::ScoreSeparator, ControlRole::LimitLabel, ControlRole::NoLimitCheck, ControlRole::NoteNamesCheck, ControlRole::AskDemonstrationCheck, ControlRole::TimeLimitBar,
                                 ControlRole::VerdictPicture, ControlRole::StartStopButton, ControlRole::ReplayButton})
            QVERIFY2(t->find(role), roleName(role));
        QVERIFY(t->find(ControlRole::NextQuestionButton) && !t->find(ControlRole::NextQuestionButton, 0));
        QVERIFY(t->find(ControlRole::KeyRangeOption, 3) && !t->find(ControlRole::KeyRangeOption, 4));
        QVERIFY(t->find(ControlRole::StoredPicture, 2));
    }

    void captionsAndToolTips() {
        struct Text {
            ControlRole role;
            int index;
            const char* text;
        };
        const Text captions[] = {
            {ControlRole::ModeFrame, -1, "MODE "}, {ControlRole::DifficultyFrame, -1, "難易度"}, {ControlRole::KeyRangeFrame, -1, "詳細設定"},
            {ControlRole::TimeLimitFrame, -1, "制限時間設定"}, {ControlRole::BannerText, -1, "START!"}, {ControlRole::LimitLabel, -1, "30"},
            {ControlRole::NoLimitCheck, -1, "無制限"}, {ControlRole::NoteNamesCheck, -1, "音階表示"}, {ControlRole::AskDemonstrationCheck, -1, "正解確認"},
            {ControlRole::StartStopButton, -1, "START"}, {ControlRole::ReplayButton, -1, "REPLAY"}, {ControlRole::RightsLabel, -1, "0"},
            {ControlRole::ScoreSeparator, -1, "/"}, {ControlRole::QuestionsLabel, -1, "0"}, {ControlRole::CountdownLabel, -1, "30"},
            {ControlRole::DifficultyOption, 0, "Easy"}, {ControlRole::DifficultyOption, 1, "Nomal"}, {ControlRole::DifficultyOption, 2, "Difficult "},
            {ControlRole::ModeOption, 0, "メロディー"}, {ControlRole::ModeOption, 1, "単音"}, {ControlRole::KeyRangeOption, 2, "1オクターブのみ"},
            {ControlRole::KeyRangeOption, 3, "\xef\xbc\x91オクターブの白鍵盤"},  // full-width 1
            {ControlRole::ShowAnswerButton, -1, "正解表示"}, {ControlRole::NextQuestionButton, -1, "次の問題"}};
        for (auto [role, index, caption] : captions) QCOMPARE(t->at(role, index).caption(), std::string(caption));
        const Text toolTips[] = {
            {ControlRole::DifficultyOption, 0, "3メロディー"}, {ControlRole::DifficultyOption, 2, "8メロディー"},
            {ControlRole::NoteNamesCheck, -1, "鍵盤にドレミを表示させます\xe3\x80\x80(プレイ中に変更も可能)"},
            {ControlRole::AskDemonstrationCheck, -1, "問題ごとに正解を表示するかどうか尋ねます\xe3\x80\x80(プレイ中に変更も可能)"}};
        for (auto [role, index, tip] : toolTips) QCOMPARE(t->at(role, index).toolTip(), std::string(tip));
        QCOMPARE(std::string(ControlTable::kCaption), std::string("Zorvanta?"));
    }

    void pianoGeometry() {
        const int blackLefts[10] = {840, 1455, 2640, 3255, 3855, 5010, 5655, 6825, 7440, 8025};
        const int markLefts[10] = {960, 1575, 2790, 3405, 4005, 5145, 5790, 6975, 7590, 8175};
        for (int i = 0; i < 14; ++i) {
            const Control& k = t->at(ControlRole::WhiteKey, i);
            QCOMPARE((std::array{k.left(), k.top(), k.width(), k.height()}), (std::array{450 + 600 * i, 285, 600, 2190}));
            QCOMPARE(k.backColor(), colors::White);
            const Control& p = t->at(ControlRole::NotePlate, i);
            QCOMPARE((std::array{p.left(), p.top(), p.width(), p.height()}),
                     (std::array{645 + 600 * i, 2160, (i == 3 || i == 10) ? 300 : 210, 210}));
            QCOMPARE(t->at(ControlRole::WhiteKeyMark, i).left(), 645 + 600 * i);
            QCOMPARE(t->at(ControlRole::WhiteKeyMark, i).top(), 2520);
        }
        for (int i = 0; i < 10; ++i) {
            const Control& k = t->at(ControlRole::BlackKey, i);
            QCOMPARE(k.left(), blackLefts[i]);
            QCOMPARE(k.top(), 270);
            QCOMPARE(k.width(), 390);
            QCOMPARE(k.height(), (i == 2 || i == 3) ? 1275 : 1260);
            QCOMPARE(k.backColor(), colors::Black);
            QCOMPARE(t->at(ControlRole::BlackKeyMark, i).left(), markLefts[i]);
            QCOMPARE(t->at(ControlRole::BlackKeyMark, i).width(), i == 0 ? 585 : 555);
            // Each black key straddles a border between two white keys.
            const int border = k.left() + k.width() / 2;
            QVERIFY(std::abs((border - 450) % 600 - 0) < 200 || std::abs((border - 450) % 600 - 600) < 200);
        }
        QVERIFY(!t->at(ControlRole::NotePlate, 0).hasBackColor());  // the window colour until load paints it
    }

    void settingsAndButtonsGeometry() {
        struct Row {
            ControlRole role;
            int index, left, top, width, height;
        };
        const Row rows[] = {{ControlRole::ModeFrame, -1, 345, 2835, 1515, 1080},  {ControlRole::ModeOption, 1, 150, 705, 1230, 330},
                            {ControlRole::DifficultyFrame, -1, 1950, 2835, 1320, 1080}, {ControlRole::DifficultyOption, 2, 180, 765, 915, 225},
                            {ControlRole::KeyRangeFrame, -1, 3405, 2850, 2115, 1425}, {ControlRole::KeyRangeOption, 2, 135, 810, 1935, 240},
                            {ControlRole::KeyRangeOption, 3, 135, 1095, 1935, 240},   {ControlRole::TimeLimitFrame, -1, 5595, 2850, 1695, 1425},
                            {ControlRole::TimeLimitBar, -1, 105, 225, 360, 1095},  {ControlRole::LimitLabel, -1, 600, 405, 870, 705},
                            {ControlRole::NoLimitCheck, -1, 675, 1140, 945, 195},    {ControlRole::NoteNamesCheck, -1, 510, 4005, 1185, 255},
                            {ControlRole::AskDemonstrationCheck, -1, 1815, 4005, 1575, 255},  {ControlRole::StartStopButton, -1, 7320, 3735, 1830, 510},
                            {ControlRole::ReplayButton, -1, 7320, 3045, 1830, 510}, {ControlRole::ShowAnswerButton, -1, 7320, 3045, 915, 495},
                            {ControlRole::NextQuestionButton, -1, 8235, 3045, 915, 495},  {ControlRole::RightsLabel, -1, 5400, 2865, 690, 600},
                            {ControlRole::CountdownLabel, -1, 6015, 3705, 855, 600},   {ControlRole::Banner, -1, 9525, 2655, 5505, 1710},
                            {ControlRole::BannerText, -1, 270, 165, 4905, 1500},   {ControlRole::VerdictPicture, -1, 2985, 270, 3300, 2190},
                            {ControlRole::StoredPicture, 0, 2715, 1830, 225, 180}};
        for (const Row& r : rows) {
            const Control& c = t->at(r.role, r.index);
            QCOMPARE((std::array{c.left(), c.top(), c.width(), c.height()}), (std::array{r.left, r.top, r.width, r.height}));
        }
        QCOMPARE(t->at(ControlRole::ModeOption, 0).container(), t->find(ControlRole::ModeFrame));
        QCOMPARE(t->at(ControlRole::DifficultyOption, 1).container(), t->find(ControlRole::DifficultyFrame));
        QCOMPARE(t->at(ControlRole::KeyRangeOption, 3).container(), t->find(ControlRole::KeyRangeFrame));
        QCOMPARE(t->at(ControlRole::TimeLimitBar).container(), t->find(ControlRole::TimeLimitFrame));
        QCOMPARE(t->at(ControlRole::BannerText).container(), t->find(ControlRole::Banner));
        QCOMPARE(t->at(ControlRole::StoredPicture, 2).container(), t->find(ControlRole::VerdictPicture));
        QCOMPARE(t->at(ControlRole::NoteNamesCheck).container(), nullptr);
    }

    void initialStatesAndFonts() {
        for (const ControlRole hidden : {ControlRole::ReplayButton, ControlRole::Banner, ControlRole::VerdictPicture, ControlRole::CountdownLabel, ControlRole::RightsLabel, ControlRole::QuestionsLabel, ControlRole::ScoreSeparator})
            QVERIFY2(!t->at(hidden).visible(), roleName(hidden));
        QVERIFY(!t->at(ControlRole::ShowAnswerButton).visible() && !t->at(ControlRole::NextQuestionButton).visible());
        QCOMPARE(t->at(ControlRole::ModeOption, 0).value(), 1);
        QCOMPARE(t->at(ControlRole::DifficultyOption, 1).value(), 1);
        QCOMPARE(t->at(ControlRole::DifficultyOption, 0).value(), 0);
        QCOMPARE(t->at(ControlRole::KeyRangeOption, 0).value(), 1);
        QCOMPARE(t->at(ControlRole::TimeLimitBar).value(), 70);
        QCOMPARE(t->at(ControlRole::NoLimitCheck).value(), 0);
        QCOMPARE(t->at(ControlRole::BannerText).font(), (FontSpec{72, 400}));
        QCOMPARE(t->at(ControlRole::LimitLabel).font(), (FontSpec{36, 400}));
        QCOMPARE(t->at(ControlRole::CountdownLabel).font(), (FontSpec{27.75, 700}));
        QCOMPARE(t->at(ControlRole::ScoreSeparator).font(), (FontSpec{27.75, 700}));
        QCOMPARE(t->at(ControlRole::StartStopButton).font(), FontSpec{});
    }

    // Later controls lie above earlier ones: black keys and plates over white keys,
    // the result picture over every key, the banner over the settings frames.
    void stackingOrder() {
        auto position = [&](ControlRole role, int index = -1) {
            const auto& all = t->all();
            for (size_t i = 0; i < all.size(); ++i)
                if (all[i]->role() == role && all[i]->index() == index) return int(i);
            return -1;
        };
        for (int w = 0; w < 14; ++w) {
            QVERIFY(position(ControlRole::BlackKey, 0) > position(ControlRole::WhiteKey, w));
            QVERIFY(position(ControlRole::NotePlate, 0) > position(ControlRole::WhiteKey, w));
            QVERIFY(position(ControlRole::VerdictPicture) > position(ControlRole::WhiteKey, w));
        }
        for (int b = 0; b < 10; ++b) QVERIFY(position(ControlRole::VerdictPicture) > position(ControlRole::BlackKey, b));
        for (const ControlRole f : {ControlRole::DifficultyFrame, ControlRole::ModeFrame, ControlRole::TimeLimitFrame, ControlRole::KeyRangeFrame}) QVERIFY(position(ControlRole::Banner) > position(f));
        QVERIFY(position(ControlRole::CountdownLabel) < position(ControlRole::TimeLimitFrame));
    }

    void optionsAreExclusivePerGroup() {
        t->at(ControlRole::DifficultyOption, 2).setValue(1);
        QCOMPARE(t->at(ControlRole::DifficultyOption, 1).value(), 0);
        QCOMPARE(t->at(ControlRole::ModeOption, 0).value(), 1);  // another group is untouched
        QCOMPARE(t->at(ControlRole::KeyRangeOption, 0).value(), 1);
    }
};

QTEST_APPLESS_MAIN(ControlTableTest)
#include "tst_control_table.moc"
