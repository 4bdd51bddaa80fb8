#include "view/ProgressWindow.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSvgWidget>
#include <QTimeZone>
#include <QVBoxLayout>

#include "controls/PlayerTexts.h"
#include "history/Calendar.h"
#include "history/Figures.h"
#include "history/ProgressSvg.h"
#include "history/sql/HistoryFiles.h"

namespace zv {

namespace {
QString fileDialog(QWidget* parent, bool save, const QString& folder) {
    const QString csvFiles = QString::fromUtf8(texts::kProgressCsvFiles);
    return save ? QFileDialog::getSaveFileName(parent, QString::fromUtf8(texts::kProgressExport),
                                               QDir(folder).filePath(QString::fromUtf8(texts::kProgressCsvFileName)), csvFiles)
                : QFileDialog::getOpenFileName(parent, QString::fromUtf8(texts::kProgressImport), folder, csvFiles);
}
}  // namespace

ProgressWindow::ProgressWindow(history::SqlHistory& store, ChooseFile choose)
    : store_(store), choose_(choose ? std::move(choose) : fileDialog), folder_(QDir::homePath()) {
    setWindowTitle(QString::fromUtf8(texts::kProgress) + " - Zorvanta");
    filter_ = new QComboBox(this);
    export_ = new QPushButton(QString::fromUtf8(texts::kProgressExport), this);
    import_ = new QPushButton(QString::fromUtf8(texts::kProgressImport), this);
    forget_ = new QPushButton(QString::fromUtf8(texts::kProgressForget), this);
    note_ = new QLabel(this);
    note_->setWordWrap(true);
    picture_ = new QSvgWidget(this);
    picture_->setFixedSize(history::kProgressWidth, history::kProgressHeight);
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QString::fromUtf8(texts::kProgressSetting), this));
    bar->addWidget(filter_, 1);
    bar->addWidget(export_);
    bar->addWidget(import_);
    bar->addWidget(forget_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(note_);
    layout->addWidget(picture_);
    // A newer file is only read: it can be exported, but nothing may be added or forgotten.
    const auto state = store_.state();
    import_->setEnabled(state == history::SqlHistory::State::Writable);
    forget_->setEnabled(state == history::SqlHistory::State::Writable);
    export_->setEnabled(state != history::SqlHistory::State::Unavailable);
    if (state == history::SqlHistory::State::ReadOnly) stateNote_ = QString::fromUtf8(texts::kProgressNewer);
    if (state == history::SqlHistory::State::Unavailable) stateNote_ = QString::fromUtf8(texts::kProgressUnreadable);
    say({});
    connect(filter_, &QComboBox::currentIndexChanged, this, [this] { redraw(); });
    connect(export_, &QPushButton::clicked, this, [this] { exportFile(); });
    connect(import_, &QPushButton::clicked, this, [this] { importFile(); });
    connect(forget_, &QPushButton::clicked, this, [this] { forget(); });
    reload();
}

void ProgressWindow::reload() {
    games_ = store_.loadAll();
    std::vector<history::SettingKey> settings;
    for (const auto& g : games_) settings.push_back(history::settingOf(g));
    std::sort(settings.begin(), settings.end());
    settings.erase(std::unique(settings.begin(), settings.end()), settings.end());
    settings_ = settings;
    const QSignalBlocker quiet(filter_);
    filter_->clear();
    filter_->addItem(QString::fromUtf8(texts::kProgressAllSettings));
    for (const auto& s : settings_) filter_->addItem(QString::fromStdString(history::settingCaption(s)));
    redraw();
}

void ProgressWindow::redraw() {
    const int offsetMinutes = QDateTime::currentDateTime().offsetFromUtc() / 60;
    const std::int64_t today = history::localDay(QDateTime::currentMSecsSinceEpoch(), offsetMinutes);
    const int chosen = filter_->currentIndex();
    std::optional<history::SettingKey> filter;
    if (chosen > 0 && chosen <= static_cast<int>(settings_.size())) filter = settings_[chosen - 1];
    svg_ = QByteArray::fromStdString(history::progressSvg(history::computeFigures(games_, offsetMinutes, today, filter)));
    picture_->load(svg_);
}

void ProgressWindow::forget() {
    if (QMessageBox::question(this, "Zorvanta", QString::fromUtf8(texts::kProgressAskForget)) != QMessageBox::Yes) return;
    if (!store_.forget()) {
        QMessageBox::information(this, "Zorvanta", QString::fromUtf8(texts::kProgressNotForgotten));
        return;
    }
    reload();
}

QString ProgressWindow::notice() const { return note_->text(); }

void ProgressWindow::say(const QString& outcome) {
    note_->setText(stateNote_.isEmpty() || outcome.isEmpty() ? stateNote_ + outcome : stateNote_ + '\n' + outcome);
    note_->setVisible(!note_->text().isEmpty());
}

void ProgressWindow::exportFile() {
    const QString file = choose_(this, true, folder_);
    if (file.isEmpty()) return;
    folder_ = QFileInfo(file).absolutePath();
    const history::Exported out = history::exportCsvFile(store_, file.toStdString());
    if (!out.error.empty()) {
        say(QString::fromUtf8(texts::kProgressCannotExport) + QFileInfo(file).fileName() + ": " +
            QString::fromStdString(out.error));
        return;
    }
    say(QString::number(out.games) + QString::fromUtf8(texts::kProgressExportedGames) + QString::number(out.questions) +
        QString::fromUtf8(texts::kProgressExportedQuestions));
}

void ProgressWindow::importFile() {
    const QString file = choose_(this, false, folder_);
    if (file.isEmpty()) return;
    folder_ = QFileInfo(file).absolutePath();
    // The reason a file is refused is the command line's, word for word.
    const auto merged = history::importCsvFile(store_, file.toStdString());
    if (!merged.error.empty()) {
        say(QString::fromUtf8(texts::kProgressCannotImport) + QFileInfo(file).fileName() + ": " +
            QString::fromStdString(merged.error));
        return;
    }
    say(QString::number(merged.added) + QString::fromUtf8(texts::kProgressImportedGames) +
        QString::number(merged.alreadyKept) + QString::fromUtf8(texts::kProgressAlreadyKept));
    reload();
}

}  // namespace zv
