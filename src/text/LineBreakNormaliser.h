#pragma once

#include <string>
#include <string_view>

// Every line break put into the text control is stored as CR LF, whether it
// came as CR LF, as a lone LF or as a lone CR. Fed in pieces, so that a CR at
// the end of one piece and an LF at the start of the next stay one break.
class CLineBreakNormaliser
{
public:
    void Feed(std::string_view piece, std::string& out);
    void Finish(std::string& out);

    // True when every break seen was a lone LF, and there was at least one.
    bool LineFeedsOnly() const { return m_nLoneLf > 0 && m_nCrLf == 0 && m_nLoneCr == 0; }

    int m_nCrLf = 0;
    int m_nLoneLf = 0;
    int m_nLoneCr = 0;

private:
    bool m_bPendingCr = false;
};

std::string NormaliseLineBreaks(std::string_view text);
