// The block after the record: whole texts where the code page has only a
// replacement, settings beyond the record, and damage told from a block
// that does not belong.
#include "core/extension_block.h"

#include <gtest/gtest.h>

#include "core/data_file.h"
#include "fakes/fakes.h"
#include "model/defaults.h"

namespace tw {
namespace {

const std::string kHangul = "소녀시대 - Gee.mp3";
const std::string kAccents = "Hoppípolla.mp3";

StateRecord Defaults() {
    StateRecord rec;
    rec.Version = "3.10";
    SetDefaults(rec.Settings, 1024, 768);
    return rec;
}

// Texts the code page cannot hold in every place a record keeps texts.
StateRecord ForeignRecord() {
    StateRecord rec = Defaults();
    rec.Settings.Keyword = "jóga 소녀";
    AppendCapped(rec.Settings.WatchFolderSet.WatchFolders, rec.Settings.WatchFolderSet.WatchFolderCount,
                 WatchFolder{"D:\\Sigur Rós\\", kTrue});
    RootEntry root;
    root.Path = "D:\\Sigur Rós\\";
    AppendCapped(root.Folders, root.FolderCount, FolderEntry{"", -1, ""});
    AppendCapped(root.Folders, root.FolderCount, FolderEntry{"Ágætis byrjun", 0, ""});
    AppendCapped(root.Folders, root.FolderCount, FolderEntry{"가요", 1, "Ágætis byrjun\\"});
    AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"plain.mp3", 0, "Plain", "Band", "", ""});
    AppendCapped(root.Tracks, root.TrackCount, TrackEntry{kAccents, 1, "Hoppípolla", "Sigur Rós", "Takk…", "ñ"});
    AppendCapped(root.Tracks, root.TrackCount, TrackEntry{kHangul, 2, "Gee", "소녀시대", "가요", "댓글"});
    AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"桜.mp3", 0, "桜", "歌手", "", ""});
    AppendCapped(rec.Library.LibraryRoots, rec.Library.RootCount, root);
    rec.Library.RegisteredFileCount = rec.Library.TagsReadCount = 4;
    const SearchHit hit{"D:\\Sigur Rós\\", "Ágætis byrjun\\가요\\", kHangul};
    AppendCapped(rec.PlayList, rec.PlayCount, hit);
    AppendCapped(rec.Search.SearchHits, rec.Search.SearchHitCount, hit);
    AppendCapped(rec.Search.SearchWords, rec.Search.SearchWordCount, std::string("jóga"));
    AppendCapped(rec.Search.SearchWords, rec.Search.SearchWordCount, std::string("소녀"));
    return rec;
}

class DataFile_Extension : public ::testing::Test {
protected:
    IconvCodec codec{"CP932"};
    LoadOutcome Load(const std::string& bytes, StateRecord& out) { return DecodeFile(bytes, out, codec); }
};

TEST_F(DataFile_Extension, ForeignTextsComeBackWholeFromEveryPlace) {
    const StateRecord rec = ForeignRecord();
    const std::string record = EncodeState(rec, codec), file = EncodeFile(rec, codec);
    ASSERT_GT(file.size(), record.size());
    EXPECT_EQ(file.substr(0, record.size()), record);  // older readers see the record as ever
    StateRecord back;
    ASSERT_EQ(Load(file, back), LoadOutcome::Loaded);
    EXPECT_EQ(back, rec);
    // The record alone holds what the conversion gives.
    StateRecord old;
    ASSERT_TRUE(DecodeState(file, old, codec));
    EXPECT_EQ(old.Library.LibraryRoots[0].Tracks[2].FileName, codec.FromAnsi(codec.ToAnsi(kHangul)));
}

TEST_F(DataFile_Extension, OnlyWhatTheRecordCannotHoldMakesABlock) {
    StateRecord rec = Defaults();
    EXPECT_EQ(EncodeFile(rec, codec).size(), 119u);  // a first start
    rec.Settings.Keyword = "桜 ｻｸﾗ";  // the code page holds it
    EXPECT_EQ(EncodeFile(rec, codec), EncodeState(rec, codec));
    rec.Settings.PreferId3v2 = kFalse;  // a setting beyond the record, off its default
    StateRecord back;
    ASSERT_EQ(Load(EncodeFile(rec, codec), back), LoadOutcome::Loaded);
    EXPECT_EQ(back.Settings.PreferId3v2, kFalse);
    ASSERT_TRUE(DecodeState(EncodeState(rec, codec), back, codec));
    EXPECT_EQ(back.Settings.PreferId3v2, kTrue);  // no block: the default
}

