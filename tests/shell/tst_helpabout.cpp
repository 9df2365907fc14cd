#include "shell/AboutBox.h"
#include "shell/HelpFile.h"
#include "shell/HelpWindow.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolTip>

// Receives the links the about box opens instead of a browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void openUrl(const QUrl &url) { urls << url; }
};

class TestHelpAbout : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_settings;
    std::unique_ptr<QTemporaryDir> m_tmp;

    // A program folder with its work folder "Data" inside, as installed by hand.
    QString programFolder() const { return m_tmp->filePath(QStringLiteral("prog")); }
    QString workFolder() const { return m_tmp->filePath(QStringLiteral("prog/Data")); }

    static QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static bool writeAll(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    }

    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        QVERIFY(QDir().mkpath(workFolder()));
    }

    void writesWhenMissing()
    {
        const QString expected = QDir(programFolder()).filePath(QStringLiteral("Hfile"));
        QCOMPARE(HelpFilePath(programFolder(), workFolder()), QString());
        QCOMPARE(WriteHelpFile(programFolder(), workFolder()), expected);
        QCOMPARE(readAll(expected), HelpFileContent());
        QCOMPARE(HelpFilePath(programFolder(), workFolder()), expected);
        QVERIFY(!QFile::exists(m_tmp->filePath(QStringLiteral("Hfile"))));
    }

    void guideStructure_data()
    {
        QTest::addColumn<QByteArray>("part");
        QTest::newRow("header") << QByteArray("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl");
        QTest::newRow("f0") << QByteArray("{\\f0\\fswiss MS Sans Serif;}");
        QTest::newRow("f1") << QByteArray("{\\f1\\froman\\fcharset2 Symbol;}");
        QTest::newRow("f2") << QByteArray("{\\f2\\fswiss\\fcharset1 MS Sans Serif;}");
        QTest::newRow("f3") << QByteArray("{\\f3\\fswiss Arial;}");
        QTest::newRow("f4") << QByteArray("{\\f4\\fswiss Arial;}");
        QTest::newRow("f5") << QByteArray("{\\f5\\fswiss\\fcharset1 MS Sans Serif;}");
        QTest::newRow("colours")
            << QByteArray("\r\n{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}\r\n");
        QTest::newRow("language") << QByteArray("\\deflang1033");
        QTest::newRow("heading 1") << QByteArray("\\f3\\fs24\\cf2\\b What is Quivora?\r\n");
        QTest::newRow("heading 2") << QByteArray("\\f3\\fs24\\cf2\\b What is the structure of Quivora?\r\n");
        QTest::newRow("heading 3") << QByteArray("\\f3\\fs24\\cf2\\b How to use Quivora?\r\n");
        QTest::newRow("body") << QByteArray("\\plain\\f4\\fs20 ");
        QTest::newRow("editor paragraphs") << QByteArray("\\plain\\f2\\fs20 The \\b Editor\\b0  is used like");
        QTest::newRow("bold Tree") << QByteArray("\\b Tree\\b0 ");
        QTest::newRow("empty paragraph") << QByteArray("\r\n\\par \r\n");
        QTest::newRow("last line") << QByteArray("\r\n\\par }\r\n");
    }
    void guideStructure()
    {
        QFETCH(QByteArray, part);
        const QByteArray guide = HelpFileContent();
        QVERIFY2(guide.contains(part), part.constData());
        QVERIFY(guide.endsWith("\\par }\r\n"));
        // Every line ends CR LF; all bytes are ASCII, hence Windows-1252 as well.
        QCOMPARE(guide.count('\n'), guide.count("\r\n"));
        QCOMPARE(guide.count('\r'), guide.count("\r\n"));
        for (char c : guide)
            QVERIFY(static_cast<unsigned char>(c) < 0x80);
        QCOMPARE(guide.count("\\f3\\fs24\\cf2\\b "), 3);
        QCOMPARE(guide.count('{'), guide.count('}'));
    }

    void existingFileIsKeptAndShown()
    {
        const QString path = QDir(programFolder()).filePath(QStringLiteral("Hfile"));
        QVERIFY(writeAll(path, "My own notes about Quivora\r\n"));
        QCOMPARE(WriteHelpFile(programFolder(), workFolder()), path);
        QCOMPARE(readAll(path), QByteArray("My own notes about Quivora\r\n"));
        THelp help(HelpFilePath(programFolder(), workFolder()));
        QVERIFY(!help.showsBuiltInText());
        QVERIFY(help.txtHelp()->toPlainText().contains(QStringLiteral("My own notes about Quivora")));
    }

    void fallbackBesideWorkFolder()
    {
        // A path below a regular file can never be written, root or not.
        QVERIFY(writeAll(m_tmp->filePath(QStringLiteral("blocker")), "x"));
        const QString program = m_tmp->filePath(QStringLiteral("blocker/prog"));
        const QString work = m_tmp->filePath(QStringLiteral("user/Data"));
        QVERIFY(QDir().mkpath(work));
        const QString expected = m_tmp->filePath(QStringLiteral("user/Hfile"));
        QCOMPARE(WriteHelpFile(program, work), expected);
        QCOMPARE(readAll(expected), HelpFileContent());
        QCOMPARE(HelpFilePath(program, work), expected);
        // Found there again, and never rewritten.
        QVERIFY(writeAll(expected, "changed"));
        QCOMPARE(WriteHelpFile(program, work), expected);
        QCOMPARE(readAll(expected), QByteArray("changed"));
    }

    void readOnlyProgramFolder()
    {
        const QString program = m_tmp->filePath(QStringLiteral("ro"));
        QVERIFY(QDir().mkpath(program));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
        const bool writable = writeAll(program + QStringLiteral("/probe"), "x");
        if (writable) {
            QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("running with rights that ignore a read-only folder");
        }
        const QString work = m_tmp->filePath(QStringLiteral("user/Data"));
        QVERIFY(QDir().mkpath(work));
        QCOMPARE(WriteHelpFile(program, work), m_tmp->filePath(QStringLiteral("user/Hfile")));
        QVERIFY(!QFile::exists(program + QStringLiteral("/Hfile")));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void builtInTextWhenNoFile()
    {
        QVERIFY(writeAll(m_tmp->filePath(QStringLiteral("blocker")), "x"));
        const QString nowhere = m_tmp->filePath(QStringLiteral("blocker/prog"));
        QCOMPARE(WriteHelpFile(nowhere, nowhere + QStringLiteral("/Data")), QString());
        QCOMPARE(HelpFilePath(nowhere, nowhere + QStringLiteral("/Data")), QString());
        THelp help{QString()};
        QVERIFY(help.showsBuiltInText());
        QVERIFY(help.txtHelp()->toPlainText().contains(QStringLiteral("Explorer")));
        THelp missing(m_tmp->filePath(QStringLiteral("no-such-Hfile")));
        QVERIFY(missing.showsBuiltInText());
    }

    void helpWindow()
    {
        THelp help(WriteHelpFile(programFolder(), workFolder()));
        QCOMPARE(help.objectName(), QStringLiteral("THelp"));
        QCOMPARE(help.windowTitle(), QStringLiteral("How to use Quivora"));
        QCOMPARE(help.size(), QSize(549, 437));
        QVERIFY(help.windowFlags().testFlag(Qt::Tool));

        const QList<QAction *> entries = help.menuBar()->actions();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.at(0)->objectName(), QStringLiteral("mnuClose"));
        QCOMPARE(entries.at(0)->text(), QStringLiteral("&Close"));

        QTextEdit *txt = help.findChild<QTextEdit *>(QStringLiteral("txtHelp"));
        QVERIFY(txt);
        QVERIFY(txt->isReadOnly());
        QCOMPARE(txt->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(txt->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff);
        QCOMPARE(txt->palette().color(QPalette::Base), QToolTip::palette().color(QPalette::ToolTipBase));
        QCOMPARE(txt->font().family(), QStringLiteral("Arial"));
        QCOMPARE(txt->font().pixelSize(), 13);
        QVERIFY(txt->toPlainText().contains(QStringLiteral("What is Quivora?")));
    }

    void helpWindowShowHide()
    {
        THelp help(WriteHelpFile(programFolder(), workFolder()));
        help.showAndRaise();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        QVERIFY(help.isVisible());
        const QRect screen = help.screen()->availableGeometry();
        QVERIFY2((help.frameGeometry().center() - screen.center()).manhattanLength() <= 2,
                 "centred on first showing");

        // Small enough to scroll, then moved and scrolled by the user.
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
        TAboutBox about;
        QCOMPARE(about.objectName(), QStringLiteral("TAboutBox"));
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QCOMPARE(about.size(), QSize(298, 209));

        auto *name = about.findChild<QLabel *>(QStringLiteral("lblProductName"));
        QVERIFY(name);
        QCOMPARE(name->text(), QStringLiteral("Quivora"));
        QVERIFY(name->font().bold());
        QCOMPARE(name->font().pixelSize(), 24);
        QVERIFY(about.findChild<QLabel *>(QStringLiteral("lblTrademark")));

        auto *version = about.findChild<QLabel *>(QStringLiteral("lblVersion"));
        QVERIFY(version);
        QCOMPARE(version->text(), QStringLiteral("Version 2.1"));
        auto *maker = about.findChild<QLabel *>(QStringLiteral("lblMaker"));
        QVERIFY(maker && maker->text().contains(QStringLiteral("Corvanta")));

        auto *www = about.findChild<QLabel *>(QStringLiteral("lblWWW"));
        QVERIFY(www);
        QCOMPARE(www->text(), MakerWebAddress());
        QVERIFY(www->alignment().testFlag(Qt::AlignHCenter));
        QCOMPARE(www->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(www->palette().color(QPalette::WindowText), QColor(Qt::blue));

        auto *ok = about.findChild<QPushButton *>(QStringLiteral("OKButton"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
    }

    void aboutBoxLinkAndClose()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "openUrl");
        TAboutBox about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const QRect screen = about.screen()->availableGeometry();
        QVERIFY((about.frameGeometry().center() - screen.center()).manhattanLength() <= 2);

        QTest::mouseClick(about.lblWWW(), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl(MakerWebAddress())});

        QTest::mouseClick(about.okButton(), Qt::LeftButton);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestHelpAbout)
#include "tst_helpabout.moc"
