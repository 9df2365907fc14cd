// Renaming nodes and the rules for names.
#include "store/NodeOps.h"

#include "store/Cp1252.h"
#include "store/DocState.h"
#include "store/MasterEdit.h"
#include "store/NodeTree.h"

#include <QTreeWidget>

QString EmptyNameMessage()
{
    return QStringLiteral("You must type a name.");
}

QString DuplicateNameMessage(const QString &oldName)
{
    return QStringLiteral("Cannot rename ") + oldName
           + QStringLiteral(". An item or a branch with the name you specified already exists.")
           + QStringLiteral(" Specify a different name.");
}

QString ControlCharNameMessage(const QString &oldName)
{
    return QStringLiteral("Cannot rename ") + oldName
           + QStringLiteral(". A name cannot hold a line break, a tab or another control character.")
           + QStringLiteral(" Specify a different name.");
}

QString UnsupportedCharNameMessage(const QString &oldName, char32_t ch)
{
    return QStringLiteral("Cannot rename ") + oldName + QStringLiteral(". The character '")
           + QString::fromUcs4(&ch, 1) + QStringLiteral("' (U+")
           + QString::number(uint(ch), 16).toUpper().rightJustified(4, QLatin1Char('0'))
           + QStringLiteral(") cannot be stored in a tree file; only Western European (Windows-1252)")
           + QStringLiteral(" characters can.") + QStringLiteral(" Specify a different name.");
}

namespace {

// Line and paragraph separators end a line as surely as CR and LF do.
bool isControlOrBreak(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator
           || c == QChar::ParagraphSeparator;
}

void refuse(UserMessages *ui, const QString &text)
{
    if (ui)
        ui->errorDialog(text);
}

} // namespace

bool CheckNewName(QTreeWidgetItem *parent, const QString &newName, const QString &oldName,
                  UserMessages *ui)
{
    if (newName.isEmpty()) {
        refuse(ui, EmptyNameMessage());
        return false;
    }
    if (parent) {
        for (int i = 0; i < parent->childCount(); ++i) {
            if (parent->child(i)->text(0) == newName) {
                refuse(ui, DuplicateNameMessage(oldName));
                return false;
            }
        }
    }
    // A line break would split the node line and leave the document unopenable.
    for (QChar c : newName) {
        if (isControlOrBreak(c)) {
            refuse(ui, ControlCharNameMessage(oldName));
            return false;
        }
    }
    // A character without a byte would be written as "?" and read back changed.
    for (qsizetype i = 0; i < newName.size(); ++i) {
        if (Cp1252Byte(newName[i].unicode()) >= 0)
            continue;
        char32_t ch = newName[i].unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < newName.size() && newName[i + 1].isLowSurrogate())
            ch = QChar::surrogateToUcs4(newName[i], newName[i + 1]);
        refuse(ui, UnsupportedCharNameMessage(oldName, ch));
        return false;
    }
    return true;
}

MasterWrite RenameItem(DocState &doc, const QByteArray &oldLine, const QByteArray &newLine)
{
    const qsizetype at = doc.master.findNodeLine(oldLine);
    if (at < 0) {
        ShowPlain(doc, NotFoundMessage("RenameItem"));
        return MasterWrite::LineNotFound;
    }
    MasterEdit edit(doc);
    doc.master.nodes()[at] = newLine;
    return edit.commit() ? MasterWrite::Written : MasterWrite::WriteFailed;
}

bool RenameNode(QTreeWidget *, QTreeWidgetItem *node, const QString &newName, DocState &doc,
                const PathBarFn &pathBar)
{
    // The root keeps its name; so does a node hanging loose at the top of a
    // damaged tree, whose line would read as the root's.
    if (!node || IsRoot(node) || !node->parent())
        return false;
    const QString oldName = node->text(0);
    if (newName == oldName)
        return true;
    const QByteArray oldLine = NodeLine(node);
    if (!CheckNewName(node->parent(), newName, oldName, doc.ui))
        return false;
    const QByteArray newLine = oldLine.left(16) + ToCp1252(newName);
    if (RenameItem(doc, oldLine, newLine) == MasterWrite::WriteFailed)
        return false;
    node->setText(0, newName);
    if (pathBar)
        pathBar(QStringLiteral("   ") + NodePath(node));
    doc.documentChanged = true;
    return true;
}
