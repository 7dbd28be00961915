#pragma once
#include <string>

namespace tw {

// Conversion between the program's UTF-8 texts and the system ANSI code page
// used by the data file (CP932 on Japanese systems). Characters the code page
// cannot hold become its replacement character; neither direction fails.
class TextCodec {
public:
    virtual ~TextCodec() = default;
    virtual std::string ToAnsi(const std::string& utf8) = 0;
    virtual std::string FromAnsi(const std::string& ansi) = 0;
};

}  // namespace tw
