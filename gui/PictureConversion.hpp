#pragma once
// Copies a core picture (24-bit RGB rows) into a Qt image for display.

#include "shell/Image.hpp"

#include <QImage>
#include <QPixmap>

#include <cstring>

// A deep copy: the result does not refer to the picture's bytes.
inline QImage toQImage(const vantor::Image& picture)
{
    if (picture.empty())
        return {};
    QImage image(picture.width(), picture.height(), QImage::Format_RGB888);
    const auto rowBytes = static_cast<std::size_t>(picture.width()) * 3;
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(image.scanLine(y), picture.row(y), rowBytes);
    return image;
}

inline QPixmap toPixmap(const vantor::Image& picture)
{
    return QPixmap::fromImage(toQImage(picture));
}
