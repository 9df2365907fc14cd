#include "store/Loader.h"

#include "settings/Product.h"
#include "settings/Registry.h"
#include "store/CheckMemo.h"
#include "store/Conversion.h"
#include "store/Cp1252.h"
#include "store/DocState.h"
#include "store/Integrity.h"
#include "store/ItemEditor.h"
#include "store/Messages.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"
#include "store/TreeKeys.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProgressBar>
#include <QTreeWidget>

#include <filesystem>

QString DocumentTitleFor(const QString &path)
{
    const QFileInfo info(path);
    const QString title = info.completeBaseName();
    return title.isEmpty() ? info.fileName() : title;
}

QString CannotOpenMessage(const QString &title)
{
    return ProductName() + QStringLiteral(" cannot open the document. (") + title
           + QStringLiteral(")");
}

namespace {

// Shows the hourglass for as long as it lives.
class WaitCursor
{
public:
    WaitCursor()
    {
        if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            m_set = true;
        }
    }
    ~WaitCursor()
    {
        if (m_set)
            QGuiApplication::restoreOverrideCursor();
    }

private:
    bool m_set = false;
};

class Progress
{
public:
    Progress(DocState &doc, qsizetype total) : m_doc(doc), m_total(total)
    {
        if (m_doc.progressBar) {
            m_doc.progressBar->setRange(0, int(qMin<qsizetype>(total, INT_MAX)));
            m_doc.progressBar->setValue(0);
            m_doc.progressBar->show();
        }
        m_step = qMax<qsizetype>(1, total / 100);
    }
    ~Progress()
    {
        if (m_doc.progressBar)
            m_doc.progressBar->hide();
    }
    void advance()
    {
        // A bar moved for every node would cost more than the nodes themselves.
        if (++m_done % m_step != 0 && m_done != m_total)
            return;
        if (m_doc.progressBar) {
            m_doc.progressBar->setValue(int(m_done));
            // Loading holds the event loop; paint now so the bar moves.
            if (m_doc.progressBar->isVisible())
                m_doc.progressBar->repaint();
        }
        if (m_doc.progress)
            m_doc.progress(m_done, m_total);
    }

private:
    DocState &m_doc;
    qsizetype m_total;
    qsizetype m_done = 0;
    qsizetype m_step = 1;
};

struct LoadFailure
{
};

// Columns of a node line, cut short where the line is.
QByteArrayView field(const QByteArray &line, qsizetype from, qsizetype length)
{
    if (from >= line.size())
        return {};
    return QByteArrayView(line).sliced(from, qMin(length, line.size() - from));
}

// Builds the nodes detached from the view and hands them over at once, so the
// view does not relayout for every node.
class TreeBuilder
{
public:
    TreeBuilder(QTreeWidget *tree, UserMessages *ui, qsizetype nodes)
        : m_tree(tree), m_keys(TreeKeys::of(tree)), m_ui(ui)
    {
        m_byKey.reserve(nodes);
        m_keys.reserve(nodes);
    }

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
                m_firstRoot = root;
                // Nodes listed before the root hang below it.
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
            // Wait for the root; the parent may be a node listed before it.
            if (QTreeWidgetItem *early = m_byKey.value(parentKey))
                early->addChild(node);
            else {
                addTop(node);
                m_beforeRoot.append(node);
            }
        } else {
            if (m_ui && !m_parentReported)
                m_ui->showMessage(QStringLiteral("oParent.Text = nil"));
            m_parentReported = true; // one report per load, not one per node
            addTop(node);
        }
        m_byKey.insert(key, node);
        m_keys.add(key);
        m_start = node;
    }

    void finish(bool expand)
    {
        m_tree->addTopLevelItems(m_tops);
        if (expand)
            m_tree->expandAll();
    }

private:
    void addTop(QTreeWidgetItem *node)
    {
        m_tops.append(node);
        m_byKey.insert(NodeKey(node), node);
        m_keys.add(NodeKey(node));
    }

    QTreeWidget *m_tree;
    TreeKeys &m_keys;
    UserMessages *m_ui;
    QList<QTreeWidgetItem *> m_tops;
    QList<QTreeWidgetItem *> m_beforeRoot;
    QHash<int, QTreeWidgetItem *> m_byKey;
    QTreeWidgetItem *m_start = nullptr;
    QTreeWidgetItem *m_firstRoot = nullptr;
    bool m_rootSeen = false;
    bool m_parentReported = false;
};

bool failLoad(QTreeWidget *tree, ItemEditor *editor, DocState &doc)
{
    if (doc.progressBar)
        doc.progressBar->hide();
    QCoreApplication::processEvents();
    doc.busy = false;
    if (doc.ui)
        doc.ui->showMessage(CannotOpenMessage(doc.documentTitle));
    NewTreeFile(tree, editor, doc);
    return false;
}

