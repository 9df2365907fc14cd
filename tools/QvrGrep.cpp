#include "QvrGrep.h"

#include "QvrDocument.h"
#include "store/NodeTree.h"
#include "store/Search.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QTextStream>

namespace {

constexpr int ExitFound = 0;
constexpr int ExitNone = 1;
constexpr int ExitError = 2;

const QCommandLineOption &ignoreCase()
{
    static const QCommandLineOption o(QStringLiteral("i"), QStringLiteral("grep: letter case aside."));
    return o;
}
const QCommandLineOption &wholeWord()
{
    static const QCommandLineOption o(QStringLiteral("w"), QStringLiteral("grep: whole words only."));
    return o;
}
const QCommandLineOption &regex()
{
    static const QCommandLineOption o(QStringLiteral("E"),
                                      QStringLiteral("grep: PATTERN is a regular expression."));
    return o;
}
const QCommandLineOption &names()
{
    static const QCommandLineOption o(QStringLiteral("names"),
                                      QStringLiteral("grep: search node names as well."));
    return o;
}

QString oneLine(QString text)
{
    text.remove(QChar::ObjectReplacementCharacter);
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.trimmed();
}

} // namespace

void AddGrepOptions(QCommandLineParser &parser)
{
    parser.addOptions({ignoreCase(), wholeWord(), regex(), names()});
}

SearchQuery GrepQuery(const QCommandLineParser &parser, const QString &pattern)
{
    SearchQuery q;
    q.text = pattern;
    q.matchCase = !parser.isSet(ignoreCase());
    q.wholeWord = parser.isSet(wholeWord());
    q.regex = parser.isSet(regex());
    q.names = parser.isSet(names());
    return q;
}

int Grep(const QString &file, const SearchQuery &query)
{
    QTextStream err(stderr);
    QString error;
    const QRegularExpression re = SearchExpression(query, &error);
    if (!re.isValid()) {
        err << "qvr: " << error << Qt::endl;
        return ExitError;
    }
    QvrDocument &d = CommandDocument();
    if (!d.open(file, &error)) {
        err << "qvr: " << file << ": " << oneLine(error) << Qt::endl;
        return ExitError;
    }
    for (const QString &m : std::as_const(d.loadMessages))
        err << "qvr: " << file << ": " << oneLine(m) << Qt::endl;

    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    ItemTextCache cache;
    // A line with several matches is printed once.
    SearchHit last{-1};
    qsizetype lastLine = -1;
    const qsizetype count = SearchItems(&d.tree, d.doc.master, cache, query,
                                        [&](QTreeWidgetItem *node, const SearchHit &hit, const QString &text) {
                                            const auto [from, to] = HitLineBounds(text, hit);
                                            if (hit.key == last.key && hit.inName == last.inName
                                                && from == lastLine)
                                                return true;
                                            last = hit;
                                            lastLine = from;
                                            out << NodePath(node) << '\t' << oneLine(text.mid(from, to - from))
                                                << '\n';
                                            return true;
                                        });
    out.flush();
    return count > 0 ? ExitFound : ExitNone;
}
