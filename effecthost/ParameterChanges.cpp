#include "effecthost/ParameterChanges.h"

namespace orv::effecthost
{

bool ParameterChanges::add(int32_t offset, int32_t index, float value)
{
    if (offset < 0) offset = 0;
    if (count_ == kCapacity)
    {
        for (int32_t i = count_ - 1; i >= 0; --i)
        {
            ParameterChange& latest = changes_[static_cast<size_t>(i)];
            if (latest.index != index) continue;
            if (offset >= latest.offset) latest.value = value;
            break;
        }
        return false;
    }
    // Formats deliver changes mostly in order, so the search from the end is short.
    int32_t at = count_;
    while (at > 0 && changes_[static_cast<size_t>(at - 1)].offset > offset)
    {
        changes_[static_cast<size_t>(at)] = changes_[static_cast<size_t>(at - 1)];
        --at;
    }
    changes_[static_cast<size_t>(at)] = {offset, index, value};
    ++count_;
    return true;
}

} // namespace orv::effecthost
