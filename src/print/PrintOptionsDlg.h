#pragma once

#include "platform/PrintSettings.h"

#include <QDialog>

class QLineEdit;

// Print Options: top, left and bottom margins and the line gap. OK checks the
// boxes in order (bottom, left, line gap, top) and stays open at the first one
// that is not a whole number in range.
class CPrintOptionsDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CPrintOptionsDlg(QWidget* pParent = nullptr);

    int exec() override;

    // The four values, in and out.
    void SetSettings(const CPrintSettings& settings);
    CPrintSettings Settings() const;

    int m_nBottomMargin = 0;
    int m_nLeftMargin = 0;
    int m_nLineGap = 0;
    int m_nTopMargin = 0;

    QLineEdit* m_pLeftMargin;   // 1009
    QLineEdit* m_pTopMargin;    // 1010
    QLineEdit* m_pBottomMargin; // 1011
    QLineEdit* m_pLineGap;      // 1012

public slots:
    void accept() override;

private:
    // False (with the message, the focus back in the box) when the box holds no
    // whole number between nMin and nMax.
    static bool ReadBox(QLineEdit* pBox, int nMin, int nMax, int& nValue);
};
