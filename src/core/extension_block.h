#pragma once
// The block the data file keeps after its record: whatever the record
// cannot hold. The record's texts are in the system's code page, so a name
// the code page lacks is stored there as its replacement; the block keeps
// each such text whole, in UTF-8, by its place among the record's texts.
// It also keeps settings the record has no room for, as named values, and
// those of a newer version as they came.
//
// It is recognisable (a signature at both ends), self-delimiting (its
// length, also at its end, so it is found from the end of the file before
// the record is read), versioned, checked (a checksum over itself), and
// tied to its record (the record's length and checksum). Older readers of
// the record never look past it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/state_record.h"

namespace tw {

struct WholeText {
    uint32_t ordinal = 0;  // the text's place among the record's texts, from 0
    std::string text;      // UTF-8
    bool operator==(const WholeText&) const = default;
};

struct ExtensionBlock {
    std::vector<WholeText> texts;  // by ascending ordinal
    std::vector<NamedValue> values;
    bool Empty() const { return texts.empty() && values.empty(); }
};

// A checksum of bytes, to tell a block or a record that changed.
uint64_t Checksum(std::string_view bytes);

// The block's bytes, to follow `record`.
std::string EncodeExtension(const ExtensionBlock& block, std::string_view record);

// The two halves of that: the body (texts and values), and the body sealed
// with the head and tail that tie it to `record`.
std::string EncodeExtensionBody(const ExtensionBlock& block);
std::string SealExtension(std::string_view body, std::string_view record);

// The block that ends `file`, when there is one that is whole, of a
// version this reader knows, and whose texts are all UTF-8: it begins at
// `at`, and names the record it was written after by that record's length
// and checksum. Never allocates more than the bytes could describe.
struct FoundExtension {
    ExtensionBlock block;
    size_t at = 0;
    uint32_t recordLength = 0;
    uint64_t recordChecksum = 0;
};
std::optional<FoundExtension> FindExtension(std::string_view file);

// Whether `bytes` could be the start of a block (its signature, or as much
// of it as there is): a block cut short, not bytes of another kind.
bool LooksLikeExtension(std::string_view bytes);

}  // namespace tw
