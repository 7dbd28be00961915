#pragma once
// The program's name and version, as every caption and the data file give
// them.
#include <string>

namespace tw {

inline const char kAppTitle[] = "Tunewhistle";
inline const char kVersionText[] = "3.10";

// "Tunewhistle 3.10": the caption of the windows and message boxes, the
// icon's tip and the recycle bin's progress title.
inline std::string AppCaption() { return std::string(kAppTitle) + " " + kVersionText; }

}  // namespace tw
