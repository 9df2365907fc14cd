#pragma once
#include <QImage>

namespace rtf::detail {

// What the editor shows for a picture it cannot draw (a metafile, say): a
// small grey framed box, one for every such picture, scaled to each
// picture's size when drawn.
QImage placeholderImage();

} // namespace rtf::detail
