#pragma once

#include <QDialog>
#include <string>

class QTextEdit;

// The User/Developer Information dialog: a read-only text and a pointer to the
// detailed documentation.
class CUserInfoDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kMaxText = 2000;

    explicit CUserInfoDlg(QWidget* pParent = nullptr);

    // The information text; the Help menu's opens with "NOTE: - ", the tool
    // bar's with "NOTE - ".
    static std::string InformationText(const std::string& opening);

    // The text is exchanged with the box when the dialog opens and on OK.
    std::string m_strText;
    QTextEdit* m_pText;

    int exec() override;

public slots:
    void accept() override;
};
