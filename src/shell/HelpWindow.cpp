#include "shell/HelpWindow.h"

#include "rtf/Rtf.h"
#include "settings/FontFallback.h"
#include "settings/Product.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTextEdit>
#include <QToolTip>

THelp::THelp(const QString &helpFile, QWidget *parent)
    : QMainWindow(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("THelp"));
    setWindowTitle(QStringLiteral("How to use ") + ProductName());
    resize(549, 437);

    m_mnuClose = menuBar()->addAction(QStringLiteral("&Close"));
    m_mnuClose->setObjectName(QStringLiteral("mnuClose"));
    connect(m_mnuClose, &QAction::triggered, this, &THelp::mnuCloseClick);

    m_txtHelp = new QTextEdit(this);
    m_txtHelp->setObjectName(QStringLiteral("txtHelp"));
    m_txtHelp->setReadOnly(true);
    m_txtHelp->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_txtHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_txtHelp->setLineWrapMode(QTextEdit::WidgetWidth);

    QPalette pal = m_txtHelp->palette();
    const QPalette tip = QToolTip::palette();
    pal.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::Text, tip.color(QPalette::ToolTipText));
    m_txtHelp->setPalette(pal);

    QFont font = m_txtHelp->font();
    SetFontFace(font, QStringLiteral("Arial"));
    font.setPixelSize(13);
    m_txtHelp->setFont(font);
    m_txtHelp->document()->setDefaultFont(font);
    setCentralWidget(m_txtHelp);

    loadHelpFile(helpFile);
}

void THelp::loadHelpFile(const QString &helpFile)
{
    QFile file(helpFile);
    if (!helpFile.isEmpty() && file.open(QIODevice::ReadOnly)) {
        rtf::read(file.readAll(), m_txtHelp->document());
        m_builtIn = false;
    } else {
        // The guide could neither be written nor read (read-only folders):
        // say so briefly rather than show an empty window.
        m_txtHelp->setPlainText(
            ProductName()
            + QStringLiteral(" keeps many rich-text documents in one file.\n\n"
                             "The Explorer on the left shows branches (categories) and items (documents); "
                             "add them from the Tree menu or the Explorer's pop-up menu, and drag a node "
                             "to move it. The Editor on the right shows the text of the selected item.\n\n"
                             "The full guide, the file \"Hfile\", could not be written or read."));
        m_builtIn = true;
    }
    m_txtHelp->document()->setModified(false);
    m_txtHelp->moveCursor(QTextCursor::Start);
}

void THelp::showAndRaise()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void THelp::mnuCloseClick() { hide(); }

void THelp::showEvent(QShowEvent *event)
{
    if (!m_placed) {
        // Centred on the screen the first time only; afterwards the window
        // stays where the user put it.
        m_placed = true;
        QScreen *scr = screen() ? screen() : QGuiApplication::primaryScreen();
        if (scr) {
            QRect frame = frameGeometry();
            frame.moveCenter(scr->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QMainWindow::showEvent(event);
}
