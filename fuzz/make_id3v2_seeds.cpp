// Writes a few valid ID3v2 tags into a folder, as the ID3v2 fuzzer's seed
// corpus: each version, each text encoding, unsynchronisation, extended
// headers and a picture frame that takes the text past the first 4 KB.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>

#include "library/id3v2_builder.h"

namespace {

using namespace std::string_literals;
using tw::id3build::BigEndian;
using tw::id3build::Frame;
using tw::id3build::Syncsafe;
using tw::id3build::Unsync;

// UTF-16LE with a BOM, for the Latin-1 text the seeds use.
std::string Utf16(const std::string& latin1) {
    std::string s = "\xFF\xFE";
    for (char c : latin1) s += c, s += '\0';
    return s;
}

// A seed: the tag with some padding, then the start of the audio.
std::string Tag(int version, const std::string& frames, uint8_t flags = 0) {
    return tw::id3build::Tag(version, frames, flags, 64) + "\xFF\xFB\x90\x64"s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_id3v2_seeds FOLDER\n";
        return 2;
    }
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(std::string(argv[1]) + "/" + name, std::ios::binary) << bytes;
    };
    write("v22", Tag(2, Frame(2, "TT2", "\0Title"s) + Frame(2, "TP1", "\x01" + Utf16("Art\xFF")) +
                            Frame(2, "TAL", "\x03\xE6\xA1\x9C") + Frame(2, "COM", "\0engd\0Comment"s)));
    write("v22_unsync", Tag(2, Unsync(Frame(2, "TT2", "\0\xFF\xFF"s) + Frame(2, "TP1", "\x01" + Utf16("\xFF"))), 0x80));
    write("v23", Tag(3, Frame(3, "TIT2", "\x01" + Utf16("Title")) + Frame(3, "TPE1", "\0Artist"s) +
                            Frame(3, "TALB", "\x02\0A\0l"s) + Frame(3, "COMM", "\x01" "eng" + Utf16("d") + "\0\0"s +
                                                                                   Utf16("Comment"))));
    write("v23_unsync_ext", Tag(3, Unsync(BigEndian(6, 4) + "\xFF\xFF\0\0\0\0"s + Frame(3, "TIT2", "\0\xFF"s) +
                                          Frame(3, "TPE1", "\x07\x01" + Utf16("\xFF\xFF"), 0x20)),
                                0xC0));
    write("v23_picture", Tag(3, Frame(3, "APIC", std::string(5000, '\xFF')) + Frame(3, "TIT2", "\0After"s)));
    write("v24", Tag(4, Frame(4, "TIT2", "\x03T\0Two"s) + Frame(4, "TPE1", "\0"s + std::string(200, 'a')) +
                            Frame(4, "TALB", "\x07\0Album"s, 0x40) + Frame(4, "COMM", "\x03" "eng\0Comment"s)));
    write("v24_unsync_ext", Tag(4, Syncsafe(6) + "\x01\0"s +
                                       Frame(4, "TIT2", Unsync(Syncsafe(4) + "\x01" + "\xFF\xFE\xFF\0"s), 0x03) +
                                       Frame(4, "TPE1", Unsync("\0\xFF"s), 0x02),
                                0x40));
    return 0;
}
