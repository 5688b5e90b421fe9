#include "CloseUpComboBox.h"

void CCloseUpComboBox::hidePopup()
{
    QComboBox::hidePopup();
    emit ClosedUp();
}
