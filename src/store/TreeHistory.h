#pragma once
#include "store/MasterFile.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

class ItemEditor;
class QTreeWidget;
struct DocState;

enum class UndoResult {
    Done,        // reverted (or redone), written, the explorer rebuilt
    Nothing,     // no step to take
    Mismatch,    // the node section is not what the step left: nothing changed (after a message)
    WriteFailed, // the write failed: memory and file as before (after a message)
};

// The tree changes of the open document that Undo and Redo take back and
// bring again: adds, renames, deletes and moves. A step keeps the node
// section before and after its change (lists of shared lines: a few bytes a
// node, and a list that did not change between steps is held once) and the
// text blocks of the items missing from the side the file is at now (deleted
// items; added items that got text before they were undone). Text stored
// between steps is never touched.
class TreeHistory
{
public:
    static constexpr int MinSteps = 20;  // always kept, however large the tree
    static constexpr int MaxSteps = 100; // kept while they fit in MemoryBudget
    static constexpr qsizetype MemoryBudget = 8 * 1024 * 1024;

    // Remembers the document before a tree change about the node `key`; the
    // copy shares the content until the change touches it.
    void begin(const MasterFile &master, int key);
    // Records the change since begin() as one step and forgets the redo
    // steps; nothing when the node section did not change. `key`, when not
    // 0, replaces the key given to begin() (an add knows its node only now).
    void end(const MasterFile &master, int key = 0);

    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    int undoCount() const { return int(m_undo.size()); }
    void clear();
    // The bytes the kept steps hold of their own.
    qsizetype memoryBytes() const;

    // Called whenever what Undo and Redo can do changes.
    std::function<void()> changed;

private:
    friend UndoResult UndoTreeChange(QTreeWidget *, ItemEditor *, DocState &, bool);
    struct Step
    {
        QList<QByteArray> before, after;
        QHash<int, QByteArray> blocks; // item key -> text block, items missing now
        int key = 0;                   // the node the step is about
    };
    void trim();
    void notify()
    {
        if (changed)
            changed();
    }

    QList<Step> m_undo, m_redo;
    MasterFile m_pending;
    int m_pendingKey = 0;
};

// Takes back the last recorded tree change (`redo`: brings back the last one
// taken back): puts its node lines back, removes or re-appends the text
// blocks of the items that leave or return, writes the master file, rebuilds
// the explorer from memory keeping expanded branches, selects the node the
// step was about (or, when it is gone, its parent), shows its text in the
// editor and sets documentChanged. The caller stores the editor's text first
// and runs AutoCheck after.
UndoResult UndoTreeChange(QTreeWidget *tree, ItemEditor *editor, DocState &doc, bool redo);

QString UndoMismatchMessage();

// Records one tree change of the shell's commands: begins at construction,
// ends at destruction with `key` (set it when the node is known only after).
struct TreeStepScope
{
    TreeStepScope(DocState &doc, int key);
    ~TreeStepScope();
    TreeStepScope(const TreeStepScope &) = delete;
    TreeStepScope &operator=(const TreeStepScope &) = delete;
    DocState &doc;
    int key;
};
