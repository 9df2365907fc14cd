#include "store/Integrity.h"

#include "store/Cp1252.h"
#include "store/DocState.h"
#include "store/Messages.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QTreeWidget>

QString IntegrityMessage(const QString &fileLine, const QString &treeLine)
{
    return QStringLiteral("AutoCheckIntegrity, error\r\nsPathFile = ") + fileLine
           + QStringLiteral("\r\nsPathTree = ") + treeLine + QStringLiteral("\r\n");
}

QString NoEndMessage()
{
    return QStringLiteral("AutoCheck, no End found.");
}

QString ShortLineMessage(int index, const QString &line)
{
    return QStringLiteral("AutoCheck, line # ") + QString::number(index) + QStringLiteral(" (")
           + line + QStringLiteral(") corrupted (less than") + QStringLiteral("17")
           + QStringLiteral(" characters).");
}

namespace {

void report(DocState &doc, const QString &text)
{
    if (doc.ui)
        doc.ui->showMessage(text);
}

} // namespace

bool AutoCheckIntegrity(QTreeWidget *tree, DocState &doc)
{
    const QList<QByteArray> &lines = doc.master.nodes();
    qsizetype i = 0;
    bool passed = true;
    // Walk file lines and tree nodes side by side; either may run out first.
    ForEachNode(tree, [&](QTreeWidgetItem *node) {
        if (i >= lines.size()) {
            if (doc.master.nodeSectionClosed()) {
                // The node section ended while the tree still has nodes.
                report(doc, IntegrityMessage(QString(), FromCp1252(NodeLine(node))));
                passed = false;
            }
            return false;
        }
        if (!NodeLineMatches(lines[i], node)) {
            report(doc, IntegrityMessage(FromCp1252(lines[i]), FromCp1252(NodeLine(node))));
            passed = false;
            return false;
        }
        ++i;
        return true;
    });
    if (passed && i < lines.size()) {
        // The file lists more nodes than the tree holds.
        report(doc, IntegrityMessage(FromCp1252(lines[i]), QString()));
        passed = false;
    }
    return passed;
}

bool AutoCheck(QTreeWidget *tree, DocState &doc)
{
    if (!AutoCheckIntegrity(tree, doc))
        return false;
    if (!doc.master.nodeSectionClosed()) {
        report(doc, NoEndMessage());
        return false;
    }
    const QList<QByteArray> &lines = doc.master.nodes();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].size() < 17) {
            report(doc, ShortLineMessage(int(i + MasterFile::FirstNodeIndex), FromCp1252(lines[i])));
            return false;
        }
    }
    return true;
}
