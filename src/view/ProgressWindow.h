// The progress window (zorvanta --progress): the history's drawing (history/
// ProgressSvg.h) shown as it is, a choice of the setting to show, and the button that
// forgets the whole history after asking.
#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include "history/Records.h"
#include "history/sql/SqlHistory.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSvgWidget;

namespace zv {

class ProgressWindow final : public QWidget {
public:
    explicit ProgressWindow(history::SqlHistory& store);
    // The drawing on screen now (tests compare it).
    const QByteArray& svg() const { return svg_; }

private:
    void reload();
    void redraw();
    void forget();

    history::SqlHistory& store_;
    std::vector<history::GameRecord> games_;
    std::vector<history::SettingKey> settings_;
    QComboBox* filter_;
    QSvgWidget* picture_;
    QPushButton* forget_;
    QLabel* note_;
    QByteArray svg_;
};

}  // namespace zv