TEST_F(DataFile_Extension, ANewerVersionsNamedValuesSurviveASave) {
    StateRecord rec = Defaults();
    rec.Settings.OtherValues = {{"HotKey", "0x0754"}, {"SomethingNew", std::string("\0bytes", 6)}};
    StateRecord back;
    ASSERT_EQ(Load(EncodeFile(rec, codec), back), LoadOutcome::Loaded);
    EXPECT_EQ(back.Settings.OtherValues, rec.Settings.OtherValues);
    StateRecord again;
    ASSERT_EQ(Load(EncodeFile(back, codec), again), LoadOutcome::Loaded);
    EXPECT_EQ(again.Settings.OtherValues, rec.Settings.OtherValues);
}

TEST_F(DataFile_Extension, SettingsBeyondTheRecordComeBackOrFallToTheirDefaults) {
    StateRecord rec = Defaults();
    EXPECT_EQ(rec.Settings.Hotkey, kDefaultHotkey);
    EXPECT_EQ(rec.Settings.MediaKeys, kTrue);
    EXPECT_EQ(rec.Settings.SearchAsYouType, kFalse);
    rec.Settings.Hotkey = (kChordControl | kChordShift) << 8 | 'M';
    rec.Settings.MediaKeys = kFalse;
    rec.Settings.SearchAsYouType = kTrue;
    rec.Settings.WatchForChanges = rec.Settings.ResumePlay = kFalse;
    rec.Settings.ResumeEntry = 3, rec.Settings.ResumeCheck = -123456789;
    rec.Settings.ResumeAt = 5000, rec.Settings.ResumeLength = 180000;
    StateRecord back;
    ASSERT_EQ(Load(EncodeFile(rec, codec), back), LoadOutcome::Loaded);
    EXPECT_EQ(back.Settings, rec.Settings);

    // Values as a block might hold them: numbers only, a chord only in range.
    const struct {
        const char* name;
        const char* value;
        int32_t hotkey;
        VBool media, typeAhead;
    } cases[] = {
        {"Hotkey", "0", 0, kTrue, kFalse},
        {"Hotkey", "1604", 1604, kTrue, kFalse},
        {"Hotkey", "-5", 0, kTrue, kFalse},
        {"Hotkey", "99999", 0, kTrue, kFalse},
        {"Hotkey", "4096", 0, kTrue, kFalse},
        {"Hotkey", "Ctrl+M", kDefaultHotkey, kTrue, kFalse},
        {"MediaKeys", "0", kDefaultHotkey, kFalse, kFalse},
        {"SearchAsYouType", "-1", kDefaultHotkey, kTrue, kTrue},
        {"SearchAsYouType", "1", kDefaultHotkey, kTrue, kTrue},
    };
    const StateRecord plain = Defaults();
    const std::string record = EncodeState(plain, codec);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.value);
        ExtensionBlock block;
        block.values = {{c.name, c.value}};
        StateRecord got;
        ASSERT_EQ(Load(record + EncodeExtension(block, record), got), LoadOutcome::Loaded);
        EXPECT_EQ(got.Settings.Hotkey, c.hotkey);
        EXPECT_EQ(got.Settings.MediaKeys, c.media);
        EXPECT_EQ(got.Settings.SearchAsYouType, c.typeAhead);
    }
}

TEST_F(DataFile_Extension, ABlockWrittenAfterAnotherRecordIsIgnored) {
    const StateRecord plain = Defaults();
    StateRecord other = ForeignRecord();
    const std::string otherFile = EncodeFile(other, codec);
    const std::string block = otherFile.substr(EncodeState(other, codec).size());
    StateRecord back;
    ASSERT_EQ(Load(EncodeState(plain, codec) + block, back), LoadOutcome::Loaded);
    EXPECT_EQ(back, plain);
}

