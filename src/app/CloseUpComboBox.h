#pragma once

#include <QComboBox>

// A drop-down list that says when its list closes, picked or not.
class CCloseUpComboBox : public QComboBox
{
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    void hidePopup() override;

signals:
    // The list closed; the entry picked, if any, is current by now.
    void ClosedUp();

private:
    bool m_bCloseUpPending = false;
};
