// The main window's controls as they stand when it opens: position, size, caption,
// colours and fonts of each, in stacking order.
#include "controls/ControlTable.h"
#include "controls/PlayerTexts.h"

namespace zv {

namespace {

Control& place(Control& c, int left, int top, int width, int height) {
    c.setGeometry(left, top, width, height);
    return c;
}

}  // namespace

std::unique_ptr<ControlTable> ControlTable::createMainWindow() {
    auto t = std::make_unique<ControlTable>();
    t->setOuterWidth(9525);
    using K = ControlKind;
    using R = ControlRole;
    const FontSpec score{27.75, 700};

    // Labels first: they are drawn on their container's surface, beneath every
    // button, frame and picture box that covers them.
    for (int i = 0; i < 14; ++i) place(t->add(R::WhiteKeyMark, i, K::Label), 645 + 600 * i, 2520, 600, 210);
    static constexpr int kBlackKeyMarkLeft[10] = {960, 1575, 2790, 3405, 4005, 5145, 5790, 6975, 7590, 8175};
    for (int i = 0; i < 10; ++i)
        place(t->add(R::BlackKeyMark, i, K::Label), kBlackKeyMarkLeft[i], 45, i == 0 ? 585 : 555, 210);
    struct ScoreLabel {
        ControlRole role;
        const char* caption;
        int left, top, width;
    };
    for (auto s : {ScoreLabel{R::RightsLabel, "0", 5400, 2865, 690}, ScoreLabel{R::ScoreSeparator, "/", 6150, 2865, 315},
                   ScoreLabel{R::QuestionsLabel, "0", 6330, 2865, 690}, ScoreLabel{R::CountdownLabel, "30", 6015, 3705, 855}}) {
        Control& l = place(t->add(s.role, -1, K::Label), s.left, s.top, s.width, 600);
        l.setCaption(s.caption);
        l.setFont(score);
        l.setVisible(false);
    }

    // The piano: white keys, then black keys and plates above them.
    for (int i = 0; i < 14; ++i) {
        Control& k = place(t->add(R::WhiteKey, i, K::Button), 450 + 600 * i, 285, 600, 2190);
        k.setBackColor(colors::White);
    }
    static constexpr int kBlackLeft[10] = {840, 1455, 2640, 3255, 3855, 5010, 5655, 6825, 7440, 8025};
    for (int i = 0; i < 10; ++i) {
        Control& k = place(t->add(R::BlackKey, i, K::Button), kBlackLeft[i], 270, 390, (i == 2 || i == 3) ? 1275 : 1260);
        k.setBackColor(colors::Black);
    }
    for (int i = 0; i < 14; ++i) {
        Control& p = place(t->add(R::NotePlate, i, K::PictureBox), 645 + 600 * i, 2160, (i == 3 || i == 10) ? 300 : 210, 210);
        p.setVisible(false);
        // Plate 0 is designed in the window colour; the load step paints every plate white.
        if (i != 0) p.setBackColor(colors::White);
    }

    // Settings row.
    Control& modeFrame = place(t->add(R::ModeFrame, -1, K::Frame), 345, 2835, 1515, 1080);
    modeFrame.setCaption(texts::kModeFrame);
    place(t->add(R::ModeOption, 0, K::OptionButton, &modeFrame), 150, 240, 1230, 330).setCaption(texts::kModes[0]);
    place(t->add(R::ModeOption, 1, K::OptionButton, &modeFrame), 150, 705, 1230, 330).setCaption(texts::kModes[1]);
    t->at(R::ModeOption, 0).setValue(1);

    Control& difficultyFrame = place(t->add(R::DifficultyFrame, -1, K::Frame), 1950, 2835, 1320, 1080);
    difficultyFrame.setCaption(texts::kDifficultyFrame);
    static constexpr int kDifficultyTop[3] = {270, 510, 765};
    for (int i = 0; i < 3; ++i) {
        Control& o = place(t->add(R::DifficultyOption, i, K::OptionButton, &difficultyFrame), 180, kDifficultyTop[i], 915, 225);
        o.setCaption(texts::kDifficulties[i]);
        o.setToolTip(texts::kDifficultyTips[i]);
    }
    t->at(R::DifficultyOption, 1).setValue(1);

    Control& keyRangeFrame = place(t->add(R::KeyRangeFrame, -1, K::Frame), 3405, 2850, 2115, 1425);
    keyRangeFrame.setCaption(texts::kKeyRangeFrame);
    static constexpr int kRangeTop[4] = {255, 525, 810, 1095};
    for (int i = 0; i < 4; ++i) place(t->add(R::KeyRangeOption, i, K::OptionButton, &keyRangeFrame), 135, kRangeTop[i], 1935, 240).setCaption(texts::kKeyRanges[i]);
    t->at(R::KeyRangeOption, 0).setValue(1);

    Control& timeLimitFrame = place(t->add(R::TimeLimitFrame, -1, K::Frame), 5595, 2850, 1695, 1425);
    timeLimitFrame.setCaption(texts::kTimeLimitFrame);
    Control& scroll = place(t->add(R::TimeLimitBar, -1, K::VerticalScrollBar, &timeLimitFrame), 105, 225, 360, 1095);
    // Top end is the longest limit (90 s), bottom the shortest (10 s): moving the
    // thumb up lengthens the limit, and every limit has at most two digits.
    scroll.setRange(10, 90, 1, 10);
    scroll.setValue(70);
    scroll.setAccessibleName(texts::kTimeLimit);
    Control& limitLabel = place(t->add(R::LimitLabel, -1, K::Label, &timeLimitFrame), 600, 405, 870, 705);
    limitLabel.setCaption("30");
    limitLabel.setFont({36, 400});
    place(t->add(R::NoLimitCheck, -1, K::CheckBox, &timeLimitFrame), 675, 1140, 945, 195).setCaption(texts::kNoLimit);

    Control& noteNames = place(t->add(R::NoteNamesCheck, -1, K::CheckBox), 510, 4005, 1185, 255);
    noteNames.setCaption(texts::kNoteNames);
    noteNames.setToolTip(texts::kNoteNamesTip);
    Control& askDemonstration = place(t->add(R::AskDemonstrationCheck, -1, K::CheckBox), 1815, 4005, 1575, 255);
    askDemonstration.setCaption(texts::kAskDemonstration);
    askDemonstration.setToolTip(texts::kAskDemonstrationTip);

    // Game buttons.
    place(t->add(R::StartStopButton, -1, K::Button), 7320, 3735, 1830, 510).setCaption(texts::kStart);
    Control& replay = place(t->add(R::ReplayButton, -1, K::Button), 7320, 3045, 1830, 510);
    replay.setCaption(texts::kReplay);
    replay.setVisible(false);
    Control& show = place(t->add(R::ShowAnswerButton, -1, K::Button), 7320, 3045, 915, 495);
    show.setCaption(texts::kShowAnswer);
    show.setVisible(false);
    Control& next = place(t->add(R::NextQuestionButton, -1, K::Button), 8235, 3045, 915, 495);
    next.setCaption(texts::kNextQuestion);
    next.setVisible(false);

    // The banner lies above the settings frames, the result picture above every key.
    Control& banner = place(t->add(R::Banner, -1, K::Frame), 9525, 2655, 5505, 1710);
    banner.setVisible(false);
    Control& bannerText = place(t->add(R::BannerText, -1, K::Label, &banner), 270, 165, 4905, 1500);
    bannerText.setCaption(texts::kBanner);
    bannerText.setFont({72, 400});

    // The verdict box is named after the stored picture it shows (GameContext::showVerdict).
    Control& verdict = place(t->add(R::VerdictPicture, -1, K::PictureBox), 2985, 270, 3300, 2190);
    verdict.setVisible(false);
    verdict.setAccessibleName(texts::kVerdictBox);
    static constexpr int kStoredAt[3][2] = {{2715, 1830}, {2985, 1815}, {2985, 1560}};
    for (int i = 0; i < 3; ++i) {
        Control& stored = place(t->add(R::StoredPicture, i, K::PictureBox, &verdict), kStoredAt[i][0], kStoredAt[i][1], 225, 180);
        stored.setVisible(false);
        stored.setAccessibleName(texts::kVerdicts[i]);
    }

    // Tab moves from START through the settings, top to bottom, to the other game
    // buttons; START has the focus when the window opens.
    int order = 0;
    t->at(R::StartStopButton).setTabOrder(order++);
    for (const auto& c : t->all()) {
        const bool takesFocus = c->kind() == K::OptionButton || c->kind() == K::CheckBox ||
                                c->kind() == K::VerticalScrollBar ||
                                (c->kind() == K::Button && c->role() != R::WhiteKey && c->role() != R::BlackKey);
        if (takesFocus && c->tabOrder() < 0) c->setTabOrder(order++);
    }
    return t;
}

}  // namespace zv
