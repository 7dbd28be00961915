#pragma once
// The multimedia command-string interface of winmm.
#include "platform/mci.h"

namespace tw::win {

class WinMci final : public MciDevice {
public:
    uint32_t SendString(const std::string& command, std::string& reply) override;
};

}  // namespace tw::win
