// The LV2 face's ports: two audio inputs, two audio outputs, then one control input per
// parameter in index order, each in the parameter's display unit (effecthost/ParameterUnits.h).
#pragma once

#include "effecthost/ParameterUnits.h"

#include <cstdint>

namespace orv::lv2
{

inline constexpr uint32_t kInLeft = 0;
inline constexpr uint32_t kInRight = 1;
inline constexpr uint32_t kOutLeft = 2;
inline constexpr uint32_t kOutRight = 3;
inline constexpr uint32_t kFirstControlPort = 4;
inline constexpr uint32_t kNumPorts = kFirstControlPort + kNumParams;

// A control port's value is its parameter's unit value.
using effecthost::kOutputSilenceDb;
using effecthost::kParameterUnits;
using effecthost::ParameterUnit;
using effecthost::toNormalized;
using effecthost::toUnitValue;
using effecthost::Unit;
using effecthost::unitMaximum;
using effecthost::unitMinimum;

} // namespace orv::lv2
