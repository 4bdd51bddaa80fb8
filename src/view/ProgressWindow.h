// The progress window (zorvanta --progress): the history's drawing (history/
// ProgressSvg.h) shown as it is, a choice of the setting to show, the CSV file's
// export and import (each through a file dialog, as the command line moves it), and
// the button that forgets the whole history after asking.
#pragma once

#include <QWidget>
#include <functional>
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
    // Asks the player for the CSV file to write (save) or to read, starting in folder;
    // empty: cancelled.
    using ChooseFile = std::function<QString(QWidget* parent, bool save, const QString& folder)>;
    // The file dialog's choice unless told otherwise (tests).
    explicit ProgressWindow(history::SqlHistory& store, ChooseFile choose = {});
    // The drawing on screen now (tests compare it).
    const QByteArray& svg() const { return svg_; }
    // The line under the buttons: the file's state and the last export's or import's outcome.
    QString notice() const;

private:
    void reload();
    void redraw();
    void forget();
    void exportFile();
    void importFile();
    void say(const QString& outcome);

    history::SqlHistory& store_;
    ChooseFile choose_;
    std::vector<history::GameRecord> games_;
    std::vector<history::SettingKey> settings_;
    QComboBox* filter_;
    QSvgWidget* picture_;
    QPushButton* export_;
    QPushButton* import_;
    QPushButton* forget_;
    QLabel* note_;
    QString stateNote_;
    QString folder_;  // where the last file was chosen, the next dialog's start  // a newer or unreadable file, said above every outcome
    QByteArray svg_;
};

}  // namespace zv
