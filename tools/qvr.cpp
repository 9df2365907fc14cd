// qvr: the tree files of Quivora for scripts and batch work.
#include "QvrCommands.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    // No display is needed: the explorer tree is never shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qvr"));
    QApplication::setOrganizationName(QStringLiteral("Corvanta"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Quivora tree files for scripts.\n\n"
        "  qvr check FILE   load FILE as Quivora does and run the integrity check\n"
        "                   (exit 0: passes, 1: loads but fails the check, 2: cannot be opened)\n"
        "  qvr tree FILE    print the node path of every node in tree order"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("check or tree"));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("a tree file"));
    AddCommandOptions(parser);
    parser.process(app);
    return RunCommand(parser);
}
