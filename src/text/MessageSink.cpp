#include "MessageSink.h"

#include <cstdio>

namespace
{
class CStandardErrorSink : public CMessageSink
{
public:
    void ShowMessage(const std::string& text) override
    {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
    }
};

CMessageSink* g_pSink = nullptr;
} // namespace

CMessageSink& DefaultMessageSink()
{
    static CStandardErrorSink s_standardError;
    return g_pSink != nullptr ? *g_pSink : s_standardError;
}

void SetDefaultMessageSink(CMessageSink* pSink)
{
    g_pSink = pSink;
}
