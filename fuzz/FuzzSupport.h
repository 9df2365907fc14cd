#pragma once
// What the fuzz targets share: the application they need, a document read
// from memory, and a way to stop loudly when a property does not hold.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

class QvrDocument;

// An offscreen application (the loader builds a widget tree).
void MakeFuzzApplication(int *argc, char ***argv);

// Opens `bytes` as the command-line tool opens a file, without a master file
// and without touching the disk: the bytes are handed over as an in-memory file.
bool OpenFromMemory(QvrDocument &doc, const QByteArray &bytes);

// Prints what went wrong and aborts, so the fuzzer keeps the input.
[[noreturn]] void FuzzFail(const char *what, const QByteArray &detail = {});

inline QByteArray FuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}
