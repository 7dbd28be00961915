#pragma once
// Small helpers of the benchmark: timing, memory, hashing, running a child
// process, and the platform services a bare AppContext needs.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/message_pump.h"
#include "platform/system.h"

namespace twbench {

// Milliseconds since an arbitrary start, as the program's tick counter.
class SteadyClock : public tw::Clock {
public:
    uint32_t GetTickCount() override;
};

// Does nothing but count, so a run can show it yielded as often as before.
class CountingPump : public tw::MessagePump {
public:
    uint64_t yields = 0;
    void Yield() override { ++yields; }
};

// Only ProgramFolder matters here: it places the data file.
class BenchSystem : public tw::SystemInfo {
public:
    std::string folder;  // backslash form, no trailing backslash
    tw::OsVersion GetVersion() override { return {2, 5, 1}; }
    int ScreenWidth() override { return 1024; }
    int ScreenHeight() override { return 768; }
    int Dpi() override { return 96; }
    bool OnAnyMonitor(int, int, int, int) override { return true; }
    std::string ProgramFolder() override { return folder; }
    bool AnotherInstanceRunning() override { return false; }
    bool ShiftDown() override { return false; }
};

double NowMs();

// Runs `before` (untimed), then times `body`, `runs` times; the median.
double MedianMs(int runs, const std::function<void()>& body,
                const std::function<void()>& before = nullptr);

// Resident set size of this process in bytes.
uint64_t ResidentBytes();
// Gives freed heap back to the system so a later growth reads true.
void TrimHeap();

uint64_t Fnv1a(const std::string& bytes, uint64_t h = 1469598103934665603ull);

// "/tmp/x" -> "\tmp\x": the program's own path form, which the POSIX file
// system maps back.
std::string ToProgramPath(const std::string& native);

// Starts argv (searched on PATH), collects its standard output, waits for
// it, and gives the wall time in ms; false when it could not start or
// failed.
bool RunChild(const std::vector<std::string>& argv, std::string& out, double& ms);

bool FileSize(const std::string& path, uint64_t& size);

}  // namespace twbench
