// Pictures decoded with Qt's image readers.
#pragma once

#include <QImage>

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
    // Null for a missing, empty, unreadable, truncated or oversized file, a directory
    // and anything that is not a picture. The format is found from the content.
    std::shared_ptr<const Picture> load(const std::string& path) override;
};

}  // namespace zv
