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

// The record's bytes. Texts longer than 65,535 bytes in the code page are
// cut to fit, at a character boundary.
std::string EncodeState(const StateRecord& record, TextCodec& codec);

// Reads one record from the start of `bytes` into `record`. False when the
// bytes end early or describe something no writer produces (a negative or
// impossible count, an array of other than one dimension, an index outside
// its list); the record is then unspecified. Bytes after the record are
// ignored. Never allocates more than the input could describe.
bool DecodeState(const std::string& bytes, StateRecord& record, TextCodec& codec);

// The data file of a program folder: the folder, a backslash, "dat".
std::string DataFilePath(const std::string& programFolder);

// Reads the data file into `record`; false when it is missing, unreadable
// or malformed.
bool LoadState(FileSystem& fs, TextCodec& codec, const std::string& path, StateRecord& record);

// Writes `record` to the data file. The new bytes go to a temporary file
// beside it, which replaces the old file only once it is complete, so any
// failure leaves the previous file as it was. False on failure.
bool WriteStateFile(FileSystem& fs, TextCodec& codec, const std::string& path,
                    const StateRecord& record);

}  // namespace tw
