#pragma once
#include <QByteArray>

class QTextDocument;

namespace rtf::detail {

// Reads data that begins with "{\rtf" into doc (cleared first by the caller).
void readRtf(const QByteArray &data, QTextDocument *doc);

} // namespace rtf::detail
