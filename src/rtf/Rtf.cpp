#include "rtf/Rtf.h"
#include <QTextDocument>

// Placeholder until the codec lands: plain text both ways.
namespace rtf {
void read(const QByteArray &data, QTextDocument *doc) { doc->setPlainText(QString::fromLatin1(data)); }
QByteArray write(const QTextDocument *doc) { return doc->toPlainText().toLatin1(); }
} // namespace rtf
