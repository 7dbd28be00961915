#pragma once
// The data file "dat": one StateRecord as raw little-endian bytes, texts in
// the system ANSI code page with a 16-bit byte count.
#include <cstddef>
#include <string>

#include "model/state_record.h"

namespace tw {

class TextCodec;
class FileSystem;

inline const char kDataFileName[] = "dat";
// Beside it: the previous generation, kept at every save, and a file that
// could not be read, kept instead of thrown away.
inline const char kBackupSuffix[] = ".bak";
inline const char kBrokenSuffix[] = ".broken";

// The record's bytes alone, as every reader of the record knows them.
// Texts longer than 65,535 bytes in the code page are cut to fit, at a
// character boundary.
std::string EncodeState(const StateRecord& record, TextCodec& codec);

// The data file's bytes: the record and, when there is anything the record
// cannot hold (a text the code page lacks, a setting beyond it that is not
// at its default, a newer version's named value), the block after it.
std::string EncodeFile(const StateRecord& record, TextCodec& codec);

// Reads one record from the start of `bytes` into `record`. False when the
// bytes end early or describe something no writer produces (a negative or
// impossible count, an array of other than one dimension, an index outside
// its list); the record is then unspecified. Bytes after the record are
// ignored. Never allocates more than the input could describe.
bool DecodeState(const std::string& bytes, StateRecord& record, TextCodec& codec);

enum class LoadOutcome {
    Missing,  // no data file
    Loaded,   // the record, with what its block adds
    Damaged,  // a file that cannot be read as one the program wrote
};

// Reads a data file's bytes: the record and its block. A block that is
// damaged, cut short, foreign or written after another record is ignored
// and the record read as it stands. Damaged: the record cannot be read,
// has changed since its block was written after it, or is followed by
// bytes that are no block.
LoadOutcome DecodeFile(const std::string& bytes, StateRecord& record, TextCodec& codec);

// The data file of a program folder: the folder, a backslash, "dat".
std::string DataFilePath(const std::string& programFolder);

// Reads the data file into `record` (an unreadable file is damaged).
LoadOutcome LoadState(FileSystem& fs, TextCodec& codec, const std::string& path, StateRecord& record);

// Writes `record` to the data file. The new bytes go to a temporary file
// beside it, which replaces the old file only once it is complete, so any
// failure leaves the previous file as it was; the old file becomes the
// backup beside it (path + ".bak"). False on failure.
bool WriteStateFile(FileSystem& fs, TextCodec& codec, const std::string& path,
                    const StateRecord& record);

}  // namespace tw
