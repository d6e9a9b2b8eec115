#pragma once

// The process's own memory figures, as the kernel keeps them in /proc/self/status.
#include <QtGlobal>

#include <fstream>
#include <string>

namespace ProcessMemory {

// A "kB" field of the status file ("VmRSS", "VmHWM"); -1 when there is none.
inline qint64 statusKiB(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stoll(line.substr(key.size()));
    }
    return -1;
}

} // namespace ProcessMemory