// Builds the tree from the content already in doc.master.
bool buildTree(QTreeWidget *tree, ItemEditor *editor, DocState &doc)
{
    doc.busy = true;
    doc.documentTitle = DocumentTitleFor(doc.documentPath);
    if (editor)
        editor->clearContent();
    ClearTree(tree);

    const QList<QByteArray> &head = doc.master.head();
    // The older-layout test needs the first two lines.
    if (head.size() < 2)
        return failLoad(tree, editor, doc);
    if (IsOldFormat(head)) {
        QList<QByteArray> lines = doc.master.allLines();
        if (!ConvertOldFormat(lines, doc))
            return failLoad(tree, editor, doc);
    }

    const QList<QByteArray> &nodes = doc.master.nodes();
    try {
        Progress progress(doc, nodes.size());
        TreeBuilder builder(tree, doc.ui, nodes.size());
        for (const QByteArray &line : nodes) {
            progress.advance();
            if (line.startsWith('\''))
                continue;
            builder.addLine(line);
        }
        builder.finish(doc.expandOnLoad);
    } catch (const LoadFailure &) {
        ClearTree(tree);
        return failLoad(tree, editor, doc);
    }
    QCoreApplication::processEvents();
    doc.untitled = false;
    doc.busy = false;
    AutoCheckIfChanged(tree, doc);
    return true;
}

} // namespace

bool WriteNewFileTemplate(DocState &doc, QString *error)
{
    QFile::remove(doc.masterPath());
    doc.master.setLines(NewFileTemplateLines());
    return doc.master.save(error);
}

void NewTreeFile(QTreeWidget *tree, ItemEditor *editor, DocState &doc)
{
    doc.busy = true;
    if (editor)
        editor->clearContent();
    QString error;
    if (!WriteNewFileTemplate(doc, &error) && doc.ui)
        doc.ui->showMessage(QStringLiteral("The work file %1 cannot be written: %2")
                                .arg(doc.masterPath(), error));
    ClearTree(tree);
    if (editor) {
        QFont font;
        QColor color;
        GetDefaultFont(font, color, true);
        editor->applyDefaultFont(font, color);
    }
    AddRootNode(tree, QStringLiteral("1000000"));
    AddItemNode(tree, tree->topLevelItem(0), QStringLiteral("New Item"), true, RootKey,
                FirstItemKey, doc.ui);
    if (doc.enableItemCommands)
        doc.enableItemCommands(true);
    doc.currentItemKey = FirstItemKey;
    doc.documentPath.clear();
    doc.documentTitle = QStringLiteral("New File");
    doc.untitled = true;
    doc.busy = false;
}

bool LoadTree(QTreeWidget *tree, ItemEditor *editor, DocState &doc)
{
    doc.busy = true;
    if (!doc.master.load()) {
        doc.documentTitle = DocumentTitleFor(doc.documentPath);
        ClearTree(tree);
        return failLoad(tree, editor, doc);
    }
    return buildTree(tree, editor, doc);
}

bool OpenTreeFile(QTreeWidget *tree, ItemEditor *editor, DocState &doc, const QString &path)
{
    WaitCursor wait;
    QFile::remove(doc.masterPath());
    QFile::remove(doc.workFolder + QStringLiteral("ItemText"));
    doc.documentPath = path;
    doc.documentTitle = DocumentTitleFor(path);

    // The user's file is read once, into memory; it is only ever read.
    doc.busy = true;
    if (doc.master.load(path)) {
        // The master file starts as a byte copy of the user's file, made by
        // the system; the user's file stays the durable original, so no flush.
        namespace fs = std::filesystem;
        const fs::path master(doc.masterPath().toStdU16String());
        std::error_code error;
        const bool copied = fs::copy_file(fs::path(path.toStdU16String()), master,
                                          fs::copy_options::overwrite_existing, error);
        // The copy takes the file's permissions; a read-only document must
        // still give a master file that every change can rewrite.
        if (copied)
            fs::permissions(master, fs::perms::owner_read | fs::perms::owner_write,
                            fs::perm_options::add, error);
        QString reason;
        if (!copied && !doc.master.saveQuick(&reason) && doc.ui)
            doc.ui->showMessage(QStringLiteral("The work file %1 cannot be written: %2")
                                    .arg(doc.masterPath(), reason));
        buildTree(tree, editor, doc);
    } else {
        doc.master.clear();
        ClearTree(tree);
        failLoad(tree, editor, doc);
    }
    // Busy stays set for the caller, which clears it once the selection is set.
    doc.busy = true;
    if (editor)
        editor->setModifiedState(false);
    doc.documentChanged = false;
    return doc.untitled;
}

bool OpenTreeFile(QTreeWidget *tree, ItemEditor *editor, DocState &doc,
                  const std::function<QString()> &askPath)
{
    const QString path = askPath();
    if (path.isEmpty())
        return false;
    OpenTreeFile(tree, editor, doc, path);
    return true;
}
