#pragma once
#include <cstddef>
#include <memory>
#include <string>

#include "platform/code_page_table.h"

namespace tw {

// Conversion between the program's UTF-8 texts and the system ANSI code page
// used by the data file (CP932 on Japanese systems). Characters the code page
// cannot hold become its replacement character; neither direction fails.
class TextCodec {
public:
    TextCodec() = default;
    TextCodec(const TextCodec&) = delete;
    TextCodec& operator=(const TextCodec&) = delete;
    virtual ~TextCodec();
    virtual std::string ToAnsi(const std::string& utf8) = 0;
    virtual std::string FromAnsi(const std::string& ansi) = 0;
    // Upper case by the platform's case mapping; ASCII letters always fold
    // (all that this default does). Characters without an upper-case form
    // are kept as they are.
    virtual std::string ToUpper(const std::string& utf8);
    // ToUpper on the text itself, for loops that would otherwise copy every
    // text they fold. By default it goes through ToUpper, so the two never
    // disagree; a codec may override it to spare the copy.
    virtual void UpperInPlace(std::string& utf8);

    // The code page's one-to-one characters as tables, learned from this
    // codec at the first use: the fast way for the data file's many texts.
    const CodePageTable& Table();

private:
    std::unique_ptr<CodePageTable> table_;
};

// Folds ASCII letters in place; true when the text held only ASCII, so an
// implementation knows whether anything is left for its own mapping.
bool UpperAsciiInPlace(std::string& text);
bool UpperAsciiInPlace(char* text, size_t size);

}  // namespace tw
