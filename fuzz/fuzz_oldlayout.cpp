// Files of the older layout: whatever follows its two header lines converts
// in memory without harm, and what comes out is in the current layout.
#include "FuzzSupport.h"
#include "QvrDocument.h"
#include "store/Conversion.h"
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
    QByteArray bytes = FuzzBytes(data, size);
    if (!bytes.startsWith("Kestrava Ver. 1."))
        bytes.prepend("Kestrava Ver. 1.1\r\nTree\r\n");
    QvrDocument d;
    if (!OpenFromMemory(d, bytes))
        return 0;
    if (IsOldFormat(d.doc.master.allLines()))
        FuzzFail("an opened file is still in the older layout", d.doc.master.toBytes());
    AutoCheck(&d.tree, d.doc);
    return 0;
}
