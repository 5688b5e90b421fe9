#pragma once

#include <QDialog>

// The About box: version line, change log and to-do list.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
};
