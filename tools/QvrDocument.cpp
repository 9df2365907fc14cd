#include "QvrDocument.h"

#include "store/Loader.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QFileInfo>
#include <cstdio>

QvrDocument::~QvrDocument()
{
    // Deleting a node deletes its children from within, which a very deep
    // tree would not survive; the store takes it apart from the leaves up.
    ClearTree(&tree);
}

QvrDocument &CommandDocument()
{
    static QvrDocument *const document = new QvrDocument;
    return *document;
}

bool QvrDocument::open(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        *error = info.exists() ? QStringLiteral("not a file") : QStringLiteral("no such file");
        return false;
    }
    // No master file: the document is read and checked in memory, so a full
    // or small disk cannot turn a sound file into a failed check, and
    // nothing is ever written.
    doc.ui = &messages;
    doc.expandOnLoad = false; // nothing is shown
    doc.progress = [](qsizetype done, qsizetype total) {
        if (total >= 50000 && done % (total / 10) == 0)
            fprintf(stderr, "loading: %lld of %lld nodes\n", static_cast<long long>(done),
                    static_cast<long long>(total));
    };
    const bool failed = OpenTreeFile(&tree, nullptr, doc, path) != OpenResult::Opened;
    loadMessages = messages.texts;
    if (failed) {
        *error = loadMessages.isEmpty() ? QStringLiteral("cannot open the document")
                                        : loadMessages.last();
        return false;
    }
    return true;
}

void ForEachNodePath(QTreeWidget *tree,
                     const std::function<bool(QTreeWidgetItem *, const QString &)> &fn)
{
    // Nodes come in tree order, so the node's ancestors are the open entries
    // and its parent's path is the start of the path built so far.
    QList<std::pair<QTreeWidgetItem *, qsizetype>> open; // node, length of its path
    QString path;
    ForEachNode(tree, [&](QTreeWidgetItem *node) {
        while (!open.isEmpty() && open.last().first != node->parent())
            open.removeLast();
        path.truncate(open.isEmpty() ? 0 : open.last().second);
        if (!open.isEmpty())
            path += QLatin1Char('\\');
        path += node->text(0);
        open.append({node, path.size()});
        return fn(node, path);
    });
}

QTreeWidgetItem *FindNode(QTreeWidget *tree, const QString &target)
{
    QTreeWidgetItem *found = nullptr;
    int key = 0;
    if (target.size() == 7 && ParseKeyField(QByteArrayView(target.toLatin1()), &key)) {
        ForEachNode(tree, [&](QTreeWidgetItem *node) {
            if (NodeKey(node) != key)
                return true;
            found = node;
            return false;
        });
        return found;
    }
    ForEachNodePath(tree, [&](QTreeWidgetItem *node, const QString &path) {
        if (path != target)
            return true;
        found = node;
        return false;
    });
    return found;
}
