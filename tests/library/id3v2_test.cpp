#include "library/id3v2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "library/id3v2_builder.h"
#include "platform/files.h"

namespace tw {
namespace {

using namespace std::string_literals;
using namespace id3build;

std::string Repeat(const std::string& unit, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += unit;
    return s;
}

const std::string kAudio = std::string("\xFF\xFB\x90\x64", 4) + std::string(700, 'U');

std::string Latin1(const std::string& text) { return '\0' + text; }

const char* TitleId(int version) { return version == 2 ? "TT2" : "TIT2"; }

const std::string kLeBom = "\xFF\xFE", kBeBom = "\xFE\xFF";

// Counts what a reader asks of a file.
class CountingSource final : public ByteSource {
public:
    explicit CountingSource(ByteSource& inner) : inner_(inner) {}
    uint64_t Size() const override { return inner_.Size(); }
    bool ReadAt(uint64_t offset, size_t count, std::string& bytes) override {
        ++reads;
        const bool ok = inner_.ReadAt(offset, count, bytes);
        bytesRead += bytes.size();
        return ok;
    }
    int reads = 0;
    uint64_t bytesRead = 0;

private:
    ByteSource& inner_;
};

// A huge file of `head` then `unit` over and over, made only where it is read.
class RepeatingSource final : public ByteSource {
public:
    RepeatingSource(std::string head, std::string unit, uint64_t size) : head_(head), unit_(unit), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, size_t count, std::string& bytes) override {
        bytes.clear();
        for (uint64_t at = offset; at < size_ && bytes.size() < count; ++at)
            bytes += at < head_.size() ? head_[at] : unit_[(at - head_.size()) % unit_.size()];
        return true;
    }

private:
    std::string head_, unit_;
    uint64_t size_;
};

Id3v2Text Read(const std::string& bytes, bool* found = nullptr) {
    MemorySource file(bytes);
    Id3v2Text text{"stale", "stale", "stale", "stale"};
    const bool ok = ReadId3v2(file, text);
    if (found) *found = ok;
    return text;
}

const std::string R = "\xEF\xBF\xBD";  // U+FFFD

TEST(Id3v2_Read, DecodesEachTextEncodingInEveryVersion) {
    struct Case {
        const char* name;
        std::string body;
        std::string want;
    } cases[] = {
        {"latin-1", Latin1("Caf\xE9"), "Café"},
        {"latin-1 value ends at its nul", Latin1("Caf\xE9\0junk"s), "Café"},
        {"utf-16 le bom", "\x01" + kLeBom + Utf16(u"桜の歌", false), "桜の歌"},
        {"utf-16 be bom", "\x01" + kBeBom + Utf16(u"𝄞 clef", true), "𝄞 clef"},
        {"utf-16 no bom is le", "\x01" + Utf16(u"été", false), "été"},
        {"utf-16be", "\x02" + Utf16(u"桜の歌𝄞", true), "桜の歌𝄞"},
        {"utf-8", "\x03桜の歌 𝄞", "桜の歌 𝄞"},
        {"bad utf-8", "\x03" "a\xC3(b\xED\xA0\x80\xC0\x80\xF0\x9F", "a" + R + "(b" + R + R + R + R + R + R},
        {"lone surrogates", "\x01" + kLeBom + Utf16(u"a\xD800" "b\xDC00\xDBFF", false), "a" + R + "b" + R + R},
        {"unknown encoding", "\x04text", ""},
        {"first of several values", "\x03One\0Two\0"s, "One"},
        {"first of several utf-16 values",
         "\x01" + kLeBom + Utf16(u"One", false) + std::string(2, '\0') + kLeBom + Utf16(u"Two", false), "One"},
        {"utf-16be value ends at an aligned nul", "\x02" + Utf16(u"\x0100\x0041", true) + std::string(2, '\0'),
         "ĀA"},
    };
    for (const Case& c : cases) {
        for (int version : {2, 3, 4}) {
            SCOPED_TRACE(std::string(c.name) + " v2." + std::to_string(version));
            bool found;
            const Id3v2Text t = Read(Tag(version, Frame(version, TitleId(version), c.body), 0, 50) + kAudio, &found);
            EXPECT_EQ(t.Title, c.want);
            EXPECT_EQ(found, !c.want.empty());
            EXPECT_EQ(t.Artist, "");
        }
    }
}

TEST(Id3v2_Read, ReadsTheFourFieldsWithOneReadOfASmallTag) {
    for (int version : {2, 3, 4}) {
        SCOPED_TRACE(version);
        const bool v2 = version == 2;
        const std::string frames =
            Frame(version, v2 ? "TYE" : "TYER", Latin1("1999")) + Frame(version, TitleId(version), Latin1("Song")) +
            Frame(version, v2 ? "TP1" : "TPE1", Latin1("Singer")) + Frame(version, v2 ? "TRK" : "TRCK", Latin1("3")) +
            Frame(version, v2 ? "TAL" : "TALB", Latin1("Record")) +
            Frame(version, v2 ? "COM" : "COMM", Latin1("eng\0Words"s));
        MemorySource memory(Tag(version, frames, 0, 500) + kAudio);
        CountingSource file(memory);
        Id3v2Text t;
        EXPECT_TRUE(ReadId3v2(file, t));
        EXPECT_EQ(t.Title, "Song");
        EXPECT_EQ(t.Artist, "Singer");
        EXPECT_EQ(t.Album, "Record");
        EXPECT_EQ(t.Comment, "Words");
        EXPECT_EQ(file.reads, 1);
    }
}

TEST(Id3v2_Read, FrameSizesAreSyncsafeOnlyInV24WhenTheyCanBe) {
    const std::string body(384, 'x');  // 0x180: the syncsafe and the plain reading differ
    struct Case {
        int version;
        std::string size;
    } cases[] = {{3, BigEndian(384, 4)}, {4, Syncsafe(384)}, {4, BigEndian(384, 4)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        const std::string frames = "TXXX" + c.size + "\0\0"s + body + Frame(c.version, "TIT2", Latin1("After"));
        EXPECT_EQ(Read(Tag(c.version, frames) + kAudio).Title, "After");
    }
}

TEST(Id3v2_Read, DecodesATagUnsynchronisedAsAWholeBeforeV24) {
    for (int version : {2, 3}) {
        for (size_t shift : {0, 1}) {  // a 0xFF, 0x00 pair falls across the 4 KB chunk or not
            SCOPED_TRACE(std::to_string(version) + " " + std::to_string(shift));
            const bool v2 = version == 2;
            const std::string frames =
                Frame(version, v2 ? "TXX" : "TXXX", std::string(shift, 'x')) +
                Frame(version, v2 ? "PIC" : "APIC", std::string(5000, '\xFF')) +
                Frame(version, v2 ? "TAL" : "TALB", Latin1(std::string(254, 'x'))) +  // size 0xFF
                Frame(version, TitleId(version), Latin1("\xFF") + '\0') +
                Frame(version, v2 ? "TP1" : "TPE1", "\x01" + kLeBom + Utf16(u"ÿÿ", false));
            bool found;
            const Id3v2Text t = Read(Tag(version, Unsync(frames), 0x80) + kAudio, &found);
            EXPECT_TRUE(found);
            EXPECT_EQ(t.Album, std::string(254, 'x'));
            EXPECT_EQ(t.Title, "ÿ");
            EXPECT_EQ(t.Artist, "ÿÿ");
        }
    }
}

TEST(Id3v2_Read, DecodesFramesUnsynchronisedInV24) {
    const std::string text = "\x01" + kLeBom + Utf16(u"ÿÿ", false);
    struct Case {
        const char* name;
        uint8_t tagFlags, frameFlags;
        std::string prefix;
    } cases[] = {
        {"frame flag", 0, 0x02, ""},
        {"tag flag", 0x80, 0, ""},
        {"with data length", 0, 0x03, Syncsafe(static_cast<uint32_t>(text.size()))},
        {"with group", 0, 0x42, "\x07"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string frames =
            Frame(4, "TIT2", Unsync(c.prefix + text), c.frameFlags) + Frame(4, "TPE1", Latin1("Next"));
        const Id3v2Text t = Read(Tag(4, frames, c.tagFlags) + kAudio);
        EXPECT_EQ(t.Title, "ÿÿ");
        EXPECT_EQ(t.Artist, "Next");
    }
}

TEST(Id3v2_Read, SkipsTheExtendedHeaderOrRejectsABadOne) {
    struct Case {
        int version;
        std::string ext;
        bool ok;
    } cases[] = {
        {3, BigEndian(6, 4) + std::string(6, '\0'), true},
        {3, BigEndian(10, 4) + "\x80\0\0\0\0\0\x12\x34\x56\x78"s, true},  // with a CRC
        {4, Syncsafe(6) + "\x01" + '\0', true},
        {4, Syncsafe(12) + "\x01\x20\x05\x01\x02\x03\x04\x05", true},
        {3, BigEndian(0xFFFFFFF0, 4), false},
        {4, Syncsafe(5) + "\x01" + '\0', false},
        {4, std::string("\0\0\x80\x06", 4) + "\x01" + '\0', false},
        {4, Syncsafe(100000) + "\x01" + '\0', false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        bool found;
        const Id3v2Text t = Read(Tag(c.version, c.ext + Frame(c.version, "TIT2", Latin1("Title")), 0x40), &found);
        EXPECT_EQ(found, c.ok);
        EXPECT_EQ(t.Title, c.ok ? "Title" : "");
    }
    // Unsynchronised like the rest of a v2.3 tag.
    const std::string ext = BigEndian(6, 4) + "\xFF\xFF\0\0\0\0"s;
    EXPECT_EQ(Read(Tag(3, Unsync(ext + Frame(3, "TIT2", Latin1("Title"))), 0xC0)).Title, "Title");
}

TEST(Id3v2_Read, SeeksPastLargeFramesInsteadOfReadingThem) {
    for (int version : {3, 4}) {
        SCOPED_TRACE(version);
        const std::string frames = Frame(version, "APIC", std::string(200 * 1024, '\x89')) +
                                   Frame(version, "TIT2", Latin1("Title")) +
                                   Frame(version, "TPE1", Latin1(std::string(100 * 1024, 'a'))) +
                                   Frame(version, "TALB", Latin1("Album")) + Frame(version, "COMM", Latin1("eng\0Hi"s));
        MemorySource memory(Tag(version, frames, 0, 1000) + std::string(3 << 20, 'U'));
        CountingSource file(memory);
        Id3v2Text t;
        EXPECT_TRUE(ReadId3v2(file, t));
        EXPECT_EQ(t.Title, "Title");
        EXPECT_EQ(t.Artist, std::string(255, 'a'));
        EXPECT_EQ(t.Album, "Album");
        EXPECT_EQ(t.Comment, "Hi");
        EXPECT_LT(file.bytesRead, 16u * 1024);
    }
}

TEST(Id3v2_Read, NoUsableTagGivesFalseAndEmptyFields) {
    const std::string title = Frame(3, "TIT2", Latin1("Title"));
    const std::string cases[] = {
        "",
        "ID3",
        std::string(4096, 'U'),
        Tag(3, title).replace(0, 3, "ID2"),
        Tag(1, title),
        Tag(5, title),
        Tag(3, title).replace(6, 1, "\x80"),
        Tag(2, Frame(2, "TT2", Latin1("Title")), 0x40),  // v2.2 compression
        Tag(3, "", 0, 2000),
        Tag(4, Frame(4, "TYER", Latin1("1999")) + Frame(4, "TIT2", Latin1("   ")) + Frame(4, "TPE1", "")),
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.substr(0, 10));
        bool found;
        const Id3v2Text t = Read(bytes + kAudio, &found);
        EXPECT_FALSE(found);
        EXPECT_EQ(t.Title + t.Artist + t.Album + t.Comment, "");
    }
}

TEST(Id3v2_Read, ATruncatedTagNeverGivesPartOfAField) {
    for (int version : {2, 3, 4}) {
        for (bool unsync : {false, true}) {
            SCOPED_TRACE(std::to_string(version) + (unsync ? " unsync" : ""));
            const bool v2 = version == 2, v4 = version == 4;
            // v2.4 marks each frame; older versions unsynchronise the whole tag.
            auto frame = [&](const char* id, const std::string& body) {
                return unsync && v4 ? Frame(4, id, Unsync(body), 0x02) : Frame(version, id, body);
            };
            std::string frames = frame(TitleId(version), "\x01" + kLeBom + Utf16(u"Tëxt ÿ", false)) +
                                 frame(v2 ? "TP1" : "TPE1", "\x03Some artist") +
                                 frame(v2 ? "TAL" : "TALB", Latin1("An \xFF album")) +
                                 frame(v2 ? "COM" : "COMM", Latin1("eng\0A comment"s));
            if (unsync && !v4) frames = Unsync(frames);
            const std::string full = Tag(version, frames, unsync && !v4 ? 0x80 : 0, 20);
            for (size_t cut = 0; cut <= full.size(); ++cut) {
                bool found;
                const Id3v2Text t = Read(full.substr(0, cut), &found);
                for (auto [got, want] : {std::pair{t.Title, "Tëxt ÿ"}, {t.Artist, "Some artist"},
                                         {t.Album, "An ÿ album"}, {t.Comment, "A comment"}}) {
                    // Empty or whole, and whole once nothing is cut.
                    EXPECT_TRUE(got.empty() ? cut < full.size() : got == want) << "cut at " << cut << ": " << got;
                }
                EXPECT_EQ(found, !(t.Title + t.Artist + t.Album + t.Comment).empty());
            }
        }
    }
}

TEST(Id3v2_Read, DamageMidTagKeepsTheFieldsBeforeIt) {
    const std::string title = Frame(3, "TIT2", Latin1("Title"));
    const std::string artist = Frame(3, "TPE1", Latin1("Artist"));
    struct Case {
        const char* name;
        std::string bytes;
        const char* artist;
    } cases[] = {
        {"frame past the tag's end",
         Tag(3, title + "TALB" + BigEndian(0x7FFFFFFF, 4) + "\0\0"s + Latin1("Album") + artist, 0, 2000), ""},
        {"v2.4 plain size past the end", Tag(4, title + "TALB\xFF\xFF\xFF\xFF\0\0"s + artist), ""},
        {"garbage id", Tag(3, title + "T\x01T2\0\0\0\0\0\0"s + artist), ""},
        {"lower-case id", Tag(3, title + Frame(3, "talb", Latin1("x")) + artist), ""},
        {"padding then frames", Tag(3, title + std::string(10, '\0') + artist), ""},
        {"tag size past the file's end", "ID3\x03\0\0"s + Syncsafe(0x0FFFFFFF) + title + artist, "Artist"},
        {"zero-size frames", Tag(3, title + Repeat("TXXX\0\0\0\0\0\0"s, 300) + artist), "Artist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool found;
        const Id3v2Text t = Read(c.bytes, &found);
        EXPECT_TRUE(found);
        EXPECT_EQ(t.Title, "Title");
        EXPECT_EQ(t.Artist, c.artist);
        EXPECT_EQ(t.Album, "");
    }
}

TEST(Id3v2_Read, AHugeTagOfPaddingOrEmptyFramesIsReadBriefly) {
    const std::string head = "ID3\x04\0\0"s + Syncsafe(0x0FFFFFFF);
    for (const std::string& unit : {"\0"s, "TXXX\0\0\0\0\0\0"s}) {
        RepeatingSource huge(head, unit, 300u << 20);
        CountingSource file(huge);
        Id3v2Text t;
        EXPECT_FALSE(ReadId3v2(file, t));
        EXPECT_LT(file.bytesRead, 64u * 1024);
    }
}

TEST(Id3v2_Read, CommentSkipsLanguageAndDescription) {
    const std::string nul(1, '\0'), nul2(2, '\0');  // between the description and the text
    struct Case {
        const char* name;
        std::string body;
        std::string want;
    } cases[] = {
        {"latin-1", "\0engdesc\0Nice"s, "Nice"},
        {"no description", "\0eng\0Nice"s, "Nice"},
        {"utf-16, a bom each", "\x01" "eng" + kLeBom + Utf16(u"d", false) + nul2 + kBeBom + Utf16(u"Schön", true),
         "Schön"},
        {"utf-16 text takes the description's order",
         "\x01" "eng" + kBeBom + Utf16(u"d", true) + nul2 + Utf16(u"桜", true),
         "桜"},
        {"utf-16be", "\x02" "eng" + Utf16(u"d", true) + nul2 + Utf16(u"桜", true), "桜"},
        {"utf-8", "\x03" "eng" "désc" + nul + "桜の歌", "桜の歌"},
        {"unterminated description", "\0engonly a description"s, ""},
        {"too short", "\0en"s, ""},
    };
    for (const Case& c : cases) {
        for (int version : {2, 3, 4}) {
            SCOPED_TRACE(std::string(c.name) + " v2." + std::to_string(version));
            EXPECT_EQ(Read(Tag(version, Frame(version, version == 2 ? "COM" : "COMM", c.body))).Comment, c.want);
        }
    }
}

TEST(Id3v2_Read, FirstReadableFrameOfAKindWins) {
    struct Case {
        int version;
        uint8_t flags;
        std::string prefix;
        const char* want;
    } cases[] = {
        {3, 0, "", "Flagged"},
        {3, 0x80, "", "Plain"},            // compressed
        {3, 0x40, "", "Plain"},            // encrypted
        {3, 0x20, "\x05", "Flagged"},      // grouped
        {4, 0x08, "", "Plain"},
        {4, 0x04, "", "Plain"},
        {4, 0x40, "\x05", "Flagged"},
        {4, 0x01, Syncsafe(8), "Flagged"},  // data length
        {4, 0x41, "\x05" + Syncsafe(8), "Flagged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.version) + " " + std::to_string(c.flags));
        const std::string frames = Frame(c.version, "TIT2", c.prefix + Latin1("Flagged"), c.flags) +
                                   Frame(c.version, "TIT2", Latin1("Plain"));
        EXPECT_EQ(Read(Tag(c.version, frames)).Title, c.want);
    }
    const std::string comments = Frame(3, "COMM", Latin1("eng\0First"s)) + Frame(3, "COMM", Latin1("eng\0Second"s));
    EXPECT_EQ(Read(Tag(3, comments)).Comment, "First");
}

TEST(Id3v2_Read, TrimsSpacesAndCapsAt255BytesOnACharacterBoundary) {
    const std::string a254(254, 'a');
    struct Case {
        std::string body;
        std::string want;
    } cases[] = {
        {"\x03  x y  ", "x y"},
        {"\x03" + std::string(300, 'a'), std::string(255, 'a')},
        {"\x03  " + std::string(255, 'a') + "  ", std::string(255, 'a')},
        {"\x03" + a254 + "é", a254},
        {"\x03" + a254.substr(2) + "桜", a254.substr(2) + "桜"},
        {"\x03" + a254.substr(1) + "桜", a254.substr(1)},
        {"\x03" + a254 + "𝄞", a254},
        {"\x03" + a254 + " b", a254},
        {"\x01" + kLeBom + Utf16(std::u16string(300, u'b'), false), std::string(255, 'b')},
        {"\x01" + kLeBom + Utf16(std::u16string(200, u'é'), false), Repeat("é", 127)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.substr(0, 12));
        EXPECT_EQ(Read(Tag(3, Frame(3, "TIT2", c.body))).Title, c.want);
    }
}

}  // namespace
}  // namespace tw
