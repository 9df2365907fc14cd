// The help file and window, and the about box.
#include "shell/AboutBox.h"
#include "shell/HelpFile.h"
#include "shell/HelpWindow.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

// Receives the links the about box opens instead of a browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void openUrl(const QUrl &url) { urls << url; }
};

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

bool centredOnScreen(const QWidget &w)
{
    return (w.frameGeometry().center() - w.screen()->availableGeometry().center()).manhattanLength() <= 2;
}

} // namespace

class TestHelpAbout : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settings;

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    }

    // Where the guide is written, that it is never rewritten, and what the
    // help window then shows.
    void helpFile_data()
    {
        QTest::addColumn<QString>("program");  // below a regular file "blocker": unwritable
        QTest::addColumn<QString>("work");
        QTest::addColumn<QByteArray>("existing"); // already at `expected` before the start
        QTest::addColumn<QString>("expected");    // empty: nowhere
        QTest::newRow("the program folder") << "prog" << "prog/Data" << QByteArray() << "prog/Hfile";
        QTest::newRow("beside the work folder") << "blocker/prog" << "user/Data" << QByteArray() << "user/Hfile";
        QTest::newRow("a user's own file is kept")
            << "prog" << "prog/Data" << QByteArray("My own notes about Quivora\r\n") << "prog/Hfile";
        QTest::newRow("nowhere") << "blocker/prog" << "blocker/prog/Data" << QByteArray() << "";
    }
    void helpFile()
    {
        QFETCH(QString, program);
        QFETCH(QString, work);
        QFETCH(QByteArray, existing);
        QFETCH(QString, expected);
        QTemporaryDir tmp;
        QVERIFY(writeAll(tmp.filePath(QStringLiteral("blocker")), "x"));
        QDir().mkpath(tmp.filePath(work));
        const QString at = expected.isEmpty() ? QString() : tmp.filePath(expected);
        if (!existing.isEmpty())
            QVERIFY(writeAll(at, existing));
        QCOMPARE(WriteHelpFile(tmp.filePath(program), tmp.filePath(work)), at);
        QCOMPARE(HelpFilePath(tmp.filePath(program), tmp.filePath(work)), at);
        THelp help(at);
        QCOMPARE(help.showsBuiltInText(), at.isEmpty());
        const QString shown = help.txtHelp()->toPlainText();
        if (at.isEmpty() || !existing.isEmpty()) {
            QVERIFY(shown.contains(at.isEmpty() ? QStringLiteral("Explorer") : QStringLiteral("My own notes")));
            QCOMPARE(readAll(at), existing);
            return;
        }
        // The guide: CR LF lines of Windows-1252 bytes, with its three headings.
        const QByteArray guide = readAll(at);
        QCOMPARE(guide, HelpFileContent());
        QCOMPARE(guide.count('\n'), guide.count("\r\n"));
        QVERIFY(std::all_of(guide.begin(), guide.end(), [](char c) { return uchar(c) < 0x80; }));
        for (const char *heading : {"What is Quivora?", "What is the structure of Quivora?", "How to use Quivora?"})
            QVERIFY2(shown.contains(QLatin1String(heading)), heading);
        // Written once: a changed copy stays as it is.
        QVERIFY(writeAll(at, "changed"));
        QCOMPARE(WriteHelpFile(tmp.filePath(program), tmp.filePath(work)), at);
        QCOMPARE(readAll(at), QByteArray("changed"));
    }

    // Centred on its first showing; closing only hides it, so size, place
    // and scroll position are there again next time.
    void helpWindowKeepsItsPlace()
    {
        QTemporaryDir tmp;
        THelp help(WriteHelpFile(tmp.path(), tmp.filePath(QStringLiteral("Data"))));
        help.showAndRaise();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        QVERIFY(centredOnScreen(help));
        QVERIFY(help.txtHelp()->isReadOnly());
        help.resize(300, 120);
        help.move(help.pos() + QPoint(-40, -30));
        QScrollBar *bar = help.txtHelp()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        const int scrolled = bar->value();
        const QPoint pos = help.pos();

        help.mnuClose()->trigger();
        QVERIFY(!help.isVisible());
        help.showAndRaise();
        QVERIFY(help.isVisible());
        QCOMPARE(help.size(), QSize(300, 120));
        QCOMPARE(help.pos(), pos);
        QCOMPARE(bar->value(), scrolled);
    }

    void aboutBox()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "openUrl");
        TAboutBox about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QVERIFY(centredOnScreen(about));
        QTest::mouseClick(about.lblWWW(), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl(MakerWebAddress())});
        // Enter is OK.
        QTest::keyClick(&about, Qt::Key_Return);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestHelpAbout)
#include "tst_helpabout.moc"
