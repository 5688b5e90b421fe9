#include "PrintJobs.h"

#include "ScriptPrinter.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

CPrintJobs::CPrintJobs(QWidget& window) : QObject(&window), m_window(window) {}

CPrintJobs::~CPrintJobs() = default;

bool CPrintJobs::UsePdfWithoutPrinters(QPrinter& printer)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    return true;
}

QPrinter& CPrintJobs::CurrentPrinter()
{
    if (!m_pPrinter)
    {
        m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        UsePdfWithoutPrinters(*m_pPrinter);
    }
    return *m_pPrinter;
}

void CPrintJobs::PrintSetup()
{
    QPrintDialog dialog(&CurrentPrinter(), &m_window);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (auto* pButtons = dialog.findChild<QDialogButtonBox*>())
    {
        if (QPushButton* pOk = pButtons->button(QDialogButtonBox::Ok))
            pOk->setText(QStringLiteral("OK"));
    }
    dialog.exec();
}

void CPrintJobs::Print(const CTextControl& pane, const CPrintSettings& settings, bool bPreview)
{
    QPrinter& printer = CurrentPrinter();
    // Every job starts on all pages, whatever range the last one printed.
    printer.setPrintRange(QPrinter::AllPages);
    CScriptPrinter scriptPrinter(pane, settings);
    if (!scriptPrinter.Prepare(printer))
        return;
    if (bPreview)
    {
        // The preview draws its pages again on every change of its view; the
        // message comes with the first drawing only. Its Print button prints
        // through the same signal, on the printer's own engine, page by page.
        QPrintPreviewDialog preview(&printer, &m_window);
        bool bShown = false;
        connect(&preview, &QPrintPreviewDialog::paintRequested, this,
                [&](QPrinter* pPrinter)
                {
                    const bool bPreviewing =
                        pPrinter->paintEngine() != nullptr &&
                        pPrinter->paintEngine()->type() == QPaintEngine::Picture;
                    if (!bPreviewing)
                        scriptPrinter.Print(*pPrinter, CScriptPrinter::EMessage::BeforeEachPage);
                    else
                        scriptPrinter.Print(*pPrinter, bShown ? CScriptPrinter::EMessage::Never
                                                              : CScriptPrinter::EMessage::Once);
                    bShown = bShown || bPreviewing;
                });
        preview.exec();
        return;
    }
    QPrintDialog dialog(&printer, &m_window);
    // The print loop prints pages; it has no selection or current page.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(1, scriptPrinter.m_nPageCount);
    if (dialog.exec() == QDialog::Accepted)
        scriptPrinter.Print(printer, CScriptPrinter::EMessage::BeforeEachPage);
}

bool CPrintJobs::PrintDirect(const CTextControl& pane, const CPrintSettings& settings,
                             const std::string& printerName, const std::string& pdfPath)
{
    CScriptPrinter scriptPrinter(pane, settings);
    QPrinter& printer = CurrentPrinter();
    if (!printerName.empty())
        printer.setPrinterName(QString::fromStdString(printerName));
    if (UsePdfWithoutPrinters(printer))
        printer.setOutputFileName(QFile::decodeName(QByteArray::fromStdString(pdfPath)));
    if (!scriptPrinter.Prepare(printer))
        return false;
    scriptPrinter.Print(printer, CScriptPrinter::EMessage::BeforeEachPage);
    return true;
}

void CPrintJobs::PrintNothing()
{
    QPrintDialog dialog(&CurrentPrinter(), &m_window);
    if (dialog.exec() == QDialog::Accepted)
        QPainter painter(&CurrentPrinter());
}
