// The titles a window manager shows for the program's windows. Qt formats
// titles only on a real window system, so this test starts an X server of
// its own, shows the windows there from a child run of itself, and reads
// each window's title from the server.
#include "settings/Product.h"
#include "shell/AboutBox.h"
#include "shell/Application.h"
#include "shell/HelpWindow.h"
#include "support_window.h"

#include <QApplication>
#include <QProcess>
#include <QSocketNotifier>
#include <cstring>

namespace {

// The child: the program's windows as the program sets them up, on screen
// until the test closes the child's input.
int showWindows(int argc, char **argv)
{
    QApplication app(argc, argv);
    SetUpApplication();
    QTemporaryDir dir;
    testwin::isolateSettings(dir.filePath(QStringLiteral("settings")));
    QDir().mkpath(dir.filePath(QStringLiteral("program")));
    TfrmTree window(StartupConfig{dir.filePath(QStringLiteral("program/")), {}, {}, nullptr});
    window.show();
    window.helpWindow()->show();
    window.aboutBox()->show();
    for (QWidget *w : QWidgetList{&window, window.helpWindow(), window.aboutBox()})
        if (!QTest::qWaitForWindowExposed(w))
            return 2;
    std::puts("shown");
    std::fflush(stdout);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    return QApplication::exec();
}

// Runs an X11 tool against the display; its output, empty when it failed.
QString x11Tool(const QString &display, const QString &tool, QStringList arguments)
{
    QProcess p;
    p.start(tool, arguments << QStringLiteral("-display") << display);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestTitles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void titlesNameTheProgramOnce()
    {
        QProcess xvfb;
        xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QVERIFY2(xvfb.waitForStarted(), "Xvfb is needed (make installs it)");
        QVERIFY(xvfb.waitForReadyRead(30000));
        const QString display = QLatin1Char(':') + QString::fromLatin1(xvfb.readLine().trimmed());

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), display);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--show-windows")});
        QVERIFY(child.waitForReadyRead(30000));
        QCOMPARE(child.readLine().trimmed(), QByteArray("shown"));

        // No window anywhere carries the separator Qt puts before a display name.
        const QString tree = x11Tool(display, QStringLiteral("xwininfo"), {"-root", "-tree"});
        QVERIFY2(!tree.isEmpty() && !tree.contains(QChar(0x2014)), qPrintable(tree));
        for (const QString title : {"Quivora - New File", "How to use Quivora", "About"}) {
            const QString props = x11Tool(display, QStringLiteral("xprop"),
                                          {"-name", title, "_NET_WM_NAME", "WM_NAME"});
            QVERIFY2(props.contains(QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"%1\"\n").arg(title)),
                     qPrintable(title + QLatin1String(": ") + props));
        }
        child.closeWriteChannel();
        QVERIFY(child.waitForFinished(30000));
        xvfb.terminate();
        xvfb.waitForFinished(30000);
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--show-windows") == 0)
        return showWindows(argc, argv);
    QApplication app(argc, argv);
    TestTitles test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_titles.moc"
