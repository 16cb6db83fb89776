// Parameter changes inside one block, ordered by their sample offset, in fixed storage: a face
// fills it on the audio thread from its format's events without allocating, and EffectInstance
// splits the block at the offsets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orv::effecthost
{

struct ParameterChange
{
    int32_t offset; // sample offset in the block; values beyond the block apply at its end
    int32_t index;  // parameter 0..7
    float value;    // normalized
};

class ParameterChanges
{
public:
    static constexpr int32_t kCapacity = 2048;

    void clear() { count_ = 0; }
    // Adds a change after every change with the same or an earlier offset, so changes of one
    // offset apply in the order they were added. When the storage is full, the latest stored
    // change of the same parameter takes the value instead (the value at the block's end stays
    // right) and false is returned; without one the change is dropped.
    bool add(int32_t offset, int32_t index, float value);

    int32_t size() const { return count_; }
    const ParameterChange& operator[](int32_t i) const { return changes_[static_cast<size_t>(i)]; }

private:
    std::array<ParameterChange, kCapacity> changes_{};
    int32_t count_ = 0;
};

} // namespace orv::effecthost
