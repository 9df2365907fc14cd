#include "print/TextOptions.h"

namespace {

QFont makeFont(const QString &family, qreal points, bool bold, bool italic)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

} // namespace

TTextOptions::TTextOptions()
    : m_bodyFont(makeFont(QStringLiteral("Arial"), 10, false, false)),
      m_headerFont(makeFont(QStringLiteral("Times New Roman"), 18, true, false)),
      m_footerFont(makeFont(QStringLiteral("Times New Roman"), 10, false, true)),
      m_pageNumFont(m_footerFont)
{
}

QString FormatPageNumber(const QString &format, int page, QString *error)
{
    QString out;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%')) {
            out += c;
            continue;
        }
        const QChar next = i + 1 < format.size() ? format.at(i + 1) : QChar();
        if (next == QLatin1Char('d'))
            out += QString::number(page);
        else if (next == QLatin1Char('%'))
            out += QLatin1Char('%');
        else {
            if (error)
                *error = QStringLiteral("The page number text \"%1\" can hold only %d for the page number "
                                        "and %% for a percent sign.")
                             .arg(format);
            return {};
        }
        ++i;
    }
    return out;
}
