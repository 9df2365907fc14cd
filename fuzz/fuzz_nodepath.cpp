// qvr's node lookup: the first line is what is looked up, every further line
// names a node of a generated document (its first byte picks the parent and
// whether it is a branch or an item). A node found has the path or key asked
// for and no node before it has; a node not found has no node matching.
#include "FuzzSupport.h"
#include "QvrDocument.h"
#include "store/TreeFormat.h"

#include <QTreeWidget>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    MakeFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 16 * 1024)
        return 0;
    QList<QByteArray> lines = FuzzBytes(data, size).split('\n');
    const QString query = QString::fromUtf8(lines.takeFirst());
    QByteArray file = "Quivora Ver. 2.1\r\nCreated: 1.1.2024\r\nLastSaved: 1.1.2024\r\nRes1\r\n"
                      "Res2\r\nRes3\r\nTree\r\n1000000 0000000 $\r\n";
    QList<int> branches{1000000};
    int items = 0;
    for (const QByteArray &raw : std::as_const(lines).first(qMin(lines.size(), qsizetype(500)))) {
        const QByteArray name = raw.endsWith('\r') ? raw.chopped(1) : raw;
        const uchar pick = name.isEmpty() ? 0 : uchar(name[0]);
        const int parent = branches[pick % branches.size()];
        const int key = pick & 1 ? 3000001 + items++ : 2000000 + int(branches.size());
        if (!(pick & 1))
            branches.append(key);
        file += QByteArray::number(key) + ' ' + QByteArray::number(parent).rightJustified(7, '0')
                + ' ' + name + "\r\n";
    }
    file += "End\r\nData\r\nEnd\r\n";
    QvrDocument d;
    if (!OpenFromMemory(d, file))
        return 0;
    QTreeWidgetItem *found = FindNode(&d.tree, query);
    int key = 0;
    const bool byKey = query.size() == 7 && ParseKeyField(QByteArrayView(query.toLatin1()), &key);
    QTreeWidgetItem *first = nullptr;
    ForEachNodePath(&d.tree, [&](QTreeWidgetItem *node, const QString &path) {
        if (byKey ? NodeKey(node) == key : path == query)
            first = node;
        return !first;
    });
    if (found != first)
        FuzzFail("the lookup did not find the first matching node", file);
    return 0;
}