// A flipped byte or a zeroed half is damage, with or without a block.
TEST_F(DataFile_Extension, DamageIsToldFromAFileTheProgramWrote) {
    const std::string withBlock = EncodeFile(ForeignRecord(), codec);
    // A library the code page holds whole: no block to check it by.
    StateRecord ascii = Defaults();
    RootEntry root;
    root.Path = "D:\\Music\\";
    AppendCapped(root.Folders, root.FolderCount, FolderEntry{"", -1, ""});
    for (int i = 0; i < 20; ++i)
        AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"song" + std::to_string(i) + ".mp3", 0, "Title", "", "", ""});
    AppendCapped(ascii.Library.LibraryRoots, ascii.Library.RootCount, root);
    const std::string plain = EncodeFile(ascii, codec);
    ASSERT_EQ(plain, EncodeState(ascii, codec));
    auto zeroedHalf = [](std::string b) {
        std::fill(b.begin() + static_cast<long>(b.size() / 2), b.end(), '\0');
        return b;
    };
    auto flipped = [](std::string b, size_t at, char bits) {
        b[at] ^= bits;
        return b;
    };
    const size_t firstTrack = plain.find("song0.mp3") - 2;  // its length
    struct Case { const char* name; std::string bytes; } cases[] = {
        {"zeroed second half, block", zeroedHalf(withBlock)},
        {"zeroed second half, no block", zeroedHalf(plain)},
        {"a text's byte flipped, block", flipped(withBlock, withBlock.find("Plain"), 0x20)},
        {"a length flipped, block", flipped(withBlock, withBlock.find("plain.mp3") - 2, 0x01)},
        {"a length grown, no block", flipped(plain, firstTrack, 0x10)},
        {"a length shrunk, no block", flipped(plain, firstTrack, 0x01)},
        {"bytes after the record", plain + "junk"},
    };
    for (const auto& c : cases) {
        StateRecord out;
        EXPECT_EQ(Load(c.bytes, out), LoadOutcome::Damaged) << c.name;
    }
}

TEST_F(DataFile_Extension, EveryTruncationIsReadOrRefusedNeverTrusted) {
    const StateRecord rec = ForeignRecord();
    const std::string file = EncodeFile(rec, codec);
    const size_t recordSize = EncodeState(rec, codec).size();
    StateRecord asStored;
    ASSERT_TRUE(DecodeState(file, asStored, codec));
    for (size_t n = 0; n < file.size(); ++n) {
        StateRecord out;
        const LoadOutcome o = Load(file.substr(0, n), out);
        if (n < recordSize) {
            EXPECT_EQ(o, LoadOutcome::Damaged) << n;
        } else {  // the block cut short: ignored
            ASSERT_EQ(o, LoadOutcome::Loaded) << n;
            EXPECT_EQ(out, asStored) << n;
        }
    }
}

TEST(DataFile_ExtensionBlock, ADamagedBlockIsNoBlock) {
    ExtensionBlock block;
    block.texts = {{3, "소녀"}, {9, "ó"}};
    block.values = {{"PreferId3v2", "0"}};
    const std::string record = "record bytes";
    const std::string bytes = record + EncodeExtension(block, record);
    const std::optional<FoundExtension> found = FindExtension(bytes);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->at, record.size());
    EXPECT_EQ(found->recordLength, record.size());
    EXPECT_EQ(found->recordChecksum, Checksum(record));
    EXPECT_EQ(found->block.texts, block.texts);
    EXPECT_EQ(found->block.values, block.values);
    for (size_t i = record.size(); i < bytes.size(); ++i) {
        std::string flipped = bytes;
        flipped[i] ^= 0x10;
        EXPECT_FALSE(FindExtension(flipped)) << i;
    }
}

// Bodies whose checksum is right but whose contents no writer produces.
TEST(DataFile_ExtensionBlock, ABodyNoWriterProducesIsNoBlock) {
    auto text = [](uint32_t ordinal, std::string t) {
        ExtensionBlock b;
        b.texts = {{ordinal, std::move(t)}};
        return EncodeExtensionBody(b);
    };
    std::string twoTexts = text(5, "a");
    twoTexts[0] = 2;  // two texts announced
    twoTexts.insert(twoTexts.size() - 4, text(5, "b").substr(4, 9));  // the second at the same place
    const struct {
        const char* what;
        std::string body;
    } cases[] = {
        {"a text that is not UTF-8", text(1, "\xC3(")},
        {"an overlong form", text(1, "\xC0\xAF")},
        {"a surrogate", text(1, "\xED\xA0\x80")},
        {"ordinals out of order", twoTexts},
        {"more texts than bytes", std::string("\xFF\xFF\xFF\x0F", 4) + std::string(4, '\0')},
        {"bytes after the values", text(1, "a") + "x"},
        {"the values' count missing", text(1, "a").substr(0, 9)},
    };
    const std::string record = "record bytes";
    ASSERT_TRUE(FindExtension(record + SealExtension(text(1, "\xC3\xB3"), record)));
    for (const auto& c : cases) EXPECT_FALSE(FindExtension(record + SealExtension(c.body, record))) << c.what;
}

}  // namespace
}  // namespace tw
