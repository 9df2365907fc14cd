// Find in All Items in the main window: the panel under the explorer, the
// store point before a search, going to a match and F3 / Shift+F3.
#include "support_window.h"

#include "shell/SearchPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QSplitter>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

using namespace testwin;

namespace {

QByteArray document()
{
    return sampleDocument() + "3000002\r\n{\\rtf1\\ansi No soup here\\par\r\n}\r\nEnd\r\n";
}

// Where the window stands: the selected node and the editor's selection.
QString place(TfrmTree *w)
{
    return NodePath(w->tree()->currentItem()) + QLatin1Char('|') + w->editor()->textCursor().selectedText();
}

} // namespace

class TestSearchWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void searchStoresFirstAndStepsAround();
};

void TestSearchWindow::searchStoresFirstAndStepsAround()
{
    Fixture f;
    writeFile(f.docPath("doc.qvr"), document());
    TfrmTree *w = f.start({f.docPath("doc.qvr")});
    SearchPanel *panel = w->pnlSearch;
    QCOMPARE(panel->parentWidget(), w->splLeftPane);
    QCOMPARE(w->splLeftPane->widget(0), w->tree());
    QVERIFY(!panel->isVisible());
    f.select("$\\Recipes\\Soup");
    f.type(" Soup");

    w->FindInAllItems1->trigger();
    QVERIFY(panel->isVisible());
    QTest::keyClicks(panel->edtSearchText, "soup");
    QTest::keyClick(panel->edtSearchText, Qt::Key_Return);
    // The typed text was stored first, and is found.
    QVERIFY(readFile(f.master()).contains("Onion soup Soup"));
    QCOMPARE(panel->statusText(), QStringLiteral("3 matches in 2 nodes"));
    QCOMPARE(panel->hit(2).path, QStringLiteral("$\\Recipes\\Bread"));
    QCOMPARE(panel->hit(2).line.mid(panel->hit(2).matchAt, 4), QStringLiteral("soup"));

    // F3 from the top, around the end and back; Shift+F3 around the start.
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        w->FindNextMatch1->trigger();
        seen << place(w);
    }
    w->FindPreviousMatch1->trigger();
    seen << place(w);
    const QString soup = QStringLiteral("$\\Recipes\\Soup|soup"), bread = QStringLiteral("$\\Recipes\\Bread|soup");
    QCOMPARE(seen, (QStringList{soup, QStringLiteral("$\\Recipes\\Soup|Soup"), bread, soup, bread}));

    // Enter on a row goes to its match.
    panel->setCurrentRow(1);
    QTest::keyClick(panel->lstSearchResults, Qt::Key_Return);
    QCOMPARE(place(w), QStringLiteral("$\\Recipes\\Soup|Soup"));

    panel->chkSearchNames->setChecked(true);
    panel->chkSearchCase->setChecked(true);
    panel->edtSearchText->setText("Soup");
    QTest::keyClick(panel->edtSearchText, Qt::Key_Return);
    QCOMPARE(panel->statusText(), QStringLiteral("2 matches in 1 node"));
    w->FindNextMatch1->trigger(); // a name: the node is selected, nothing in the editor
    QCOMPARE(place(w), QStringLiteral("$\\Recipes\\Soup|"));

    // Another document uses the same keys: its nodes are not taken for the matches.
    f.dialogs.answers.enqueue(MsgButton::No);
    w->FileNew1Execute();
    w->FindNextMatch1->trigger();
    QCOMPARE(panel->statusText(), QStringLiteral("The node of this match was renamed, moved or deleted; search again."));

    // Text that cannot be stored is not searched stale.
    f.type(" more");
    // The master file cannot be replaced: a folder stands in its place.
    QVERIFY(QFile::remove(f.master()));
    QVERIFY(QDir().mkdir(f.master()));
    QTest::keyClick(panel->edtSearchText, Qt::Key_Return);
    QCOMPARE(panel->statusText(), QStringLiteral("Not searched: the current item's text could not be stored."));
    QCOMPARE(panel->hitCount(), 0);
    QVERIFY(f.dialogs.texts().last().startsWith("The item's text cannot be written to the file "));
}

QTEST_MAIN(TestSearchWindow)
#include "tst_search_window.moc"
