#include "ProcessIo.h"

#include <fstream>
#include <string>

std::optional<ProcessIo> ProcessIoSoFar()
{
    std::ifstream counts("/proc/self/io");
    ProcessIo io;
    int found = 0;
    std::string name;
    unsigned long long value = 0;
    while (counts >> name >> value) {
        if (name == "rchar:") {
            io.read = value;
            ++found;
        } else if (name == "wchar:") {
            io.written = value;
            ++found;
        }
    }
    return found == 2 ? std::optional(io) : std::nullopt;
}
