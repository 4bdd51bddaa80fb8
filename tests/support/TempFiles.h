// A temporary folder for tests that write files of their own.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <string>

namespace zv::test {

class TempFiles {
public:
    // Writes name with data inside the folder and returns its path.
    QString write(const QString& name, const QByteArray& data) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) f.write(data);
        return path;
    }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString folder() const { return dir_.path(); }
    // A path as the platform services take it.
    static std::string native(const QString& q) { return QFile::encodeName(q).toStdString(); }

private:
    QTemporaryDir dir_;
};

}  // namespace zv::test
