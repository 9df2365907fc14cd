// Storing and loading an item's text. The text passes between the editor and
// the in-memory master file directly: a temporary file would be shared by
// every running copy of the program, which could overwrite it in between.
#include "store/NodeOps.h"

#include "store/DocState.h"
#include "store/CheckMemo.h"
#include "store/ItemEditor.h"
#include "store/Journal.h"
#include "store/MasterEdit.h"
#include "store/TreeFormat.h"

#include <QTreeWidget>

QString MissingMasterMessage(const QString &masterPath)
{
    return QStringLiteral("Critical error - file ") + masterPath + QStringLiteral(" doesn't exist.");
}

QString WriteFailedMessage(const QString &masterPath, const QString &reason)
{
    return QStringLiteral("The change cannot be written to the file ") + masterPath
           + QStringLiteral(" (") + reason + QStringLiteral("). The document was not changed.");
}

QString TextNotStoredMessage(const QString &masterPath, const QString &reason)
{
    return QStringLiteral("The item's text cannot be written to the file ") + masterPath
           + QStringLiteral(" (") + reason
           + QStringLiteral("). The text stays in the editor and is stored at the next chance.");
}

namespace {

bool isRtf(const QByteArray &text)
{
    return text.startsWith("{\\rtf");
}

// A text line that reads as "End" or as a key line would cut the block short
// or be taken for another item's block the next time the file is read. In
// RTF an empty group is no content, so putting one in front keeps the text
// the same and the line harmless. Other text is left alone.
QByteArray guardBlockLines(const QByteArray &text)
{
    if (!isRtf(text))
        return text;
    QList<QByteArray> lines = SplitLines(text);
    bool changed = false;
    for (QByteArray &line : lines) {
        if (line == EndLine || IsKeyLine(line)) {
            line.prepend("{}");
            changed = true;
        }
    }
    return changed ? JoinLines(lines) : text;
}

// The editor's text in place of the item's block, in memory.
void putItemText(ItemEditor *editor, DocState &doc)
{
    doc.master.removeBlock(doc.currentItemKey);
    doc.master.appendBlock(doc.currentItemKey, guardBlockLines(editor->exportRtf()));
}

void markStored(ItemEditor *editor, DocState &doc)
{
    editor->setModifiedState(false);
    doc.itemTextChanged = false;
    doc.documentChanged = true;
}

bool hasTextToStore(ItemEditor *editor, const DocState &doc)
{
    // Only items own text; the root and branches never get a block.
    return doc.itemTextChanged && doc.currentItemKey != 0 && IsItemKey(doc.currentItemKey)
           && editor;
}

} // namespace

bool SaveItemText(QTreeWidget *tree, ItemEditor *editor, DocState &doc, QString *failure)
{
    // Text that went to the journal while the user paused joins the file now.
    if (!hasTextToStore(editor, doc) && !(doc.journalPending && doc.master.existsOnDisk()))
        return true;
    if (!hasTextToStore(editor, doc)) {
        MasterEdit edit(doc);
        return failure ? edit.commitQuietly(failure) : edit.commit(TextNotStoredMessage);
    }
    if (!doc.master.existsOnDisk()) {
        if (failure)
            *failure =
                QStringLiteral("the file ") + doc.masterPath() + QStringLiteral(" doesn't exist");
        else
            ShowPlain(doc, MissingMasterMessage(doc.masterPath()));
        return false;
    }

    // Should the file not take it, memory goes back to what the file holds.
    MasterEdit edit(doc);
    putItemText(editor, doc);
    if (failure ? !edit.commitQuietly(failure) : !edit.commit(TextNotStoredMessage))
        return false;

    markStored(editor, doc);
    if (tree)
        AutoCheckIfChanged(tree, doc);
    return true;
}

bool StoreItemTextInJournal(ItemEditor *editor, DocState &doc)
{
    if (!hasTextToStore(editor, doc))
        return true;
    if (!doc.master.existsOnDisk())
        return false;
    const QByteArray text = guardBlockLines(editor->exportRtf());
    // Nothing is marked stored unless the journal has it on the disk.
    if (!AppendJournal(doc.masterPath(), doc.currentItemKey, text))
        return false;
    doc.master.removeBlock(doc.currentItemKey);
    doc.master.appendBlock(doc.currentItemKey, text);
    markStored(editor, doc);
    doc.journalPending = true;
    return true;
}

void KeepItemTextInMemory(ItemEditor *editor, DocState &doc)
{
    if (!hasTextToStore(editor, doc))
        return;
    putItemText(editor, doc);
    markStored(editor, doc);
}

void LoadItemText(QTreeWidget *tree, ItemEditor *editor, DocState &doc)
{
    QTreeWidgetItem *node = tree ? tree->currentItem() : nullptr;
    if (!editor || !IsItem(node) || !doc.master.existsOnDisk())
        return;
    editor->clearContent();
    const int key = NodeKey(node);
    if (!doc.master.hasBlock(key))
        return;
    editor->importRtf(doc.master.blockText(key));
}
