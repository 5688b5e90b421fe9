#include "KeyboardLocks.h"

#include <QGuiApplication>

#if defined(CORVALE_HAVE_X11)
#include <X11/XKBlib.h>
#endif

std::optional<CKeyboardLocks> QueryKeyboardLocks()
{
#if defined(CORVALE_HAVE_X11)
    auto* pX11 =
        qApp != nullptr ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (pX11 == nullptr || pX11->display() == nullptr)
        return std::nullopt;
    unsigned int nState = 0;
    if (XkbGetIndicatorState(pX11->display(), XkbUseCoreKbd, &nState) != Success)
        return std::nullopt;
    // The usual indicator order of the core keyboard: Caps, Num, Scroll.
    return CKeyboardLocks{(nState & 0x1) != 0, (nState & 0x2) != 0, (nState & 0x4) != 0};
#else
    return std::nullopt;
#endif
}
