#include "store/Loader.h"

#include "settings/Product.h"
#include "settings/Registry.h"
#include "store/CheckMemo.h"
#include "store/Conversion.h"
#include "store/Cp1252.h"
#include "store/DocState.h"
#include "store/Integrity.h"
#include "store/KeyMap.h"
#include "store/ItemEditor.h"
#include "store/Messages.h"
#include "store/NodeTree.h"
#include "store/ReadAhead.h"
#include "store/TreeFormat.h"
#include "store/TreeKeys.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QProgressBar>
#include <QTreeWidget>

#include <filesystem>
#include <future>

QString DocumentTitleFor(const QString &path)
{
    const QFileInfo info(path);
    const QString title = info.completeBaseName();
    return title.isEmpty() ? info.fileName() : title;
}

QString CannotOpenMessage(const QString &title, const QString &reason)
{
    QString text = ProductName() + QStringLiteral(" cannot open the document. (") + title
                   + QStringLiteral(")");
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    return text;
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
        }
        m_step = qMax<qsizetype>(1, total / 100);
        m_painted.start();
    }
    ~Progress()
    {
        if (m_doc.progressBar && m_shown)
            m_doc.progressBar->hide();
    }
    void advance()
    {
        // A bar moved for every node would cost more than the nodes themselves.
        if (++m_done % m_step != 0 && m_done != m_total)
            return;
        // Loading holds the event loop, and a bar that moves paints itself
        // at once and sends the paint to the screen: it is moved only as
        // often as the eye follows. A load shorter than that is over before
        // the bar could be seen, and never shows it.
        if (m_doc.progressBar && m_painted.elapsed() >= 40) {
            if (!m_shown)
                m_doc.progressBar->show();
            m_shown = true;
            m_doc.progressBar->setValue(int(m_done));
            m_painted.start();
        }
        if (m_doc.progress)
            m_doc.progress(m_done, m_total);
    }

private:
    DocState &m_doc;
    qsizetype m_total;
    qsizetype m_done = 0;
    qsizetype m_step = 1;
    QElapsedTimer m_painted;
    bool m_shown = false;
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
    ~TreeBuilder()
    {
        // A load that stopped part way leaves no node behind.
        for (QTreeWidgetItem *top : std::as_const(m_tops))
            DeleteNodes(top);
    }
    TreeBuilder(const TreeBuilder &) = delete;
    TreeBuilder &operator=(const TreeBuilder &) = delete;

    bool hasRoot() const { return m_rootSeen; }

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
            m_keys.add(key);
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
        m_tops.clear(); // the tree owns them now
        if (expand)
            m_tree->expandAll();
    }

private:
    void addTop(QTreeWidgetItem *node)
    {
        m_tops.append(node);
        m_byKey.insert(NodeKey(node), node);
    }

    QTreeWidget *m_tree;
    TreeKeys &m_keys;
    UserMessages *m_ui;
    QList<QTreeWidgetItem *> m_tops;
    QList<QTreeWidgetItem *> m_beforeRoot;
    KeyMap<QTreeWidgetItem *, nullptr> m_byKey;
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

} // namespace

bool BuildExplorer(QTreeWidget *tree, DocState &doc, bool expand)
{
    ClearTree(tree);
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
        // Without a root there is no tree to show or to add to (an older
        // layout without node lines converts to none).
        if (!builder.hasRoot())
            throw LoadFailure();
        builder.finish(expand);
    } catch (const LoadFailure &) {
        ClearTree(tree);
        return false;
    }
    return true;
}

namespace {

// The master file of an opened document starts as a byte copy of the user's
// file, made by the system on a second thread while the explorer is built
// from memory; the user's file stays the durable original, so no flush.
// Whatever touches the master file next first waits for it (finish).
class MasterCopy
{
public:
    MasterCopy(const QString &from, const QString &to)
    {
        m_copied = std::async(std::launch::async, [from, to] {
            namespace fs = std::filesystem;
            const fs::path master(to.toStdU16String());
            std::error_code error;
            const bool copied = fs::copy_file(fs::path(from.toStdU16String()), master,
                                              fs::copy_options::overwrite_existing, error);
            // The copy takes the file's permissions; a read-only document
            // must still give a master file that every change can rewrite.
            if (copied)
                fs::permissions(master, fs::perms::owner_read | fs::perms::owner_write,
                                fs::perm_options::add, error);
            return copied;
        });
    }
    // Waits for the copy; one that failed is written from memory instead.
    void finish(DocState &doc)
    {
        if (!m_copied.valid() || m_copied.get())
            return;
        QString reason;
        if (!doc.master.saveQuick(&reason) && doc.ui)
            doc.ui->showMessage(QStringLiteral("The work file %1 cannot be written: %2")
                                    .arg(doc.masterPath(), reason));
    }

private:
    std::future<bool> m_copied;
};

// Builds the tree from the content already in doc.master; `copy`, the
// master file being written meanwhile.
bool buildTree(QTreeWidget *tree, ItemEditor *editor, DocState &doc, MasterCopy *copy = nullptr)
{
    const auto copied = [&] {
        if (copy)
            copy->finish(doc);
    };
    doc.busy = true;
    doc.history.clear(); // another document: the steps belong to the one before
    ++doc.generation;
    doc.documentTitle = DocumentTitleFor(doc.documentPath);
    if (editor)
        editor->clearContent();
    ClearTree(tree);

    const QList<QByteArray> &head = doc.master.head();
    // The older-layout test needs the first two lines.
    if (head.size() < 2) {
        copied();
        return failLoad(tree, editor, doc);
    }
    if (IsOldFormat(head)) {
        copied();
        QList<QByteArray> lines = doc.master.allLines();
        if (!ConvertOldFormat(lines, doc))
            return failLoad(tree, editor, doc);
    }

    const bool built = BuildExplorer(tree, doc, doc.expandOnLoad);
    copied();
    if (!built)
        return failLoad(tree, editor, doc);
    QCoreApplication::processEvents();
    doc.untitled = false;
    doc.busy = false;
    AutoCheckIfChanged(tree, doc);
    return true;
}

} // namespace

