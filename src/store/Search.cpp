// Search across every item: node names and item text read from the master
// file in memory, never from the disk.
#include "store/Search.h"

#include "rtf/Rtf.h"
#include "store/MasterFile.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QStringMatcher>
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
    // Nothing changed since the last search: what it kept holds.
    if (master.textVersion() == m_version) {
        const auto it = m_entries.find(key);
        if (it != m_entries.end()) {
            it->used = true;
            return it->text;
        }
    }
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

void ItemTextCache::dropUnused(const MasterFile &master)
{
    m_version = master.textVersion();
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
    m_version = 0;
}

namespace {

} // namespace

std::pair<qsizetype, qsizetype> HitLineBounds(const QString &text, const SearchHit &hit)
{
    const qsizetype before = hit.start > 0 ? text.lastIndexOf(QLatin1Char('\n'), hit.start - 1) : -1;
    const qsizetype after = text.indexOf(QLatin1Char('\n'), hit.start + hit.length);
    return {before + 1, after < 0 ? text.size() : after};
}

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c == QLatin1Char('_');
}

// Finds the matches of a query in one text at a time. Literal text, the
// common case, is found without the regular expression engine, whose match
// objects cost two allocations each: a common word has millions of matches.
class Finder
{
public:
    explicit Finder(const SearchQuery &query)
        : m_re(SearchExpression(query)), m_literal(!query.regex), m_wholeWord(query.wholeWord),
          m_matcher(query.text, query.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive)
    {
        if (!query.text.isEmpty()) {
            m_first = query.text.at(0).toCaseFolded().unicode();
            m_firstOther = QChar(m_first).toUpper().unicode();
            // The Kelvin sign folds to "k" and the long s to "s".
            m_firstIsPlain = m_first < 0x80 && m_first != u'k' && m_first != u's';
        }
    }
    bool isValid() const { return m_re.isValid(); }

    template <typename Fn> void forEach(const QString &text, Fn &&fn) const
    {
        if (m_literal) {
            const qsizetype n = m_matcher.pattern().size();
            Places places;
            for (qsizetype at = indexIn(text, 0, places); at >= 0; at = indexIn(text, at + 1, places)) {
                if (m_wholeWord && ((at > 0 && isWordChar(text.at(at - 1)))
                                    || (at + n < text.size() && isWordChar(text.at(at + n)))))
                    continue;
                fn(at, n);
                at += n - 1; // matches do not overlap
            }
            return;
        }
        QRegularExpressionMatchIterator it = m_re.globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            if (m.capturedLength() > 0) // an empty match marks nothing
                fn(m.capturedStart(), m.capturedLength());
        }
    }

private:
    // Where the first letter's two forms come next in one text; -2 not yet looked for.
    struct Places
    {
        qsizetype a = -2, b = -2;
    };

    // Letter case aside, only places whose first character may start the
    // text are compared whole: folding every character costs more than
    // the rest of a search.
    qsizetype indexIn(const QString &text, qsizetype from, Places &state) const
    {
        if (m_matcher.caseSensitivity() == Qt::CaseSensitive)
            return m_matcher.indexIn(text, from);
        const QString &needle = m_matcher.pattern();
        const qsizetype last = text.size() - needle.size();
        const auto matchesAt = [&](qsizetype at) {
            return QStringView(text).sliced(at, needle.size()).compare(needle, Qt::CaseInsensitive) == 0;
        };
        if (m_firstIsPlain) {
            // Only the two letters themselves can start it: the character
            // search of the string class is many times faster than a loop.
            // Each letter's next place is kept, so none is searched twice.
            const QStringView view(text);
            const auto nextOf = [&](qsizetype &place, char16_t c) {
                if (place != -1 && place < from)
                    place = view.indexOf(QChar(c), from);
            };
            while (true) {
                nextOf(state.a, m_first);
                nextOf(state.b, m_firstOther);
                const qsizetype at = state.a < 0 ? state.b : state.b < 0 ? state.a : qMin(state.a, state.b);
                if (at < 0 || at > last)
                    return -1;
                if (matchesAt(at))
                    return at;
                from = at + 1;
            }
        }
        const auto *p = reinterpret_cast<const char16_t *>(text.constData());
        for (qsizetype at = from; at <= last; ++at) {
            const char16_t c = p[at];
            if (c != m_first && c != m_firstOther && (c < 0x80 || QChar::toCaseFolded(char32_t(c)) != m_first))
                continue;
            if (matchesAt(at))
                return at;
        }
        return -1;
    }

    QRegularExpression m_re;
    bool m_literal;
    bool m_wholeWord;
    QStringMatcher m_matcher;
    char16_t m_first = 0;      // the text's first character, case folded
    char16_t m_firstOther = 0; // and in upper case
    bool m_firstIsPlain = false; // an ASCII letter or sign no other character folds to
};

} // namespace

qsizetype SearchItems(QTreeWidget *tree, const MasterFile &master, ItemTextCache &cache,
                      const SearchQuery &query, const SearchHitFn &onHit)
{
    const Finder finder(query);
    if (!finder.isValid())
        return 0;
    qsizetype count = 0;
    bool wanted = true;
    const auto scan = [&](QTreeWidgetItem *node, int key, bool inName, const QString &text) {
        finder.forEach(text, [&](qsizetype start, qsizetype length) {
            ++count;
            if (wanted)
                wanted = onHit(node, SearchHit{key, inName, start, length}, text);
        });
    };
    ForEachNode(tree, [&](QTreeWidgetItem *node) {
        const int key = NodeKey(node);
        if (query.names)
            scan(node, key, true, node->text(0));
        if (IsItemKey(key))
            scan(node, key, false, cache.plainText(master, key));
        return true;
    });
    cache.dropUnused(master);
    return count;
}

QString HitLine(const QString &text, const SearchHit &hit, int width, qsizetype *matchAt)
{
    // Some words before the match, so it reads in its place.
    const auto [lineStart, lineEnd] = HitLineBounds(text, hit);
    const qsizetype lead = qMax<qsizetype>(width / 4, 1);
    const qsizetype from = qMax(lineStart, hit.start - lead);
    const qsizetype to = qMin(lineEnd, qMax(from + width, hit.start + hit.length));
    QString line = text.mid(from, to - from);
    qsizetype at = hit.start - from;
    // Pictures stand in the text as object characters, which show nothing.
    for (qsizetype i = line.size() - 1; i >= 0; --i) {
        if (line.at(i) == QLatin1Char('\t')) {
            line[i] = QLatin1Char(' ');
        } else if (line.at(i) == QChar::ObjectReplacementCharacter) {
            line.remove(i, 1);
            if (i < at)
                --at;
        }
    }
    if (from > lineStart) {
        line.prepend(QStringLiteral("\u2026"));
        ++at;
    }
    if (to < lineEnd)
        line.append(QStringLiteral("\u2026"));
    if (matchAt)
        *matchAt = at;
    return line;
}
