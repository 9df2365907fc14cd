#include "QvrCommands.h"

#include "QvrDocument.h"
#include "store/Integrity.h"
#include "store/NodeTree.h"

#include <QCommandLineParser>
#include <QTextStream>

namespace {

constexpr int ExitPassed = 0;
constexpr int ExitCheckFailed = 1;
constexpr int ExitCannotOpen = 2;

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

int check(const QString &file)
{
    QvrDocument d;
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
    QvrDocument d;
    QString error;
    if (!d.open(file, &error))
        return cannotOpen(file, error);
    for (const QString &m : std::as_const(d.loadMessages))
        err() << "qvr: " << file << ": " << plain(m) << Qt::endl;
    out().setEncoding(QStringConverter::Utf8);
    ForEachNode(&d.tree, [](QTreeWidgetItem *node) {
        out() << NodePath(node) << '\n';
        return true;
    });
    out().flush();
    return ExitPassed;
}

} // namespace

void AddCommandOptions(QCommandLineParser &)
{
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
    err() << "qvr: unknown command '" << command << "'" << Qt::endl << parser.helpText();
    return ExitCannotOpen;
}
