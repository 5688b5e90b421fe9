#include "CloseUpComboBox.h"

#include <QAbstractItemView>

// Qt hides the list before it makes the picked row current, so the close-up
// is reported once the event that closed the list is done: by then the pick
// has landed, whether it came from a click, Enter, or nothing at all.
void CCloseUpComboBox::hidePopup()
{
    const bool bWasOpen = view()->isVisible();
    QComboBox::hidePopup();
    if (!bWasOpen || m_bCloseUpPending)
        return;
    m_bCloseUpPending = true;
    QMetaObject::invokeMethod(
        this,
        [this]
        {
            m_bCloseUpPending = false;
            emit ClosedUp();
        },
        Qt::QueuedConnection);
}
