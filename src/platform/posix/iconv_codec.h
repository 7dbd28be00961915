#pragma once
#include <string>

#include "platform/text_codec.h"

namespace tw {

// A code page through iconv: the host's stand-in for the system ANSI code
// page (CP932 by default, as on the Japanese systems the program is for).
// Pure ASCII passes through unconverted, as it is the same in every one.
// Keeps its conversion descriptors open, so one codec serves one thread.
class IconvCodec : public TextCodec {
public:
    explicit IconvCodec(std::string codePage = "CP932");
    ~IconvCodec() override;
    IconvCodec(const IconvCodec&) = delete;
    IconvCodec& operator=(const IconvCodec&) = delete;

    std::string ToAnsi(const std::string& utf8) override;
    std::string FromAnsi(const std::string& ansi) override;
    // ASCII, Latin-1 and full-width Latin letters.
    std::string ToUpper(const std::string& utf8) override;
    void UpperInPlace(std::string& utf8) override;

private:
    // Opening a descriptor costs far more than most conversions, so each
    // direction is opened once, on first use.
    void* Descriptor(void*& cd, const char* to, const char* from);
    std::string Convert(const std::string& in, void* cd, bool fromUtf8,
                        const std::string& replacement);

    std::string codePage_;
    void* toAnsi_ = nullptr;
    void* fromAnsi_ = nullptr;
    std::string scratch_;  // conversion output, reused between calls
};

}  // namespace tw
