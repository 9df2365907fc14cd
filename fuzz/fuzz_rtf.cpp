// RTF bytes -> document -> our writer -> reader again: the second reading is
// the first one (our writer keeps everything our reader took in), and the
// writer never makes a line the tree file would misread.
#include "FuzzSupport.h"
#include "rtf/Rtf.h"

#include <QTextDocument>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    MakeFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 64 * 1024)
        return 0;
    QTextDocument first;
    rtf::read(FuzzBytes(data, size), &first);
    const QByteArray written = rtf::write(&first);
    for (const QByteArray &line : written.split('\n'))
        if (rtf::isForbiddenLine(line.endsWith('\r') ? line.chopped(1) : line))
            FuzzFail("the writer made a line the tree file would misread", line);
    QTextDocument second;
    rtf::read(written, &second);
    if (second.toPlainText() != first.toPlainText())
        FuzzFail("the text changed on reading our own RTF", written);
    if (const QByteArray again = rtf::write(&second); again != written)
        FuzzFail("the formats changed on reading our own RTF", written + "\n----\n" + again);
    return 0;
}
