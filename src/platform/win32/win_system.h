#pragma once
#include "platform/system.h"

namespace tw::win {

class WinSystemInfo final : public SystemInfo {
public:
    // The name every copy of the program shares; a test may pass its own.
    static constexpr const wchar_t* kInstanceMutexName = L"Local\\Tunewhistle.SingleInstance.3.10";

    explicit WinSystemInfo(const wchar_t* instanceMutexName = kInstanceMutexName)
        : mutexName_(instanceMutexName) {}
    ~WinSystemInfo() override;
    WinSystemInfo(const WinSystemInfo&) = delete;
    WinSystemInfo& operator=(const WinSystemInfo&) = delete;

    OsVersion GetVersion() override;
    int ScreenWidth() override;
    int ScreenHeight() override;
    int Dpi() override;
    bool OnAnyMonitor(int left, int top, int width, int height) override;
    std::string ProgramFolder() override;
    bool AnotherInstanceRunning() override;
    bool ShiftDown() override;

private:
    const wchar_t* mutexName_;
    void* mutex_ = nullptr;  // held open while this object lives
    bool checked_ = false;
    bool another_ = false;
};

}  // namespace tw::win
