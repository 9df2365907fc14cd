#include "QvrDocument.h"

#include "store/Conversion.h"
#include "store/Cp1252.h"
#include "store/Integrity.h"
#include "store/Loader.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QFileInfo>
#include <QHash>
#include <cstdio>

namespace {

struct LoadFailure
{
};

QByteArrayView field(const QByteArray &line, qsizetype from, qsizetype length)
{
    if (from >= line.size())
        return {};
    return QByteArrayView(line).sliced(from, qMin(length, line.size() - from));
}

// The program's loader, from the node lines in memory: the same nodes, the
// same places for nodes whose parent is missing or listed before the root,
// the same single "oParent.Text = nil" report, so that the check that
// follows sees the tree the program would show.
class TreeBuilder
{
public:
    TreeBuilder(QTreeWidget *tree, UserMessages *ui) : m_tree(tree), m_ui(ui) {}

    void addLine(const QByteArray &line)
    {
        if (line.isEmpty() || line[0] < '0' || line[0] > '9')
            throw LoadFailure();
        const int kind = line[0] - '0';
        int key = 0, parentKey = 0;
        if (!ParseKeyField(field(line, 0, 7), &key) || !ParseKeyField(field(line, 8, 7), &parentKey))
            throw LoadFailure();
        if (kind == 1) {
            QTreeWidgetItem *root = NewNode(QStringLiteral("$"), key);
            addTop(root);
            m_start = root;
            if (!m_rootSeen) {
                m_rootSeen = true;
                for (QTreeWidgetItem *orphan : std::as_const(m_beforeRoot)) {
                    m_tops.removeOne(orphan);
                    root->addChild(orphan);
                }
                m_beforeRoot.clear();
            }
            return;
        }
        if (kind != 2 && kind != 3)
            return;
        QTreeWidgetItem *node = NewNode(FromCp1252(field(line, 16, line.size())), key);
        QTreeWidgetItem *parent = m_start ? m_byKey.value(parentKey) : nullptr;
        if (parent) {
            parent->addChild(node);
        } else if (!m_rootSeen) {
            if (QTreeWidgetItem *early = m_byKey.value(parentKey))
                early->addChild(node);
            else {
                addTop(node);
                m_beforeRoot.append(node);
            }
        } else {
            if (m_ui && !m_parentReported)
                m_ui->showMessage(QStringLiteral("oParent.Text = nil"));
            m_parentReported = true;
            addTop(node);
        }
        m_byKey.insert(key, node);
        m_start = node;
    }

    // Hands the nodes to the view; on failure they are taken apart instead.
    void finish() { m_tree->addTopLevelItems(std::exchange(m_tops, {})); }
    ~TreeBuilder()
    {
        for (QTreeWidgetItem *top : std::as_const(m_tops))
            DeleteBottomUp(top);
    }

    static void DeleteBottomUp(QTreeWidgetItem *top)
    {
        QTreeWidgetItem *node = top;
        while (node) {
            if (node->childCount() > 0) {
                node = node->child(node->childCount() - 1);
                continue;
            }
            QTreeWidgetItem *parent = node->parent();
            const bool last = node == top;
            if (parent && !last)
                parent->takeChild(parent->childCount() - 1);
            delete node;
            node = last ? nullptr : parent;
        }
    }

private:
    void addTop(QTreeWidgetItem *node)
    {
        m_tops.append(node);
        m_byKey.insert(NodeKey(node), node);
    }

    QTreeWidget *m_tree;
    UserMessages *m_ui;
    QList<QTreeWidgetItem *> m_tops;
    QList<QTreeWidgetItem *> m_beforeRoot;
    QHash<int, QTreeWidgetItem *> m_byKey;
    QTreeWidgetItem *m_start = nullptr;
    bool m_rootSeen = false;
    bool m_parentReported = false;
};

} // namespace

QvrDocument::~QvrDocument()
{
    while (tree.topLevelItemCount() > 0)
        TreeBuilder::DeleteBottomUp(tree.takeTopLevelItem(tree.topLevelItemCount() - 1));
}

bool QvrDocument::open(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        *error = info.exists() ? QStringLiteral("not a file") : QStringLiteral("no such file");
        return false;
    }
    doc.ui = &messages;
    doc.documentPath = path;
    doc.documentTitle = DocumentTitleFor(path);
    if (!doc.master.load(path, error))
        return false;
    const QString cannotOpen = CannotOpenMessage(doc.documentTitle);
    // The older-layout test needs the first two lines.
    if (doc.master.head().size() < 2) {
        *error = cannotOpen;
        return false;
    }
    if (IsOldFormat(doc.master.head())) {
        // The conversion changes the lines in place and then writes them to
        // its master file; this one has no name, so nothing is written.
        QList<QByteArray> lines = doc.master.allLines();
        DocState scratch;
        ConvertOldFormat(lines, scratch);
        doc.master.setLines(lines);
    }

    const QList<QByteArray> &nodes = doc.master.nodes();
    const qsizetype total = nodes.size();
    try {
        TreeBuilder builder(&tree, &messages);
        qsizetype done = 0;
        for (const QByteArray &line : nodes) {
            // Big documents take a while: a line at every tenth of the way.
            ++done;
            if (total >= 50000 && done % (total / 10) == 0)
                fprintf(stderr, "loading: %lld of %lld nodes\n", static_cast<long long>(done),
                        static_cast<long long>(total));
            if (!line.startsWith('\''))
                builder.addLine(line);
        }
        builder.finish();
    } catch (const LoadFailure &) {
        *error = cannotOpen;
        return false;
    }
    AutoCheck(&tree, doc);
    loadMessages = messages.texts;
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
