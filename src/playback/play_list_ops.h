#pragma once
// Shuffling the play list and renaming the file of its current entry.
#include <cstdint>

namespace tw {

struct AppContext;

// Fills ShuffleMap with a random permutation of 0 to n - 1.
void ShuffleOrder(AppContext& ctx, int16_t n);

// Reorders the first PlayCount entries at random; the current entry stays
// current at its new place. Says so in the status line.
void ShufflePlayList(AppContext& ctx);

// Renames the file of RenameItem to the text of the keyword box and updates
// the play list, the hits and the library. A name that is empty or holds a
// path separator or drive colon is refused before the disk is touched.
// False, with nothing changed, when the rename fails.
bool RenameCurrentFile(AppContext& ctx);

}  // namespace tw
