// Pictures decoded with Qt's image readers.
#pragma once

#include <QImage>
#include <future>
#include <map>
#include <thread>
#include <vector>

#include "platform/Services.h"

namespace zv {

struct QtPicture final : Picture {
    explicit QtPicture(QImage img) : image(std::move(img)) {}
    int width() const override { return image.width(); }
    int height() const override { return image.height(); }
    QImage image;
};

class QtPictures final : public PictureLoader {
public:
    ~QtPictures() override;
    // Null for a missing, empty, unreadable, truncated or oversized file, a directory
    // and anything that is not a picture. The format is found from the content.
    std::shared_ptr<const Picture> load(const std::string& path) override;
    // Starts decoding these files, in order, on a thread of its own; load() of one of
    // them then takes that result (waiting for it if need be) instead of reading the
    // file again. Lets the decoding run while the caller builds its window.
    void prefetch(const std::vector<std::string>& paths);

private:
    static std::shared_ptr<const Picture> decode(const std::string& path);

    std::map<std::string, std::shared_future<std::shared_ptr<const Picture>>> ahead_;
    std::thread worker_;
};

}  // namespace zv
