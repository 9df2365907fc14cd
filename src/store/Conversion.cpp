#include "store/Conversion.h"

#include "store/Cp1252.h"
#include "store/DocState.h"
#include "store/InfoWindow.h"
#include "store/TreeFormat.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHash>
#include <memory>

bool IsOldFormat(const QList<QByteArray> &lines)
{
    if (lines.size() < 2)
        return false;
    const QByteArray start = lines[0].left(17);
    return (start == "Kestrava Ver. 1.0" || start == "Kestrava Ver. 1.1") && lines[1] == "Tree";
}

std::pair<QByteArray, QByteArray> SplitNodePath(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('\\');
    if (slash < 0)
        return {};
    return {path.left(slash), path.mid(slash + 1)};
}

namespace {

// Shows the wait window, and the hourglass, for as long as it lives; both go
// away however the conversion ends.
class ConversionNotice
{
public:
    explicit ConversionNotice(bool show)
    {
        // Nobody would see it without a screen (the command-line tool, tests).
        if (!show || !qobject_cast<QApplication *>(QCoreApplication::instance())
            || QGuiApplication::platformName() == QLatin1String("offscreen"))
            return;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_window = std::make_unique<TInfo>();
        m_window->show();
        QCoreApplication::processEvents();
    }
    ~ConversionNotice()
    {
        if (m_window)
            QGuiApplication::restoreOverrideCursor();
    }

private:
    std::unique_ptr<TInfo> m_window;
};

} // namespace

bool ConvertOldFormat(QList<QByteArray> &lines, DocState &doc)
{
    if (lines.size() < 5)
        return true;
    ConversionNotice notice(doc.ui != nullptr);

    qsizetype endIndex = 2;
    while (endIndex < lines.size() && lines[endIndex] != EndLine)
        ++endIndex;
    const qsizetype count = endIndex - 2;

    // Parent paths are looked up by the path part of each old line; the first
    // line with a path wins, as a scan from the top would find it.
    QHash<QByteArray, QByteArray> keyOfPath;
    keyOfPath.reserve(count);
    for (qsizetype i = 2; i < endIndex; ++i) {
        const QByteArray path = lines[i].mid(7);
        if (!keyOfPath.contains(path))
            keyOfPath.insert(path, lines[i].left(7));
    }

    QList<QByteArray> converted;
    converted.reserve(count + 7);
    const QByteArray today = ToCp1252(TodayText());
    converted << lines[0] << "Created: " + today << "LastSaved: " + today << "Res1" << "Res2"
              << "Res3" << "Tree";
    if (count > 0)
        converted << QByteArray(RootLine);
    for (qsizetype i = 1; i < count; ++i) {
        const QByteArray &old = lines[i + 2];
        const auto [parentPath, name] = SplitNodePath(old.mid(7));
        converted << old.left(7) + ' ' + keyOfPath.value(parentPath) + ' ' + name;
    }
    for (qsizetype i = endIndex; i < lines.size(); ++i)
        converted << lines[i];
    lines = std::move(converted);

    doc.master.setLines(lines);
    return doc.masterPath().isEmpty() || doc.master.save();
}
