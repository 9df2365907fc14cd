#pragma once
#include <QByteArray>
#include <QString>

// A tree file of the size users reach after years of notes: top branches
// under the root, sub-branches under each, items under every branch, and
// about `textBytes` of formatted RTF per item.
struct GeneratedShape
{
    int branches = 20000;
    int items = 80000;
    int textBytes = 1024;
};

QByteArray GenerateTreeFile(const GeneratedShape &shape = {});
// Writes it to `path` unless a file of that size is there already.
QString GenerateTreeFileAt(const QString &path, const GeneratedShape &shape = {});
// An item's RTF of about `bytes` bytes, lines ending CR LF.
QByteArray GeneratedItemRtf(int seed, int bytes);
