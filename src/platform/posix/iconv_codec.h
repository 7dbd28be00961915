#pragma once
#include <string>

#include "platform/text_codec.h"

namespace tw {

// A code page through iconv: the host's stand-in for the system ANSI code
// page (CP932 by default, as on the Japanese systems the program is for).
class IconvCodec : public TextCodec {
public:
    explicit IconvCodec(std::string codePage = "CP932");
    std::string ToAnsi(const std::string& utf8) override;
    std::string FromAnsi(const std::string& ansi) override;

private:
    std::string codePage_;
};

}  // namespace tw
