#include "StyleTable.h"

CStyleTable::CStyleTable(const CStyleLook& defaultLook)
{
    m_looks[kDefaultStyle] = defaultLook;
    m_styles.emplace(defaultLook, kDefaultStyle);
}

int CStyleTable::Find(const CStyleLook& look) const
{
    const auto found = m_styles.find(look);
    return found == m_styles.end() ? -1 : found->second;
}

int CStyleTable::Allocate(const CStyleLook& look)
{
    for (int nStyle = 1; nStyle < kStyleCount; ++nStyle)
    {
        if (IsAssignable(nStyle) && !m_looks[nStyle])
        {
            m_looks[nStyle] = look;
            m_styles.emplace(look, nStyle);
            return nStyle;
        }
    }
    return -1;
}

void CStyleTable::Release(int nStyle)
{
    if (nStyle == kDefaultStyle || !IsAllocated(nStyle))
        return;
    const auto found = m_styles.find(*m_looks[nStyle]);
    if (found != m_styles.end() && found->second == nStyle)
        m_styles.erase(found);
    m_looks[nStyle].reset();
}

void CStyleTable::SetDefaultLook(const CStyleLook& look)
{
    const auto old = m_styles.find(*m_looks[kDefaultStyle]);
    if (old != m_styles.end() && old->second == kDefaultStyle)
        m_styles.erase(old);
    m_looks[kDefaultStyle] = look;
    m_styles.insert_or_assign(look, kDefaultStyle);
}

bool CStyleTable::IsAllocated(int nStyle) const
{
    return nStyle >= 0 && nStyle < kStyleCount && m_looks[nStyle].has_value();
}

const CStyleLook& CStyleTable::Look(int nStyle) const
{
    return IsAllocated(nStyle) ? *m_looks[nStyle] : *m_looks[kDefaultStyle];
}

int CStyleTable::AllocatedCount() const
{
    int nCount = 0;
    for (const auto& look : m_looks)
        nCount += look.has_value() ? 1 : 0;
    return nCount;
}
