#include "platform/real/QtPictures.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace zv {

namespace {

// Upper bound on a picture file; the game's pictures are a few kilobytes.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

// A JPEG whose data stops early still decodes (the rest painted grey), so insist on
// the end-of-image marker. Some writers pad after it; allow a short tail.
bool jpegIsComplete(const QByteArray& data) {
    const qsizetype tail = qMin<qsizetype>(data.size(), 1024);
    return data.lastIndexOf("\xFF\xD9") >= data.size() - tail;
}

}  // namespace

QtPictures::~QtPictures() {
    if (worker_.joinable()) worker_.join();
}

void QtPictures::prefetch(const std::vector<std::string>& paths) {
    if (worker_.joinable()) worker_.join();
    std::vector<std::pair<std::string, std::promise<std::shared_ptr<const Picture>>>> jobs;
    for (const std::string& path : paths) {
        if (ahead_.count(path)) continue;  // the same file under two folders' names
        jobs.emplace_back(path, std::promise<std::shared_ptr<const Picture>>());
        ahead_.emplace(path, jobs.back().second.get_future().share());
    }
    // QImageReader and QImage need no event loop and may be used on any thread.
    worker_ = std::thread([jobs = std::move(jobs)]() mutable {
        for (auto& [path, result] : jobs) result.set_value(decode(path));
    });
}

std::shared_ptr<const Picture> QtPictures::load(const std::string& path) {
    const auto ahead = ahead_.find(path);
    if (ahead == ahead_.end()) return decode(path);
    const auto picture = ahead->second.get();
    ahead_.erase(ahead);
    return picture;
}

std::shared_ptr<const Picture> QtPictures::decode(const std::string& path) {
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    const QFileInfo info(name);
    // Directories, devices and FIFOs are not pictures (and a FIFO would block).
    if (!info.isFile() || info.size() <= 0 || info.size() > kMaxFileBytes) return nullptr;

    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) return nullptr;
    QByteArray data = file.read(kMaxFileBytes);
    if (data.isEmpty()) return nullptr;

    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    // Qt's allocation limit (256 MB by default) stays in force: a picture with huge
    // dimensions is refused from its header, before any pixel is decoded.
    if (!reader.canRead()) return nullptr;
    if (reader.format() == "jpeg" && !jpegIsComplete(data)) return nullptr;
    QImage image = reader.read();
    if (image.isNull()) return nullptr;
    return std::make_shared<QtPicture>(std::move(image));
}

}  // namespace zv
