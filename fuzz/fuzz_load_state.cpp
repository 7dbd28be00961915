// Feeds arbitrary bytes to the data-file reader, and writes back whatever it
// accepts to check that an accepted record survives a round trip. The bytes
// are read again as a large file is, with a second reader starting at a
// root it guesses near the middle, and loaded as a large file is, half by
// half: the outcome must be the same every way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#include "core/data_file.h"
#include "platform/files.h"
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

// No thread to be had: the first reader reads the later half itself.
class NoThread : public tw::Threads {
public:
    std::thread Start(std::function<void()>) override {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
};

// One file, "dat", in memory.
class OneFile : public tw::FileSystem {
public:
    explicit OneFile(const std::string& bytes) : bytes_(bytes) {}
    bool FileExists(const std::string& path) override { return path == "dat"; }
    bool ReadWholeFile(const std::string& path, std::string& bytes) override {
        bytes = bytes_;
        return path == "dat";
    }
    bool WriteNewFile(const std::string&, const std::string&) override { return false; }
    bool ReplaceFile(const std::string&, const std::string&) override { return false; }
    bool DeleteFile(const std::string&) override { return false; }
    bool RenameFile(const std::string&, const std::string&) override { return false; }
    bool FindEntries(const std::string&, std::vector<tw::FindEntry>&) override { return false; }
    bool GetAttributes(const std::string&, uint32_t&) override { return false; }
    std::string ShortPath(const std::string&) override { return ""; }
    bool ReadTail(const std::string&, uint32_t, std::string&) override { return false; }

private:
    const std::string& bytes_;
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

    static NoThread none;
    OneFile file(bytes);
    for (tw::Threads* threads : {static_cast<tw::Threads*>(&atOnce), static_cast<tw::Threads*>(&none)}) {
        two.threads = threads;
        tw::StateRecord loaded;
        if (tw::LoadState(file, codec, "dat", loaded, two) != ok || (ok && !(loaded == rec))) std::abort();
    }

    if (!ok) return 0;
    const std::string written = tw::EncodeState(rec, codec);
    tw::StateRecord again;
    if (!tw::DecodeState(written, again, codec)) std::abort();
    // Written on two threads, whatever it holds: the same bytes.
    tw::EncodeOptions twoWriters;
    twoWriters.threads = &atOnce;
    twoWriters.twoThreadsFrom = 0;
    if (tw::EncodeState(rec, codec, twoWriters) != written) std::abort();
    return 0;
}
