#include "LineBreakNormaliser.h"

void CLineBreakNormaliser::Feed(std::string_view piece, std::string& out)
{
    size_t i = 0;
    if (m_bPendingCr && !piece.empty())
    {
        m_bPendingCr = false;
        out += "\r\n";
        if (piece[0] == '\n')
        {
            ++m_nCrLf;
            i = 1;
        }
        else
            ++m_nLoneCr;
    }
    while (i < piece.size())
    {
        const size_t nBreak = piece.find_first_of("\r\n", i);
        if (nBreak == std::string_view::npos)
        {
            out.append(piece.substr(i));
            return;
        }
        out.append(piece.substr(i, nBreak - i));
        if (piece[nBreak] == '\n')
        {
            ++m_nLoneLf;
            out += "\r\n";
            i = nBreak + 1;
        }
        else if (nBreak + 1 == piece.size())
        {
            m_bPendingCr = true;
            return;
        }
        else
        {
            out += "\r\n";
            if (piece[nBreak + 1] == '\n')
            {
                ++m_nCrLf;
                i = nBreak + 2;
            }
            else
            {
                ++m_nLoneCr;
                i = nBreak + 1;
            }
        }
    }
}

void CLineBreakNormaliser::Finish(std::string& out)
{
    if (m_bPendingCr)
    {
        m_bPendingCr = false;
        ++m_nLoneCr;
        out += "\r\n";
    }
}

std::string NormaliseLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    CLineBreakNormaliser normaliser;
    normaliser.Feed(text, out);
    normaliser.Finish(out);
    return out;
}
