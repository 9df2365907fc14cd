// qvr: the tree files of Quivora for scripts and batch work.
#include "QvrCommands.h"

#include "settings/ProgramOptions.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstring>

namespace {
// Qt's own start-up chatter (a missing runtime folder and the like) is not
// for scripts reading our stderr.
void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg || type == QtCriticalMsg)
        fprintf(stderr, "%s\n", qPrintable(message));
}
} // namespace

int main(int argc, char *argv[])
{
    // The version needs no application object; --help stays the parser's.
    if (argc == 2 && (!strcmp(argv[1], "--version") || !strcmp(argv[1], "-v")))
        return AnswerProgramOption(argc, argv, "qvr", "");
    qInstallMessageHandler(quietHandler);
    // No display is needed: the explorer tree is never shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qvr"));
    QApplication::setOrganizationName(QStringLiteral("Corvanta"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Quivora tree files for scripts. FILE is only read, never written, and read\n"
        "into memory: no copy of it is made, not even of a file in the older layout.\n"
        "\n"
        "  qvr check FILE   load FILE as Quivora does and run the integrity check\n"
        "                   (exit 0: passes, 1: loads but fails the check, 2: cannot be opened)\n"
        "  qvr tree FILE    print the node path of every node in tree order\n"
        "  qvr cat FILE PATH [--format txt|rtf|html|pdf]\n"
        "                   print the text of the item at PATH, a node path as 'qvr tree'\n"
        "                   prints it or a seven-digit node key; when names holding \"\\\"\n"
        "                   make several nodes share a path, the first in tree order wins\n"
        "                   (exit 3: no such node, or the node is not an item)\n"
        "  qvr grep FILE PATTERN [-i] [-w] [-E] [--names]\n"
        "                   print \"node path<TAB>line\" for every line of item text that\n"
        "                   holds PATTERN, in tree order (a line with several matches once):\n"
        "                   -i letter case aside, -w whole words only, -E PATTERN is a\n"
        "                   regular expression (Perl-like), --names node names too (the\n"
        "                   name is the line) (exit 0: matches, 1: none, 2: cannot open\n"
        "                   FILE or PATTERN is not valid)\n"
        "  qvr export FILE --to DIR [--format txt|rtf|html|pdf]\n"
        "                   write every item's text as one file per item: items under the\n"
        "                   root go into DIR itself (made when missing), each branch becomes\n"
        "                   a folder of its name, each item a file of its name with the\n"
        "                   extension .txt, .rtf or .html; files of the same names already\n"
        "                   there are replaced, symbolic links there are refused (never\n"
        "                   followed), and FILE itself is never written: an item that meets\n"
        "                   its name takes the next number. A progress line goes to stderr\n"
        "                   at every tenth when there are more than 1000 items.\n"
        "\n"
        "Formats: txt is plain text in UTF-8 with LF line ends, every paragraph ending\n"
        "with one (pictures left out); rtf is the item's text read and written again by\n"
        "Quivora's RTF writer; html is the HTML of the editor's document. An item that\n"
        "has no text gives an empty txt and an empty rtf or html document.\n"
        "\n"
        "File names: the characters / \\ : * ? \" < > | and control characters become \"_\",\n"
        "trailing dots and blanks are dropped, device names such as CON or LPT1 and names\n"
        "beginning with a dot get a leading \"_\", an empty name becomes \"_\", long names\n"
        "are cut short. Names that meet in one folder, letter case aside, are numbered:\n"
        "\"name (2).txt\".\n"
        "\n"
        "Exit codes: 0 done; 1 the check failed (check); 2 FILE cannot be opened, DIR or\n"
        "the output cannot be written, or the command line is wrong; 3 (cat) no such\n"
        "node or not an item. Reports of a document that loads all the same (a failed\n"
        "check) go to stderr, and tree, cat, grep and export go on. grep: 0 matches found,\n"
        "1 none, 2 as above or PATTERN is not a valid regular expression."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("check, tree, cat, grep or export"));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("a tree file"));
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("cat: node path or key; grep: the pattern"),
                                 QStringLiteral("[PATH|PATTERN]"));
    AddCommandOptions(parser);
    parser.process(app);
    return RunCommand(parser);
}
