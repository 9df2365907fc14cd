#include "rtf/RtfPicture.h"

#include <QColor>


namespace rtf::detail {

QImage placeholderImage()
{
    constexpr int w = 32;
    constexpr int h = 32;
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(0xE0, 0xE0, 0xE0));
    constexpr QRgb frame = 0xFF808080;
    for (int x = 0; x < w; ++x) {
        image.setPixel(x, 0, frame);
        image.setPixel(x, h - 1, frame);
    }
    for (int y = 0; y < h; ++y) {
        image.setPixel(0, y, frame);
        image.setPixel(w - 1, y, frame);
    }
    return image;
}

} // namespace rtf::detail
