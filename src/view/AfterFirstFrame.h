// Runs a job once, in the turn of the event loop after a window's first frame was
// painted and flushed; should no frame be painted within a second (a start
// minimised), it runs then. The job learns which of the two happened. What the first
// frame does not need waits for it this way.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace zv {

class AfterFirstFrame final : public QObject {
public:
    AfterFirstFrame(QWidget* window, std::function<void(bool painted)> job) : window_(window), job_(std::move(job)) {
        qApp->installEventFilter(this);
        QTimer::singleShot(1000, this, [this] { run(false); });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || w->window() != window_) return false;
        qApp->removeEventFilter(this);
        // Every widget of the frame paints in this pass and the frame is flushed
        // right after it, so the next turn of the loop finds it done.
        QTimer::singleShot(0, this, [this] { run(true); });
        return false;
    }

private:
    void run(bool painted) {
        qApp->removeEventFilter(this);
        if (!job_) return;
        const auto job = std::move(job_);
        job_ = nullptr;
        job(painted);
    }

    QWidget* window_;
    std::function<void(bool)> job_;
};

}  // namespace zv
