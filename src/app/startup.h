#pragma once
// Start-up, the single-instance rule and the exit routine.
#include <cstdint>
#include <string>

#include "platform/system.h"

namespace tw {

struct AppContext;
struct StateRecord;

inline const char kAlreadyRunningText[] =
    "既に起動されています。タスクバーに格納されているアイコンをクリックしてください。";

// The program's entry: refuses a second copy, prepares the run-time state,
// loads the data file or starts afresh, and shows the main window. Returns
// once the window is shown (or at once for a second copy).
void StartUp(AppContext& ctx);

// Seeds the random numbers and resets every run-time value.
void InitRuntime(AppContext& ctx);

// The operating-system class of a version report (0 to 5).
int32_t ClassifyOs(const OsVersion& v);
int32_t GetOsKind(SystemInfo& system);

// The data file of this program.
std::string DataPath(AppContext& ctx);

// Writes the live state to the data file; true on success.
bool SaveState(AppContext& ctx);

// Saves and ends the program; when the save fails the user may choose to
// keep running, and then it returns with `WakeRequest` set and nothing else
// changed.
void ExitProgram(AppContext& ctx);

// Events of the main window.
void Form_Load(AppContext& ctx);
void Form_Unload(AppContext& ctx);

}  // namespace tw
