// The print commands: printing the current item directly, previewing it,
// the page setup, and exporting it to PDF.
#include "shell/MainWindow.h"

#include "print/PdfExport.h"
#include "print/PrevPrinter.h"
#include "settings/Product.h"
#include "shell/Actions.h"
#include "shell/Dialogs.h"
#include "shell/RichEdit.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QPrinter>
#include <QTreeWidget>

namespace {
const QString kPdfCaption = QStringLiteral("Export to PDF");
}

void TfrmTree::CreatePrintCommands()
{
    PreviewPrinter1 = new TPreviewPrinter(this);
    PreviewPrinter1->setObjectName(QStringLiteral("PreviewPrinter1"));
    PreviewPrinter1->ShowError = [this](const QString &message) {
        m_dialogs->messageBox(ProductName(), message, MsgIcon::Warning, MsgButton::Ok);
    };
    PreviewPrinter1->Loaded();
    connect(PrintItem1, &QAction::triggered, this, &TfrmTree::PrintItem1Execute);
    connect(PrintPreview1, &QAction::triggered, this, &TfrmTree::PrintPreview1Execute);

    PreviewPrinter1->Messages = m_dialogs;
    PageSetup1 = MakeAction(this, "PageSetup1", QStringLiteral("Page &Setup"),
                            QStringLiteral("Page Setup|Page setup for printing"));
    connect(PageSetup1, &QAction::triggered, this, &TfrmTree::PageSetup1Execute);
    // The Tree menu's entry, beside the other print commands.
    auto *mnuPageSetup = new QAction(PageSetup1->text(), this);
    mnuPageSetup->setObjectName(QStringLiteral("mnuPageSetup"));
    mnuPageSetup->setStatusTip(PageSetup1->statusTip());
    connect(mnuPageSetup, &QAction::triggered, PageSetup1, &QAction::trigger);
    const QList<QAction *> entries = mnuTree->actions();
    mnuTree->insertAction(entries.value(entries.indexOf(PrintItem1) + 1), mnuPageSetup);

    FileExportPdf1 = MakeAction(this, "FileExportPdf1", QStringLiteral("Export to PDF..."),
                                QStringLiteral("Export to PDF|Export the current item as a PDF file"));
    // Like printing, it works on the current item.
    FileExportPdf1->setEnabled(PrintItem1->isEnabled());
    connect(PrintItem1, &QAction::enabledChanged, FileExportPdf1, &QAction::setEnabled);
    connect(FileExportPdf1, &QAction::triggered, this, &TfrmTree::FileExportPdf1Execute);
    File1->insertAction(N1, FileExportPdf1);
}

bool TfrmTree::PrinterInstalled()
{
    if (PreviewPrinter1->Printers().printerCount() >= 1)
        return true;
    m_dialogs->messageBox(ProductName(), QStringLiteral("There is no printer installed."), MsgIcon::Information,
                          MsgButton::Ok);
    return false;
}

void TfrmTree::PrintItem1Execute()
{
    if (!PrinterInstalled())
        return;
    QPrinter *printer = PreviewPrinter1->Printers().printer();
    const DeviceMetrics m = ReadMetrics(printer);
    // The rectangle belongs to this print only: previews keep the page setup's margins.
    const QRect pageRect = PageRectInches(m, PrintableSize(m, printer), 1, 1, 1, 1);
    QString error;
    if (!PrintDocumentDirect(*txtEdit->document(), *printer, QStringLiteral("Testjob"), pageRect, &error))
        m_dialogs->messageBox(ProductName(), error, MsgIcon::Warning, MsgButton::Ok);
}

void TfrmTree::PrintPreview1Execute()
{
    // Previewing needs no printer: pages are then measured against a PDF page.
    PreviewPrinter1->ShowGrid = false;
    PreviewPrinter1->ZoomOption = zoFitToPage;
    PreviewPrinter1->TextOptions().DrawStyle = dsStandard;
    PreviewPrinter1->TextOptions().SetBodyFont(txtEdit->font());
    if (!PreviewPrinter1->PrintRichText(*txtEdit->document())) {
        m_dialogs->messageBox(ProductName(), PreviewPrinter1->LastError(), MsgIcon::Warning, MsgButton::Ok);
        return;
    }
    PreviewPrinter1->Preview();
}

void TfrmTree::PageSetup1Execute()
{
    // The new values show at the next preview.
    PreviewPrinter1->PageSetup();
}

void TfrmTree::FileExportPdf1Execute()
{
    FileDialogRequest request;
    request.caption = kPdfCaption;
    request.folder = m_doc.untitled ? QDir::homePath() : QFileInfo(m_doc.documentPath).absolutePath();
    if (QTreeWidgetItem *item = tvwTree->currentItem())
        request.fileName = item->text(0) + QStringLiteral(".pdf");
    request.filter = QStringLiteral("PDF files (*.pdf)");
    request.defaultSuffix = QStringLiteral("pdf");
    QString path = m_dialogs->saveFileName(request);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty()) {
        // The dialog asked about the name as typed; ask about the completed one.
        path += QStringLiteral(".pdf");
        if (QFileInfo::exists(path)
            && m_dialogs->messageBox(kPdfCaption,
                                     QDir::toNativeSeparators(path)
                                         + QStringLiteral(" already exists.\nDo you want to replace it?"),
                                     MsgIcon::Warning, MsgButton::Yes | MsgButton::No)
                   != MsgButton::Yes)
            return;
    }
    PreviewPrinter1->TextOptions().SetBodyFont(txtEdit->font());
    QString error;
    if (!ExportPdf(*txtEdit->document(), *PreviewPrinter1, PaperForLocale(QLocale()), path, &error))
        m_dialogs->messageBox(kPdfCaption, error, MsgIcon::Warning, MsgButton::Ok);
}
