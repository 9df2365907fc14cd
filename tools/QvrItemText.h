#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

class MasterFile;

// The forms in which the tool hands out an item's text.
enum class TextFormat {
    Txt,  // plain text, UTF-8, LF line ends
    Rtf,  // RTF as our writer writes it
    Html, // HTML as the editor's document gives it
    Pdf,  // paginated as Print Preview does, on the locale's paper
};

// "txt", "rtf", "html" or "pdf"; nothing for anything else.
std::optional<TextFormat> ParseTextFormat(const QString &name);
// ".txt", ".rtf", ".html" or ".pdf".
QString TextFormatExtension(TextFormat format);

// The text of item `key` in `format`. An item without a text block has empty
// text: no bytes as txt, an empty document as rtf or html. A PDF that cannot
// be made (text too big for the page) gives no bytes and the reason in `error`.
QByteArray ItemTextBytes(const MasterFile &master, int key, TextFormat format, QString *error = nullptr);
