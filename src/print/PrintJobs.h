#pragma once

#include "platform/PrintSettings.h"

#include <QObject>
#include <memory>
#include <string>

class CTextControl;
class QPrinter;
class QWidget;

// Printing a script, as the commands ask for it: the printer chosen for the
// run, Print Setup, the print dialog and its page range, the preview, and a
// print without a dialog. The window keeps the commands and asks here.
class CPrintJobs : public QObject
{
    Q_OBJECT

public:
    explicit CPrintJobs(QWidget& window);
    ~CPrintJobs() override;

    // The current printer, kept for the whole run: the default printer, or
    // PDF output where none is installed, until Print Setup or a print dialog
    // chooses another.
    QPrinter& CurrentPrinter();
    // Print Setup: chooses the current printer and its page for what follows.
    // Nothing is printed.
    void PrintSetup();
    // The print dialog, then the pages it asks for; or the preview.
    void Print(const CTextControl& pane, const CPrintSettings& settings, bool bPreview);
    // Without a dialog, on the named printer or the current one; where no
    // printer is installed, to pdfPath. False when nothing printed.
    bool PrintDirect(const CTextControl& pane, const CPrintSettings& settings,
                     const std::string& printerName, const std::string& pdfPath);
    // What a pane with nothing to print prints: a dialog, and an empty page.
    void PrintNothing();

private:
    // Where no printer is installed, Qt's PDF output stands in; true when it does.
    static bool UsePdfWithoutPrinters(QPrinter& printer);

    QWidget& m_window;
    std::unique_ptr<QPrinter> m_pPrinter;
};
