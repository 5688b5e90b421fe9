#pragma once

#include "text/MessageSink.h"

#include <string>
#include <vector>

// Records every message the plain-C++ parts report, exactly; installed as the
// default message sink for its lifetime.
class CRecordedMessages : public CMessageSink
{
public:
    CRecordedMessages() { SetDefaultMessageSink(this); }
    ~CRecordedMessages() override { SetDefaultMessageSink(nullptr); }
    CRecordedMessages(const CRecordedMessages&) = delete;
    CRecordedMessages& operator=(const CRecordedMessages&) = delete;

    void ShowMessage(const std::string& text) override { m_messages.push_back(text); }

    std::vector<std::string> m_messages;
};
