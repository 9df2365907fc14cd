#include "QvrDocument.h"

#include "store/Loader.h"
#include "store/NodeTree.h"

#include <QFileInfo>
#include <cstdio>

QvrDocument::~QvrDocument()
{
    // Deleting a node deletes its children from within, which a very deep
    // tree would not survive; the store takes it apart from the leaves up.
    ClearTree(&tree);
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
    struct Frame
    {
        QTreeWidgetItem *node;
        int next;
        qsizetype pathLength;
    };
    QList<Frame> stack;
    QString path;
    for (int t = 0; t < tree->topLevelItemCount(); ++t) {
        QTreeWidgetItem *top = tree->topLevelItem(t);
        path = top->text(0);
        if (!fn(top, path))
            return;
        stack.append({top, 0, path.size()});
        while (!stack.isEmpty()) {
            Frame &f = stack.last();
            if (f.next >= f.node->childCount()) {
                stack.removeLast();
                continue;
            }
            QTreeWidgetItem *child = f.node->child(f.next++);
            path.truncate(f.pathLength);
            path += QLatin1Char('\\') + child->text(0);
            if (!fn(child, path))
                return;
            stack.append({child, 0, path.size()});
        }
    }
}
