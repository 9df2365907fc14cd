#include "FuzzSupport.h"

#include "QvrDocument.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

void MakeFuzzApplication(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &m) {
        if (type == QtFatalMsg)
            fprintf(stderr, "%s\n", qPrintable(m));
    });
    static QApplication app(*argc, *argv);
}

bool OpenFromMemory(QvrDocument &doc, const QByteArray &bytes)
{
    const int fd = memfd_create("document", 0);
    if (fd < 0 || write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
        FuzzFail("cannot make the in-memory file");
    QString error;
    const bool opened = doc.open(QStringLiteral("/proc/self/fd/%1").arg(fd), &error);
    close(fd);
    return opened;
}

void FuzzFail(const char *what, const QByteArray &detail)
{
    fprintf(stderr, "FUZZ PROPERTY FAILED: %s\n%s\n", what, detail.left(2000).constData());
    abort();
}
