// Feeds arbitrary bytes to the data-file reader, and writes back whatever it
// accepts to check that an accepted record survives a round trip. The bytes
// are read a second time as a large file is, with a second reader starting
// at a root it guesses near the middle: the outcome must be the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/data_file.h"
#include "platform/posix/iconv_codec.h"
#include "platform/threads.h"

namespace {

// The second reader's work done on the spot, before the first reads on:
// the same input always goes the same way.
class WorkAtOnce : public tw::Threads {
public:
    std::thread Start(std::function<void()> work) override {
        work();
        return {};
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tw::IconvCodec codec("CP932");
    static WorkAtOnce atOnce;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    tw::StateRecord rec;
    const bool ok = tw::DecodeState(bytes, rec, codec);

    tw::DecodeOptions two;
    two.threads = &atOnce;
    two.twoThreadsFrom = 0;
    tw::StateRecord split;
    if (tw::DecodeState(bytes, split, codec, two) != ok || (ok && !(split == rec))) std::abort();

    if (!ok) return 0;
    tw::StateRecord again;
    if (!tw::DecodeState(tw::EncodeState(rec, codec), again, codec)) std::abort();
    return 0;
}
