// Search across every item: node names and item text read from the master
// file in memory, never from the disk.
#include "store/Search.h"

#include "rtf/Rtf.h"
#include "store/MasterFile.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QTextDocument>
#include <QTreeWidget>

QRegularExpression SearchExpression(const SearchQuery &query, QString *error)
{
    if (query.text.isEmpty()) {
        if (error)
            *error = QStringLiteral("Type the text to find.");
        return QRegularExpression(QStringLiteral("("));
    }
    QRegularExpression::PatternOptions options =
        QRegularExpression::UseUnicodePropertiesOption | QRegularExpression::MultilineOption;
    if (!query.matchCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    // ^ and $ stand for the ends of a paragraph (MultilineOption above).
    QRegularExpression re(query.regex ? query.text : QRegularExpression::escape(query.text), options);
    if (!re.isValid()) {
        if (error)
            *error = QStringLiteral("The regular expression is not valid: ") + re.errorString()
                     + QStringLiteral(" at position %1.").arg(re.patternErrorOffset());
        return re;
    }
    // Not \b: it would demand a word character at the ends of the text,
    // and "C++" could never match as a whole word.
    if (query.wholeWord)
        re.setPattern(QStringLiteral("(?<!\\w)(?:") + re.pattern() + QStringLiteral(")(?!\\w)"));
    re.optimize();
    return re;
}

QString ItemPlainText(const QByteArray &rtf, QTextDocument *reader)
{
    rtf::read(rtf, reader);
    return reader->toPlainText();
}

ItemTextCache::ItemTextCache() : m_reader(std::make_unique<QTextDocument>()) {}

ItemTextCache::~ItemTextCache() = default;

QString ItemTextCache::plainText(const MasterFile &master, int key)
{
    const quint64 stamp = master.blockStamp(key);
    if (stamp == 0) {
        m_entries.remove(key);
        return {};
    }
    Entry &e = m_entries[key];
    e.used = true;
    if (e.stamp != stamp) {
        e.text = ItemPlainText(master.blockText(key), m_reader.get());
        e.stamp = stamp;
        ++m_extractions;
    }
    return e.text;
}

void ItemTextCache::dropUnused()
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (!it->used) {
            it = m_entries.erase(it);
            continue;
        }
        it->used = false;
        ++it;
    }
}

void ItemTextCache::clear()
{
    m_entries.clear();
}

namespace {

SearchHit hitAt(int key, bool inName, const QString &text, const QRegularExpressionMatch &m)
{
    SearchHit h;
    h.key = key;
    h.inName = inName;
    h.start = m.capturedStart();
    h.length = m.capturedLength();
    const qsizetype before = h.start > 0 ? text.lastIndexOf(QLatin1Char('\n'), h.start - 1) : -1;
    h.lineStart = before + 1;
    const qsizetype after = text.indexOf(QLatin1Char('\n'), h.start + h.length);
    h.lineEnd = after < 0 ? text.size() : after;
    return h;
}

} // namespace

qsizetype SearchItems(QTreeWidget *tree, const MasterFile &master, ItemTextCache &cache,
                      const QRegularExpression &expression, bool names, const SearchHitFn &onHit)
{
    if (!expression.isValid())
        return 0;
    qsizetype count = 0;
    bool wanted = true;
    const auto scan = [&](QTreeWidgetItem *node, int key, bool inName, const QString &text) {
        if (text.isEmpty())
            return;
        QRegularExpressionMatchIterator it = expression.globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            if (m.capturedLength() == 0) // an empty match marks nothing
                continue;
            ++count;
            if (wanted)
                wanted = onHit(node, hitAt(key, inName, text, m), text);
        }
    };
    ForEachNode(tree, [&](QTreeWidgetItem *node) {
        const int key = NodeKey(node);
        if (names)
            scan(node, key, true, node->text(0));
        if (IsItemKey(key))
            scan(node, key, false, cache.plainText(master, key));
        return true;
    });
    cache.dropUnused();
    return count;
}

QString HitLine(const QString &text, const SearchHit &hit, int width, qsizetype *matchAt)
{
    // Some words before the match, so it reads in its place.
    const qsizetype lead = qMax<qsizetype>(width / 4, 1);
    qsizetype from = qMax(hit.lineStart, hit.start - lead);
    const qsizetype to = qMin(hit.lineEnd, qMax(from + width, hit.start + hit.length));
    QString line = text.mid(from, to - from);
    qsizetype at = hit.start - from;
    // Pictures stand in the text as object characters, which show nothing.
    for (qsizetype i = line.size() - 1; i >= 0; --i) {
        if (line.at(i) == QChar::ObjectReplacementCharacter || line.at(i) == QLatin1Char('\t')) {
            if (line.at(i) == QLatin1Char('\t')) {
                line[i] = QLatin1Char(' ');
                continue;
            }
            line.remove(i, 1);
            if (i < at)
                --at;
        }
    }
    if (from > hit.lineStart) {
        line.prepend(QStringLiteral("\u2026"));
        ++at;
    }
    if (to < hit.lineEnd)
        line.append(QStringLiteral("\u2026"));
    if (matchAt)
        *matchAt = at;
    return line;
}
