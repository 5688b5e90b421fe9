#include "StyleLook.h"

CStyleLook MergeFormat(CStyleLook look, const CCharFormat& format)
{
    if (format.dwMask & CFM_SIZE)
        look.yHeight = format.yHeight;
    if (format.dwMask & CFM_COLOR)
        look.crColor = format.crTextColor & 0x00FFFFFF;
    if (format.dwMask & CFM_FACE)
    {
        look.face = format.szFaceName.substr(0, kMaxFaceName);
        look.bPitchAndFamily = format.bPitchAndFamily;
    }
    if (format.dwMask & CFM_ITALIC)
        look.bItalic = (format.dwEffects & CFE_ITALIC) != 0;
    if (format.dwMask & CFM_UNDERLINE)
        look.bUnderline = (format.dwEffects & CFE_UNDERLINE) != 0;
    return look;
}
