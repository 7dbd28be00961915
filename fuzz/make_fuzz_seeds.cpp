// Writes a few valid data files into a folder, as the fuzzer's seed corpus.
// With "extension", writes bodies of the block after the record instead.
#include <fstream>
#include <iostream>
#include <string>

#include "core/data_file.h"
#include "core/extension_block.h"
#include "platform/posix/iconv_codec.h"
#include "sample_records.h"

int main(int argc, char** argv) {
    const bool extension = argc == 3 && std::string(argv[2]) == "extension";
    if (argc != 2 && !extension) {
        std::cerr << "usage: make_fuzz_seeds FOLDER [extension]\n";
        return 2;
    }
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(std::string(argv[1]) + "/" + name, std::ios::binary) << bytes;
    };
    if (extension) {
        tw::ExtensionBlock block;
        block.texts = {{0, "D:\\Björk\\"}, {3, "소녀시대 - Gee.mp3"}, {7, "Jóga"}};
        block.values = {{"PreferId3v2", "0"}, {"Later", "x"}};
        write("body", tw::EncodeExtensionBody(block));
        write("sealed", tw::EncodeExtension(block, "record"));
        return 0;
    }
    tw::IconvCodec codec("CP932");
    tw::StateRecord rec = tw::fuzz::DefaultRecord();
    write("defaults", tw::EncodeState(rec, codec));
    rec = tw::fuzz::LibraryRecord();
    write("library", tw::EncodeState(rec, codec));
    // Several roots, and names the code page lacks, so that a block follows.
    tw::RootEntry root = rec.Library.LibraryRoots[0];
    for (int r = 1; r < 6; ++r) {
        root.Path = "D:\\음악\\" + std::to_string(r) + "\\";
        tw::AppendCapped(rec.Library.LibraryRoots, rec.Library.RootCount, root);
    }
    write("roots", tw::EncodeFile(rec, codec));
    return 0;
}
