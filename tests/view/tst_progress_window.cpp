// The progress window's CSV buttons on a real history file: each case clicks a
// button, the file chosen stands in for the file dialog's, and the case checks what
// the window says, whether its drawing changed and what the history file then holds.
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "controls/PlayerTexts.h"
#include "view/ProgressWindow.h"

using namespace zv;

class ProgressWindowTest : public QObject {
    Q_OBJECT

private slots:
    void csvButtonsMoveTheHistory() {
        QTemporaryDir dir;
        const auto at = [&](const char* name) { return dir.filePath(name); };
        const QByteArray header = "game_id,started_utc,notes_per_question,key_range,time_limit_s,game_ms,"
                                  "game_questions,game_rights,game_finished,question,melody,answered,verdict,"
                                  "replays,answer_shown,answer_ms,input\r\n";
        const QByteArray good = header + "g1,2026-12-01T10:00:00.000Z,3,0,30,30000,1,1,1,0,0 4 7,0 4 7,right,0,0,1200,touch\r\n";
        for (const auto& [name, text] : {std::pair{"good.csv", good}, {"formula.csv", QByteArray(good).replace("touch", "=1+1")}}) {
            QFile f(at(name));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
        }
        history::SqlHistory store(at("history.sqlite").toStdString(), [](const std::string&) {});
        QString chosen;
        ProgressWindow window(store, [&](QWidget*, bool) { return chosen; });
        const auto button = [&](const char* caption) {
            for (auto* b : window.findChildren<QPushButton*>())
                if (b->text() == QString::fromUtf8(caption)) return b;
            return static_cast<QPushButton*>(nullptr);
        };
        // button | file chosen | what the window says | the drawing changes | games kept after
        const struct {
            const char* button;
            const char* file;
            const char* says;
            bool redrawn;
            std::size_t kept;
        } cases[] = {
            {texts::kProgressImport, "good.csv", "^1件のゲームを読み込みました\\(0件は記録済み\\)。$", true, 1},
            {texts::kProgressImport, "good.csv", "^0件のゲームを読み込みました\\(1件は記録済み\\)。$", false, 1},
            {texts::kProgressImport, "formula.csv", "^読み込めません: formula.csv: line 2: .*formula", false, 1},
            {texts::kProgressImport, "missing.csv", "^読み込めません: missing.csv: ", false, 1},
            {texts::kProgressExport, "no-folder/out.csv", "^書き出せません: out.csv: ", false, 1},
            {texts::kProgressExport, "out.csv", "^1件のゲーム\\(1問\\)を書き出しました。$", false, 1},
        };
        for (const auto& c : cases) {
            const QByteArray before = window.svg();
            chosen = at(c.file);
            QTest::mouseClick(button(c.button), Qt::LeftButton);
            QVERIFY2(QRegularExpression(QString::fromUtf8(c.says)).match(window.notice()).hasMatch(), qPrintable(window.notice()));
            QCOMPARE(window.svg() != before, c.redrawn);
            QCOMPARE(store.loadAll().size(), c.kept);
        }
        QFile out(at("out.csv"));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), good);
    }
};

QTEST_MAIN(ProgressWindowTest)
#include "tst_progress_window.moc"
