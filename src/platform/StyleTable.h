#pragma once

#include "StyleLook.h"

#include <array>
#include <map>
#include <optional>

// Which Scintilla style number shows which look. Numbers 32 to 39 are
// Scintilla's own and never handed out; style 0 always shows the control's
// default format. The table is bounded: when it is full, the owner releases
// the styles that no character uses any more.
class CStyleTable
{
public:
    static constexpr int kStyleCount = 256;
    static constexpr int kDefaultStyle = 0;

    explicit CStyleTable(const CStyleLook& defaultLook);

    // The style showing this look, or -1.
    int Find(const CStyleLook& look) const;
    // A new style for this look, or -1 when every number is taken.
    int Allocate(const CStyleLook& look);
    void Release(int nStyle);
    void SetDefaultLook(const CStyleLook& look);

    bool IsAllocated(int nStyle) const;
    const CStyleLook& Look(int nStyle) const;
    int AllocatedCount() const;

    static bool IsAssignable(int nStyle)
    {
        return nStyle >= 0 && nStyle < kStyleCount && (nStyle < 32 || nStyle > 39);
    }

private:
    std::array<std::optional<CStyleLook>, kStyleCount> m_looks;
    std::map<CStyleLook, int> m_styles;
};
