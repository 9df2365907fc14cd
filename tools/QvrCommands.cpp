#include "QvrCommands.h"

#include "QvrDocument.h"
#include "QvrExport.h"
#include "QvrGrep.h"
#include "QvrItemText.h"
#include "store/Integrity.h"
#include "store/NodeTree.h"
#include "store/Search.h"
#include "store/TreeFormat.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QTextStream>
#include <QTreeWidget>
#include <cstdio>

namespace {

constexpr int ExitPassed = 0;
constexpr int ExitCheckFailed = 1;
constexpr int ExitCannotOpen = 2; // also: cannot write, wrong usage
constexpr int ExitNoItem = 3;

const QCommandLineOption &toOption()
{
    static const QCommandLineOption o(QStringLiteral("to"),
                                      QStringLiteral("export: the folder to write into."),
                                      QStringLiteral("DIR"));
    return o;
}

const QCommandLineOption &formatOption()
{
    static const QCommandLineOption o(QStringLiteral("format"),
                                      QStringLiteral("cat, export: txt (default), rtf, html or pdf."),
                                      QStringLiteral("FORMAT"), QStringLiteral("txt"));
    return o;
}

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

// Report texts carry CR LF line ends, as in the program's message boxes.
QString plain(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.trimmed();
}

int cannotOpen(const QString &file, const QString &why)
{
    err() << "qvr: " << file << ": " << plain(why) << Qt::endl;
    return ExitCannotOpen;
}

// Loading reports of a document that opened all the same; the command goes on.
void warnLoadMessages(const QString &file, const QvrDocument &d)
{
    for (const QString &m : std::as_const(d.loadMessages))
        err() << "qvr: " << file << ": " << plain(m) << Qt::endl;
}

int usage(const QCommandLineParser &parser, const QString &why)
{
    err() << "qvr: " << why << Qt::endl << parser.helpText();
    return ExitCannotOpen;
}

int cat(const QString &file, const QString &target, TextFormat format)
{
    QvrDocument &d = CommandDocument();
    QString error;
    if (!d.open(file, &error))
        return cannotOpen(file, error);
    warnLoadMessages(file, d);
    QTreeWidgetItem *node = FindNode(&d.tree, target);
    if (!node) {
        err() << "qvr: " << file << ": no node " << target << Qt::endl;
        return ExitNoItem;
    }
    if (!IsItem(node)) {
        err() << "qvr: " << file << ": " << target << " is not an item" << Qt::endl;
        return ExitNoItem;
    }
    const QByteArray bytes = ItemTextBytes(d.doc.master, NodeKey(node), format, &error);
    if (!error.isEmpty()) {
        err() << "qvr: " << file << ": " << target << ": " << error << Qt::endl;
        return ExitCannotOpen;
    }
    // Bytes as they are: the text stream would re-encode the RTF.
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size())
        || std::fflush(stdout) != 0) {
        err() << "qvr: cannot write the output" << Qt::endl;
        return ExitCannotOpen;
    }
    return ExitPassed;
}

int exportItems(const QString &file, const QString &dir, TextFormat format)
{
    QvrDocument &d = CommandDocument();
    QString error;
    if (!d.open(file, &error))
        return cannotOpen(file, error);
    warnLoadMessages(file, d);
    // Big documents take a while: a line at every tenth of the way.
    constexpr qsizetype ProgressFrom = 1000;
    const auto progress = [](qsizetype done, qsizetype total) {
        if (total <= ProgressFrom)
            return;
        if (done * 10 / total != (done - 1) * 10 / total)
            err() << "exporting: " << done << " of " << total << " items" << Qt::endl;
    };
    ExportResult result;
    if (!ExportDocument(d, dir, format, progress, &result)) {
        err() << "qvr: " << result.failedPath << ": cannot write (" << result.error << ")"
              << Qt::endl;
        return ExitCannotOpen;
    }
    out() << "items: " << result.items << Qt::endl << "folders: " << result.folders << Qt::endl;
    return ExitPassed;
}

int check(const QString &file)
{
    QvrDocument &d = CommandDocument();
    QString error;
    if (!d.open(file, &error))
        return cannotOpen(file, error);
    // Loading already ran the check; its reports are what the program shows.
    if (!d.loadMessages.isEmpty()) {
        for (const QString &m : std::as_const(d.loadMessages))
            err() << "qvr: " << file << ": " << plain(m) << Qt::endl;
        return ExitCheckFailed;
    }
    out() << CountNodes(&d.tree) << " nodes" << Qt::endl << "ok" << Qt::endl;
    return ExitPassed;
}

int tree(const QString &file)
{
    QvrDocument &d = CommandDocument();
    QString error;
    if (!d.open(file, &error))
        return cannotOpen(file, error);
    warnLoadMessages(file, d);
    out().setEncoding(QStringConverter::Utf8);
    ForEachNodePath(&d.tree, [](QTreeWidgetItem *, const QString &path) {
        out() << path << '\n';
        return true;
    });
    out().flush();
    return ExitPassed;
}

} // namespace

void AddCommandOptions(QCommandLineParser &parser)
{
    parser.addOption(toOption());
    parser.addOption(formatOption());
    AddGrepOptions(parser);
}

int RunCommand(const QCommandLineParser &parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() < 2) {
        err() << parser.helpText();
        return ExitCannotOpen;
    }
    const QString command = args[0];
    const QString file = args[1];
    if (command == QLatin1String("check"))
        return check(file);
    if (command == QLatin1String("tree"))
        return tree(file);
    if (command == QLatin1String("grep")) {
        if (args.size() != 3)
            return usage(parser, QStringLiteral("grep needs FILE and PATTERN"));
        return Grep(file, GrepQuery(parser, args[2]));
    }
    if (command == QLatin1String("cat") || command == QLatin1String("export")) {
        const QString formatName = parser.value(formatOption());
        const std::optional<TextFormat> format = ParseTextFormat(formatName);
        if (!format)
            return usage(parser, QStringLiteral("unknown format '") + formatName
                                     + QStringLiteral("' (txt, rtf, html or pdf)"));
        if (command == QLatin1String("cat")) {
            if (args.size() != 3)
                return usage(parser, QStringLiteral("cat needs FILE and PATH"));
            return cat(file, args[2], *format);
        }
        if (args.size() != 2 || !parser.isSet(toOption()) || parser.value(toOption()).isEmpty())
            return usage(parser, QStringLiteral("export needs FILE and --to DIR"));
        return exportItems(file, parser.value(toOption()), *format);
    }
    err() << "qvr: unknown command '" << command << "'" << Qt::endl << parser.helpText();
    return ExitCannotOpen;
}
