#pragma once
// The small Win32 services: the tick counter, the message pump and the
// ANSI code page.
#include "platform/clock.h"
#include "platform/message_pump.h"
#include "platform/text_codec.h"

namespace tw::win {

class WinClock final : public Clock {
public:
    uint32_t GetTickCount() override;
};

class WinMessagePump final : public MessagePump {
public:
    void Yield() override;
};

// The system ANSI code page (CP_ACP), through UTF-16.
class WinTextCodec final : public TextCodec {
public:
    std::string ToAnsi(const std::string& utf8) override;
    std::string FromAnsi(const std::string& ansi) override;
    // The system's case mapping (CharUpperBuffW), one UTF-16 unit for one.
    std::string ToUpper(const std::string& utf8) override;
    void UpperInPlace(std::string& utf8) override;
};

}  // namespace tw::win
