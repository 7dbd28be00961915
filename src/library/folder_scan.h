#pragma once
// Registration: walking the configured folders and registering every
// "*.mp3" entry as a track of the library.
#include <cstdint>
#include <string>
#include <vector>

#include "model/state_record.h"
#include "platform/files.h"
#include "platform/message_pump.h"

namespace tw {


// One registration run: the library it fills, the files it lists, the job
// it runs in, and where it counts the entries a root's full lists could not
// keep.
struct Registration {
    TrackLibrary& library;
    FileSystem& files;
    JobControl job;
    int32_t& filesOverLimit;
    int32_t& foldersOverLimit;
    // When set, receives each registered track's stamp, in track order.
    std::vector<FileStamp>* stamps = nullptr;
    // The folders from the root down to the one being walked, as far as
    // they told who they are: a folder among them is not entered again.
    std::vector<FolderIdentity> walkPath = {};
};

// Appends one root entry for a configured folder (`path` ends with a
// backslash) and registers its files and, when asked, all sub-folders in
// depth-first pre-order. A folder reached again through a link below
// itself is not entered. Stops listing once the job is stopped. At 32,767
// roots nothing is appended and false comes back.
bool RegisterRoot(Registration& reg, const std::string& path, bool includeSubfolders);

// Registers the "*.mp3" entries of folder k of the last root.
void ScanFolderFiles(Registration& reg, int16_t k);

// Lists the sub-folders of folder k of the last root and, when
// includeSubfolders, registers each with everything below it.
void WalkSubfolders(Registration& reg, int16_t k, bool includeSubfolders);

// Names of the sub-folders of `folderPath` (ending with a backslash):
// plain, hidden, system, then hidden-and-system ones, each exactly once.
// Yields once per entry examined; returns what it has as soon as the job
// is stopped.
std::vector<std::string> ListSubfolders(Registration& reg, const std::string& folderPath);

// The path's attributes as a 16-bit value; 0 when the query fails.
uint16_t GetAttributesSafe(FileSystem& fs, const std::string& path);

// Names of every entry of a folder, "." and ".." left out; empty when the
// folder cannot be listed. An empty path lists "*.*" as it stands.
std::vector<std::string> ListFolderEntries(FileSystem& fs, std::string folderPath);

}  // namespace tw
