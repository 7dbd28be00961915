#include "platform/text_codec.h"

namespace tw {

bool UpperAsciiInPlace(std::string& text) {
    bool ascii = true;
    for (char& c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 'a' && u <= 'z') c = static_cast<char>(u - 32);
        else if (u >= 0x80) ascii = false;
    }
    return ascii;
}

std::string TextCodec::ToUpper(const std::string& utf8) {
    std::string s = utf8;
    UpperAsciiInPlace(s);
    return s;
}

}  // namespace tw
