// Feeds arbitrary bytes to the data-file reader (record and block), and
// writes back whatever it accepts to check that it survives a round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/data_file.h"
#include "platform/posix/iconv_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tw::IconvCodec codec("CP932");
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    tw::StateRecord rec;
    if (tw::DecodeFile(bytes, rec, codec) != tw::LoadOutcome::Loaded) return 0;
    tw::StateRecord again;
    if (tw::DecodeFile(tw::EncodeFile(rec, codec), again, codec) != tw::LoadOutcome::Loaded) std::abort();
    return 0;
}
