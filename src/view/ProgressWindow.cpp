#include "view/ProgressWindow.h"

#include <QComboBox>
#include <QDateTime>
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

namespace zv {

ProgressWindow::ProgressWindow(history::SqlHistory& store) : store_(store) {
    setWindowTitle(QString::fromUtf8(texts::kProgress) + " - Zorvanta");
    filter_ = new QComboBox(this);
    forget_ = new QPushButton(QString::fromUtf8(texts::kProgressForget), this);
    note_ = new QLabel(this);
    picture_ = new QSvgWidget(this);
    picture_->setFixedSize(history::kProgressWidth, history::kProgressHeight);
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QString::fromUtf8(texts::kProgressSetting), this));
    bar->addWidget(filter_, 1);
    bar->addWidget(forget_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(note_);
    layout->addWidget(picture_);
    if (store_.state() != history::SqlHistory::State::Writable) forget_->setEnabled(false);
    if (store_.state() == history::SqlHistory::State::ReadOnly)
        note_->setText(QString::fromUtf8(texts::kProgressNewer));
    if (store_.state() == history::SqlHistory::State::Unavailable) note_->setText(QString::fromUtf8(texts::kProgressUnreadable));
    note_->setVisible(!note_->text().isEmpty());
    connect(filter_, &QComboBox::currentIndexChanged, this, [this] { redraw(); });
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

}  // namespace zv
