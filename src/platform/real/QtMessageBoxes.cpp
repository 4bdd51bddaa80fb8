#include "platform/real/QtMessageBoxes.h"

#include <QMessageBox>

namespace zv {

namespace {

// Lines come separated by CR LF; Qt's text layout breaks the line there exactly as
// for a lone LF, so the text is shown as it is.
QString boxText(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

void QtMessageBoxes::information(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), boxText(text), QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int QtMessageBoxes::askYesNo(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), boxText(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);  // Esc and the close button answer No
    return box.exec() == QMessageBox::Yes ? kYes : kNo;
}

}  // namespace zv
