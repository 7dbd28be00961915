#include "playback/mci_device.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "model/defaults.h"
#include "platform/files.h"
#include "platform/mci.h"

namespace tw {

int32_t ParseMciNumber(const std::string& reply) {
    size_t i = 0;
    while (i < reply.size() && (reply[i] == ' ' || reply[i] == '\t')) ++i;
    std::string number;
    if (i < reply.size() && (reply[i] == '-' || reply[i] == '+')) number += reply[i++];
    bool digits = false;
    while (i < reply.size() && reply[i] >= '0' && reply[i] <= '9') number += reply[i++], digits = true;
    if (i < reply.size() && reply[i] == '.') {
        number += reply[i++];
        while (i < reply.size() && reply[i] >= '0' && reply[i] <= '9') number += reply[i++], digits = true;
    }
    if (!digits) return 0;
    const double v = std::strtod(number.c_str(), nullptr);
    const double lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    if (v <= lo) return std::numeric_limits<int32_t>::min();
    if (v >= hi) return std::numeric_limits<int32_t>::max();
    return RoundHalfEven(v);
}

uint32_t MciWrapper::SendMci(const std::string& command, std::string& reply) {
    const uint32_t error = device_.SendString(command, reply);
    const size_t nul = reply.find('\0');
    if (nul != std::string::npos) reply.resize(nul);
    if (reply.size() > kMciReplyLength - 1) reply.resize(kMciReplyLength - 1);
    return error;
}

void MciWrapper::Send(const std::string& command) {
    std::string reply;
    SendMci(command, reply);
}

uint32_t MciWrapper::OpenDevice(const std::string& alias, const std::string& path) {
    alias_ = alias;
    std::string name = files_.ShortPath(path);
    // Without 8.3 names the short form is the long path, spaces and all;
    // the command then needs the path in quotes to read it as one word.
    if (name.find(' ') != std::string::npos) name = "\"" + path + "\"";
    std::string reply;
    const uint32_t error = SendMci("open " + name + " Alias " + alias_, reply);
    if (error != 0) {
        CloseDevice();
        return error;
    }
    Send("set " + alias_ + " time format ms");
    return 0;
}

void MciWrapper::PlayDevice() { Send("play " + alias_); }
void MciWrapper::StopDevice() { Send("stop " + alias_); }
void MciWrapper::CloseDevice() { Send("close " + alias_); }

uint32_t MciWrapper::SeekDevice(int32_t position) {
    std::string reply;
    return SendMci("seek " + alias_ + " to " + std::to_string(position), reply);
}

int32_t MciWrapper::StatusNumber(const char* item) {
    std::string reply;
    SendMci("status " + alias_ + " " + item, reply);
    return ParseMciNumber(reply);
}

int32_t MciWrapper::GetPosition() { return StatusNumber("position"); }
int32_t MciWrapper::GetLength() { return StatusNumber("length"); }

std::string MciWrapper::GetMode() {
    std::string reply;
    SendMci("status " + alias_ + " mode", reply);
    return reply;
}

}  // namespace tw
