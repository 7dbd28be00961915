#pragma once
#include <string>

#include "platform/text_codec.h"

namespace tw {

// A code page through iconv: the host's stand-in for the system ANSI code
// page (CP932 by default, as on the Japanese systems the program is for).
// Pure ASCII passes through unconverted, as it is the same in every one.
class IconvCodec : public TextCodec {
public:
    explicit IconvCodec(std::string codePage = "CP932");
    std::string ToAnsi(const std::string& utf8) override;
    std::string FromAnsi(const std::string& ansi) override;
    // ASCII, Latin-1 and full-width Latin letters.
    std::string ToUpper(const std::string& utf8) override;

private:
    std::string codePage_;
};

}  // namespace tw
