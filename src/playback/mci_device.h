#pragma once
// Builds the device's command strings and reads its numeric replies. One
// file is open at a time, always under the same alias.
#include <cstdint>
#include <string>

namespace tw {

class MciDevice;
class FileSystem;

inline const char kDeviceAlias[] = "Tunewhistle3.00";

// Replies longer than this are cut, as the device's reply buffer is.
constexpr size_t kMciReplyLength = 100;

class MciWrapper {
public:
    MciWrapper(MciDevice& device, FileSystem& files) : device_(device), files_(files) {}

    // Sends a command unchanged; the reply is cut at its first NUL.
    uint32_t SendMci(const std::string& command, std::string& reply);

    // Opens `path` under `alias` and switches to milliseconds. The path goes
    // as its short form when that holds no space, otherwise quoted whole; a
    // missing file gives an empty path, so the open fails. A failed open is
    // followed by a close, to release a half-open alias.
    uint32_t OpenDevice(const std::string& alias, const std::string& path);
    void PlayDevice();
    void StopDevice();
    void CloseDevice();
    uint32_t SeekDevice(int32_t position);
    int32_t GetPosition();
    int32_t GetLength();
    // The device's mode word, such as "playing" or "stopped".
    std::string GetMode();

    const std::string& DeviceAlias() const { return alias_; }

private:
    void Send(const std::string& command);
    int32_t StatusNumber(const char* item);

    MciDevice& device_;
    FileSystem& files_;
    std::string alias_ = kDeviceAlias;
};

// The leading decimal number of a reply, rounded to an integer with halves
// to even; 0 when the reply does not start with a number.
int32_t ParseMciNumber(const std::string& reply);

}  // namespace tw
