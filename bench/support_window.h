#pragma once
// The main window on a document, for the benchmarks that time it.
#include "shell/Dialogs.h"
#include "shell/MainWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <memory>

// Every question answered as the benchmark scripts it; messages also go to stderr.
class BenchDialogs : public ScriptedDialogs
{
public:
    void showMessage(const QString &text) override
    {
        fprintf(stderr, "message: %s\n", qPrintable(text));
        ScriptedDialogs::showMessage(text);
    }
};

// Starts the window on `document` the way a command-line start opens it and
// waits until the document is loaded and the window idle (ten minutes at most).
inline std::unique_ptr<TfrmTree> StartWindowOn(const QString &programFolder, const QString &document,
                                               Dialogs *dialogs)
{
    StartupConfig config;
    config.programFolder = programFolder;
    config.arguments = {document};
    config.dialogs = dialogs;
    auto window = std::make_unique<TfrmTree>(config);
    window->show();
    QElapsedTimer waited;
    waited.start();
    while (!(window->doc().activated && window->pendingStartupFile().isEmpty() && !window->doc().busy)
           && waited.elapsed() < 600000) {
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    return window;
}
