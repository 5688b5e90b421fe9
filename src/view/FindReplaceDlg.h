#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class CTextControl;
class QCheckBox;
class QLineEdit;

// The modeless Find and Replace dialog. Each button press sets the flags and
// reports the request; Cancel or closing reports the end of the dialog.
class CFindReplaceDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr std::uint32_t FR_DOWN = 0x1;
    static constexpr std::uint32_t FR_WHOLEWORD = 0x2;
    static constexpr std::uint32_t FR_MATCHCASE = 0x4;
    static constexpr std::uint32_t FR_FINDNEXT = 0x8;
    static constexpr std::uint32_t FR_REPLACE = 0x10;
    static constexpr std::uint32_t FR_REPLACEALL = 0x20;
    static constexpr std::uint32_t FR_DIALOGTERM = 0x40;

    // The texts are bytes of the target's script, shown as the target shows them.
    explicit CFindReplaceDlg(const std::string& findWhat, QWidget* pParent = nullptr,
                             const CTextControl* pTarget = nullptr);

    std::uint32_t GetFlags() const { return m_nFlags; }
    std::string GetFindString() const;
    std::string GetReplaceString() const;
    void SetFindString(const std::string& findWhat);

    QLineEdit* m_pFindWhat;
    QLineEdit* m_pReplaceWith;
    QCheckBox* m_pWholeWord;
    QCheckBox* m_pMatchCase;

signals:
    void FindReplace();

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    void reject() override;

private:
    void Report(std::uint32_t nAction);

    QString ToDisplay(const std::string& bytes) const;
    std::string FromDisplay(const QString& text) const;

    std::uint32_t m_nFlags = FR_DOWN;
    const CTextControl* m_pTarget;
};
