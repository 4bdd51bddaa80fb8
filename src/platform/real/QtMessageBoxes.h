// Modal message boxes on QMessageBox, parented to the main window once it exists.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/Services.h"

namespace zv {

class QtMessageBoxes final : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void information(const std::string& caption, const std::string& text) override;
    int askYesNo(const std::string& text) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace zv
