// Tree-file bytes, read from memory as the command-line tool reads a file:
// load (converting the older layout), the integrity check, every node path.
#include "FuzzSupport.h"
#include "QvrDocument.h"
#include "store/Integrity.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    MakeFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 256 * 1024)
        return 0;
    QvrDocument d;
    if (!OpenFromMemory(d, FuzzBytes(data, size)))
        return 0;
    AutoCheck(&d.tree, d.doc);
    qsizetype total = 0;
    ForEachNodePath(&d.tree, [&](QTreeWidgetItem *, const QString &path) {
        total += path.size();
        return true;
    });
    return total < 0;
}
