#include "tools/SndfileReason.h"

#include <cstring>

std::string sndfileReason(SNDFILE* file)
{
    std::string reason = sf_strerror(file);
    for (const char* prefix : {"System error : ", "Error : "})
        if (reason.rfind(prefix, 0) == 0) reason.erase(0, std::strlen(prefix));
    while (!reason.empty() && (reason.back() == '.' || reason.back() == '\n'))
        reason.pop_back();
    return reason;
}
