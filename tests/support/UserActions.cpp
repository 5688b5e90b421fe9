#include "UserActions.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>

void WhenDialogShows(std::function<void(QWidget&)> user)
{
    QTimer::singleShot(0,
                       [user]
                       {
                           QPointer<QWidget> pDialog = QApplication::activeModalWidget();
                           ASSERT_NE(pDialog, nullptr);
                           user(*pDialog);
                           if (pDialog != nullptr && pDialog->isVisible())
                               pDialog->close();
                       });
}

QPushButton* ButtonWithText(const QWidget& dialog, const QString& text)
{
    for (QPushButton* pButton : dialog.findChildren<QPushButton*>())
    {
        if (pButton->text() == text)
            return pButton;
    }
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

void TypeOver(QLineEdit& edit, const QString& text)
{
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClicks(&edit, text);
}

int PagesInPdf(const std::string& pdf)
{
    int nPages = 0;
    for (size_t nPos = pdf.find("/Type /Page"); nPos != std::string::npos;
         nPos = pdf.find("/Type /Page", nPos + 1))
    {
        if (pdf.compare(nPos, 12, "/Type /Pages") != 0)
            ++nPages;
    }
    return nPages;
}

void TypeText(QWidget* pWidget, const QString& text)
{
    for (const QChar c : text)
    {
        if (c.unicode() < 0x80)
        {
            QTest::keyClicks(pWidget, QString(c));
            continue;
        }
        // Qt names a Latin-1 letter's key after its capital.
        const QChar upper = c.toUpper();
        const int nKey = upper.unicode() <= 0xFF ? upper.unicode() : c.unicode();
        QTest::sendKeyEvent(QTest::Click, pWidget, static_cast<Qt::Key>(nKey), QString(c),
                            Qt::NoModifier);
    }
}

QString ShownText(const QString& tip)
{
    return Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
}

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

double ThreadMs()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}
