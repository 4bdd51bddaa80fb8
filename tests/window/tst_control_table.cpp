// The main window as it opens: every control, its place, captions, tool tips, fonts
// and initial state.
#include <QTest>
#include <set>

#include "support/GameRig.h"

using namespace zv;
using namespace zv::test;

class ControlTableTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlOnce() {
        auto t = ControlTable::createMainWindow();
        std::set<std::string> ids;
        for (const auto& c : t->all()) QVERIFY2(ids.insert(c->id()).second, c->id().c_str());
        // 14 white keys, 10 black keys, 14 plates, 14 + 10 labels, and the rest.
        QCOMPARE(ids.size(), size_t(14 + 10 + 14 + 14 + 10 + 8 /*Label1-6, 2 more*/ - 2 + 5 /*frames*/ + 9 /*options*/ +
                                    3 /*checks*/ + 1 /*scroll*/ + 4 /*Picture1,2*/ + 4 /*Command3,4,5*/));
        for (const char* name : {"Frame1", "Frame2", "Frame3", "Frame4", "Frame5", "Label1", "Label2", "Label3",
                                 "Label4", "Label5", "Label6", "Check1", "Check2", "Check3", "VScroll1",
                                 "Picture1", "Command3", "Command4"})
            QVERIFY2(t->find(name), name);
        QVERIFY(t->find("Command5", 1) && !t->find("Command5", 2));
        QVERIFY(t->find("Option3", 3) && !t->find("Option3", 4));
        QVERIFY(t->find("Picture2", 2));
    }

    void captionsAndToolTips() {
        auto t = ControlTable::createMainWindow();
        const std::pair<const char*, const char*> captions[] = {
            {"Frame2", "MODE "}, {"Frame1", "難易度"}, {"Frame5", "詳細設定"}, {"Frame4", "制限時間設定"},
            {"Label1", "START!"}, {"Label6", "30"}, {"Check1", "無制限"}, {"Check2", "音階表示"},
            {"Check3", "正解確認"}, {"Command3", "START"}, {"Command4", "REPLAY"}, {"Label3", "0"},
            {"Label5", "/"}, {"Label4", "0"}, {"Label2", "30"}};
        for (auto [name, caption] : captions) QCOMPARE(t->at(name).caption(), std::string(caption));
        QCOMPARE(t->at("Option1", 0).caption(), std::string("Easy"));
        QCOMPARE(t->at("Option1", 1).caption(), std::string("Nomal"));
        QCOMPARE(t->at("Option1", 2).caption(), std::string("Difficult "));
        QCOMPARE(t->at("Option1", 0).toolTip(), std::string("3メロディー"));
        QCOMPARE(t->at("Option1", 2).toolTip(), std::string("8メロディー"));
        QCOMPARE(t->at("Option2", 0).caption(), std::string("メロディー"));
        QCOMPARE(t->at("Option2", 1).caption(), std::string("単音"));
        QCOMPARE(t->at("Option3", 2).caption(), std::string("1オクターブのみ"));
        QCOMPARE(t->at("Option3", 3).caption(), std::string("\xef\xbc\x91オクターブの白鍵盤"));  // full-width 1
        QCOMPARE(t->at("Command5", 0).caption(), std::string("正解表示"));
        QCOMPARE(t->at("Command5", 1).caption(), std::string("次の問題"));
        QCOMPARE(t->at("Check2").toolTip(), std::string("鍵盤にドレミを表示させます\xe3\x80\x80(プレイ中に変更も可能)"));
        QCOMPARE(t->at("Check3").toolTip(),
                 std::string("問題ごとに正解を表示するかどうか尋ねます\xe3\x80\x80(プレイ中に変更も可能)"));
        QCOMPARE(std::string(ControlTable::kCaption), std::string("Zorvanta?"));
    }

    void pianoGeometry() {
        auto t = ControlTable::createMainWindow();
        const int blackLefts[10] = {840, 1455, 2640, 3255, 3855, 5010, 5655, 6825, 7440, 8025};
        const int label8Lefts[10] = {960, 1575, 2790, 3405, 4005, 5145, 5790, 6975, 7590, 8175};
        for (int i = 0; i < 14; ++i) {
            const Control& k = t->at("Command1", i);
            QCOMPARE((std::array{k.left(), k.top(), k.width(), k.height()}), (std::array{450 + 600 * i, 285, 600, 2190}));
            QCOMPARE(k.backColor(), colors::White);
            const Control& p = t->at("Picture3", i);
            QCOMPARE((std::array{p.left(), p.top(), p.width(), p.height()}),
                     (std::array{645 + 600 * i, 2160, (i == 3 || i == 10) ? 300 : 210, 210}));
            QCOMPARE(t->at("Label7", i).left(), 645 + 600 * i);
            QCOMPARE(t->at("Label7", i).top(), 2520);
        }
        for (int i = 0; i < 10; ++i) {
            const Control& k = t->at("Command2", i);
            QCOMPARE(k.left(), blackLefts[i]);
            QCOMPARE(k.top(), 270);
            QCOMPARE(k.width(), 390);
            QCOMPARE(k.height(), (i == 2 || i == 3) ? 1275 : 1260);
            QCOMPARE(k.backColor(), colors::Black);
            QCOMPARE(t->at("Label8", i).left(), label8Lefts[i]);
            QCOMPARE(t->at("Label8", i).width(), i == 0 ? 585 : 555);
            // Each black key straddles a border between two white keys.
            const int border = k.left() + k.width() / 2;
            QVERIFY(std::abs((border - 450) % 600 - 0) < 200 || std::abs((border - 450) % 600 - 600) < 200);
        }
        QVERIFY(!t->at("Picture3", 0).hasBackColor());  // the window colour until load paints it
    }

    void settingsAndButtonsGeometry() {
        auto t = ControlTable::createMainWindow();
        struct Row {
            const char* name;
            int index, left, top, width, height;
        };
        const Row rows[] = {{"Frame2", -1, 345, 2835, 1515, 1080},  {"Option2", 1, 150, 705, 1230, 330},
                            {"Frame1", -1, 1950, 2835, 1320, 1080}, {"Option1", 2, 180, 765, 915, 225},
                            {"Frame5", -1, 3405, 2850, 2115, 1425}, {"Option3", 2, 135, 810, 1935, 240},
                            {"Option3", 3, 135, 1095, 1935, 240},   {"Frame4", -1, 5595, 2850, 1695, 1425},
                            {"VScroll1", -1, 105, 225, 360, 1095},  {"Label6", -1, 600, 405, 870, 705},
                            {"Check1", -1, 675, 1140, 945, 195},    {"Check2", -1, 510, 4005, 1185, 255},
                            {"Check3", -1, 1815, 4005, 1575, 255},  {"Command3", -1, 7320, 3735, 1830, 510},
                            {"Command4", -1, 7320, 3045, 1830, 510}, {"Command5", 0, 7320, 3045, 915, 495},
                            {"Command5", 1, 8235, 3045, 915, 495},  {"Label3", -1, 5400, 2865, 690, 600},
                            {"Label2", -1, 6015, 3705, 855, 600},   {"Frame3", -1, 9525, 2655, 5505, 1710},
                            {"Label1", -1, 270, 165, 4905, 1500},   {"Picture1", -1, 2985, 270, 3300, 2190},
                            {"Picture2", 0, 2715, 1830, 225, 180}};
        for (const Row& r : rows) {
            const Control& c = t->at(r.name, r.index);
            QCOMPARE((std::array{c.left(), c.top(), c.width(), c.height()}), (std::array{r.left, r.top, r.width, r.height}));
        }
        QCOMPARE(t->at("Option2", 0).container(), t->find("Frame2"));
        QCOMPARE(t->at("Option1", 1).container(), t->find("Frame1"));
        QCOMPARE(t->at("Option3", 3).container(), t->find("Frame5"));
        QCOMPARE(t->at("VScroll1").container(), t->find("Frame4"));
        QCOMPARE(t->at("Label1").container(), t->find("Frame3"));
        QCOMPARE(t->at("Picture2", 2).container(), t->find("Picture1"));
        QCOMPARE(t->at("Check2").container(), nullptr);
    }

    void initialStatesAndFonts() {
        auto t = ControlTable::createMainWindow();
        for (const char* hidden : {"Command4", "Frame3", "Picture1", "Label2", "Label3", "Label4", "Label5"})
            QVERIFY2(!t->at(hidden).visible(), hidden);
        QVERIFY(!t->at("Command5", 0).visible() && !t->at("Command5", 1).visible());
        QCOMPARE(t->at("Option2", 0).value(), 1);
        QCOMPARE(t->at("Option1", 1).value(), 1);
        QCOMPARE(t->at("Option1", 0).value(), 0);
        QCOMPARE(t->at("Option3", 0).value(), 1);
        QCOMPARE(t->at("VScroll1").value(), 70);
        QCOMPARE(t->at("Check1").value(), 0);
        QCOMPARE(t->at("Label1").font(), (FontSpec{72, 400}));
        QCOMPARE(t->at("Label6").font(), (FontSpec{36, 400}));
        QCOMPARE(t->at("Label2").font(), (FontSpec{27.75, 700}));
        QCOMPARE(t->at("Label5").font(), (FontSpec{27.75, 700}));
        QCOMPARE(t->at("Command3").font(), FontSpec{});
    }

    // Later controls lie above earlier ones: black keys and plates over white keys,
    // the result picture over every key, the banner over the settings frames.
    void stackingOrder() {
        auto t = ControlTable::createMainWindow();
        auto position = [&](const char* name, int index = -1) {
            const auto& all = t->all();
            for (size_t i = 0; i < all.size(); ++i)
                if (all[i]->name() == name && all[i]->index() == index) return int(i);
            return -1;
        };
        for (int w = 0; w < 14; ++w) {
            QVERIFY(position("Command2", 0) > position("Command1", w));
            QVERIFY(position("Picture3", 0) > position("Command1", w));
            QVERIFY(position("Picture1") > position("Command1", w));
        }
        for (int b = 0; b < 10; ++b) QVERIFY(position("Picture1") > position("Command2", b));
        for (const char* f : {"Frame1", "Frame2", "Frame4", "Frame5"}) QVERIFY(position("Frame3") > position(f));
        QVERIFY(position("Label2") < position("Frame4"));
    }

    void optionsAreExclusivePerGroup() {
        auto t = ControlTable::createMainWindow();
        t->at("Option1", 2).setValue(1);
        QCOMPARE(t->at("Option1", 1).value(), 0);
        QCOMPARE(t->at("Option2", 0).value(), 1);  // another group is untouched
        QCOMPARE(t->at("Option3", 0).value(), 1);
    }
};

QTEST_APPLESS_MAIN(ControlTableTest)
#include "tst_control_table.moc"
