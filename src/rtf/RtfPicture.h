#pragma once
#include <QImage>

namespace rtf::detail {

// What the editor shows for a picture it cannot draw (a metafile, say):
// a grey framed box of the picture's size in pixels, capped for memory.
QImage placeholderImage(double width, double height);

} // namespace rtf::detail
