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
    void ClosedUp();
};
