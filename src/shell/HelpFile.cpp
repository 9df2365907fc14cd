#include "shell/HelpFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Plain ASCII, so these bytes are the same in Windows-1252. A paragraph is
// one line: inside RTF text a line break counts for nothing.
const char *const kGuide[] = {
    R"({\rtf1\ansi\deff0\deftab720{\fonttbl{\f0\fswiss MS Sans Serif;}{\f1\froman\fcharset2 Symbol;})"
    R"({\f2\fswiss\fcharset1 MS Sans Serif;}{\f3\fswiss Arial;}{\f4\fswiss Arial;}{\f5\fswiss\fcharset1 MS Sans Serif;}})",
    R"({\colortbl\red0\green0\blue0;\red255\green0\blue0;\red0\green0\blue128;})",
    R"(\deflang1033\pard\plain\f3\fs24\cf2\b What is Quivora?)",
    R"(\par \plain\f4\fs20 Quivora is an explorer-like text editor for the hierarchical storage of text. )"
    R"(It keeps many documents in one file, sorted into categories, and makes it easy to find a document again.)",
    R"(\par )",
    R"(\par \plain\f3\fs24\cf2\b What is the structure of Quivora?)",
    R"(\par \plain\f4\fs20 The window holds two panels: the \b Explorer\b0  on the left and the \b Editor\b0  on the right.)",
    R"(\par )",
    R"(\par \plain\f3\fs24\cf2\b How to use Quivora?)",
    R"(\par \plain\f4\fs20 The \b Explorer\b0  shows a tree of branches (categories) and items (documents).)",
    R"(\par To add a branch, select the root (the node with the caption "$") and choose Add Branch from the )"
    R"(\b Tree\b0  menu or from the pop-up menu of the \b Explorer\b0 .)",
    R"(\par A branch added while a branch is selected becomes a child of that branch.)",
    R"(\par Adding an item works the same way, with Add Item. No branch can be added under an item.)",
    R"(\par Move Up and Move Down in the \b Tree\b0  menu or the pop-up menu move a node within its parent; )"
    R"(branches always stay before items. Dragging a node with the mouse onto a branch or the root moves it there, )"
    R"(with everything below it. A right click on a node selects it and opens the pop-up menu. )"
    R"(Undo (Ctrl+Alt+Z) and Redo (Ctrl+Alt+Y) in the same menus take back and bring again the last adds, )"
    R"(renames, deletes and moves, with the text of a deleted item.)",
    R"(\par \plain\f2\fs20 The \b Editor\b0  is used like any other text editor: copy, paste and delete text, )"
    R"(and choose its font, colour and paragraph alignment. Ctrl+B, Ctrl+I and Ctrl+U make the selected text bold, )"
    R"(italic or underlined; a right click in the \b Editor\b0  opens the Edit and Format commands. )"
    R"(Ctrl+F finds text in the selected item.)",
    R"(\par Ctrl+Shift+F (Find in All Items in the \b Edit\b0  menu) searches every item, and the names of the )"
    R"(nodes when Node names is ticked, for a text or a regular expression, with Match case and Whole word as you )"
    R"(choose. The matches are listed under the \b Explorer\b0 ; Enter or a double click shows one in the )"
    R"(\b Editor\b0 , and F3 and Shift+F3 go to the next and the previous match through all items.)",
    R"(\par The \b Editor\b0  is enabled only while an item is selected, since a branch holds no text.)",
    R"(\par Typed text is kept 2 seconds after the last key, so a crash loses at most those seconds; )"
    R"(at the next start Quivora offers to recover work that was never saved. Save keeps the previous versions )"
    R"(of the file beside it: NAME.qvr.1 is the newest.)",
    R"(\par \plain\f4\fs20 The splitter between the two panels changes their widths.)",
    R"(\par })",
};

QString Clean(const QString &path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    // Never leave a half-written guide behind that would then be kept.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

} // namespace

QByteArray HelpFileContent()
{
    QByteArray bytes;
    for (const char *line : kGuide) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

QStringList HelpFileCandidates(const QString &programFolder, const QString &workFolder)
{
    QStringList folders;
    if (!programFolder.isEmpty())
        folders << Clean(programFolder);
    if (!workFolder.isEmpty()) {
        const QString work = Clean(workFolder);
        folders << QFileInfo(work).path() << work;
    }
    QStringList result;
    for (const QString &folder : std::as_const(folders)) {
        const QString path = QDir(folder).filePath(QStringLiteral("Hfile"));
        if (!result.contains(path))
            result << path;
    }
    return result;
}

QString HelpFilePath(const QString &programFolder, const QString &workFolder)
{
    for (const QString &path : HelpFileCandidates(programFolder, workFolder))
        if (QFileInfo(path).isFile())
            return path;
    return QString();
}

QString WriteHelpFile(const QString &programFolder, const QString &workFolder)
{
    const QString existing = HelpFilePath(programFolder, workFolder);
    if (!existing.isEmpty())
        return existing;
    const QByteArray content = HelpFileContent();
    for (const QString &path : HelpFileCandidates(programFolder, workFolder))
        if (WriteFile(path, content))
            return path;
    return QString();
}
