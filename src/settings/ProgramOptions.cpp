#include "settings/ProgramOptions.h"

#include "settings/Product.h"

#include <cstdio>
#include <cstring>

const char QuivoraUsage[] =
    "A notes editor that keeps a tree of rich-text items in one file.\n"
    "\n"
    "  FILE            open the tree file FILE (all arguments joined by blanks\n"
    "                  name it, so a path with blanks needs no quotes)\n"
    "  -h, --help      show this text and exit\n"
    "  -v, --version   show the product name and version and exit\n";

int AnswerProgramOption(int argc, const char *const *argv, const char *program, const char *usage)
{
    if (argc != 2)
        return -1;
    const char *arg = argv[1];
    const bool help = !strcmp(arg, "--help") || !strcmp(arg, "-h");
    const bool version = !strcmp(arg, "--version") || !strcmp(arg, "-v");
    if (!help && !version)
        return -1;
    const QByteArray name = ProductName().toUtf8();
    const QByteArray number = VersionString().toUtf8();
    if (version && !strcmp(program, "quivora")) {
        printf("%s %s\n", name.constData(), number.constData());
    } else if (version) {
        printf("%s (%s) %s\n", program, name.constData(), number.constData());
    } else {
        printf("%s %s\nUsage: %s %s\n\n%s", name.constData(), number.constData(), program,
               strcmp(program, "qvr") ? "[FILE]" : "COMMAND FILE [ARGUMENTS]", usage);
    }
    return fflush(stdout) == 0 ? 0 : 2;
}
