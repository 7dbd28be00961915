// Feeds arbitrary bytes to the reader of the block after the record: as a
// whole file, after a valid record, and sealed with a right checksum after
// a valid record (so that the body's parser is reached at all). Whatever is
// read must be kept by a save.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/data_file.h"
#include "core/extension_block.h"
#include "platform/posix/iconv_codec.h"
#include "sample_records.h"

namespace {

tw::IconvCodec& Codec() {
    static tw::IconvCodec codec("CP932");
    return codec;
}

const std::string& Record() {
    static const std::string record = tw::EncodeState(tw::fuzz::LibraryRecord(), Codec());
    return record;
}

// A file read as loaded reads the same after it is written again.
void CheckKept(const std::string& file) {
    tw::StateRecord rec;
    if (tw::DecodeFile(file, rec, Codec()) != tw::LoadOutcome::Loaded) return;
    tw::StateRecord again;
    if (tw::DecodeFile(tw::EncodeFile(rec, Codec()), again, Codec()) != tw::LoadOutcome::Loaded || !(again == rec))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (auto found = tw::FindExtension(bytes)) {
        if (found->at > bytes.size()) std::abort();
        for (size_t i = 1; i < found->block.texts.size(); ++i)
            if (found->block.texts[i].ordinal <= found->block.texts[i - 1].ordinal) std::abort();
    }
    CheckKept(Record() + bytes);

    // A block that belongs to the record is used or ignored, never a reason
    // to call the file damaged.
    const std::string sealed = Record() + tw::SealExtension(bytes, Record());
    tw::StateRecord rec;
    if (tw::DecodeFile(sealed, rec, Codec()) != tw::LoadOutcome::Loaded) std::abort();
    CheckKept(sealed);
    return 0;
}