bool WriteNewFileTemplate(DocState &doc, QString *error)
{
    doc.master.setLines(NewFileTemplateLines());
    if (doc.masterPath().isEmpty())
        return true; // a document kept in memory only
    QFile::remove(doc.masterPath());
    return doc.master.save(error);
}

void NewTreeFile(QTreeWidget *tree, ItemEditor *editor, DocState &doc)
{
    doc.busy = true;
    doc.history.clear();
    ++doc.generation;
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

OpenResult OpenTreeFile(QTreeWidget *tree, ItemEditor *editor, DocState &doc, const QString &path,
                        ReadAhead *readAhead)
{
    WaitCursor wait;
    doc.busy = true; // stays set for the caller, which clears it once the selection is set

    // The user's file is read once, into memory, and checked before anything
    // of the open document is given up; it is only ever read.
    MasterFile incoming(doc.masterPath());
    QString problem;
    bool readable = readAhead && readAhead->take(path, &incoming, &problem);
    if (!readable && (readable = incoming.load(path, &problem)))
        problem = TreeFileProblem(incoming, doc.maxDepth);
    if (!readable || !problem.isEmpty()) {
        if (doc.ui)
            doc.ui->showMessage(CannotOpenMessage(DocumentTitleFor(path), problem));
        return OpenResult::Refused;
    }

    doc.documentPath = path;
    doc.documentTitle = DocumentTitleFor(path);
    doc.master = std::move(incoming);
    if (doc.masterPath().isEmpty())
        return buildTree(tree, editor, doc) ? OpenResult::Opened : OpenResult::Failed;
    QFile::remove(doc.masterPath());
    QFile::remove(doc.workFolder + QStringLiteral("ItemText"));
    MasterCopy copy(path, doc.masterPath());
    const bool loaded = buildTree(tree, editor, doc, &copy);
    doc.busy = true;
    if (editor)
        editor->setModifiedState(false);
    doc.documentChanged = false;
    return loaded ? OpenResult::Opened : OpenResult::Failed;
}

QString TreeFileProblem(const MasterFile &content, int maxDepth)
{
    const QString notTreeFile = QStringLiteral("It is not a ") + ProductName()
                                + QStringLiteral(" tree file.");
    if (content.head().isEmpty())
        return QStringLiteral("It is empty.");
    const QString tooDeep = QStringLiteral("It is nested too deeply to show (more than ")
                            + QLocale(QLocale::English).toString(maxDepth)
                            + QStringLiteral(" levels).");
    if (IsOldFormat(content.head())) {
        // Node lines from index 2 to the first "End", each holding its path:
        // the path's backslashes count its levels.
        const QList<QByteArray> lines = content.allLines();
        qsizetype end = 2;
        qsizetype deepest = 0;
        for (; end < lines.size() && lines[end] != EndLine; ++end)
            deepest = qMax(deepest, lines[end].mid(7).count('\\'));
        // Shorter files are left unconverted, which gives no tree either.
        if (lines.size() < 5 || end == 2)
            return notTreeFile;
        return maxDepth > 0 && deepest > maxDepth ? tooDeep : QString();
    }

    // Levels follow the loader: a node below its parent, one whose parent is
    // not known below the root.
    bool root = false;
    KeyMap<int, -1> depthOf;
    if (maxDepth > 0)
        depthOf.reserve(content.nodes().size());
    for (const QByteArray &line : content.nodes()) {
        int key = 0, parent = 0;
        if (line.isEmpty() || !ParseKeyField(field(line, 0, 7), &key))
            continue;
        if (line[0] == '1')
            root = root || key == RootKey;
        if (maxDepth <= 0 || (line[0] != '1' && line[0] != '2' && line[0] != '3'))
            continue;
        if (line[0] == '1' || !ParseKeyField(field(line, 8, 7), &parent)) {
            depthOf.insert(key, 0);
            continue;
        }
        const int parentDepth = depthOf.value(parent);
        const int depth = parentDepth < 0 ? 1 : parentDepth + 1;
        if (depth > maxDepth)
            return tooDeep;
        depthOf.insert(key, depth);
    }
    return root ? QString() : notTreeFile;
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
