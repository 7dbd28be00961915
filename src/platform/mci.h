#pragma once
#include <cstdint>
#include <string>

namespace tw {

// The multimedia command-string interface: one command in, its error code
// (0 = success) and reply text out. Synchronous; no notify window.
class MciDevice {
public:
    virtual ~MciDevice() = default;
    virtual uint32_t SendString(const std::string& command, std::string& reply) = 0;
};

}  // namespace tw
