#pragma once
// Lookup of the PNG resources embedded at build time, by integer id. False for unknown ids.
// The signature matches the toolkit's bitmap resource provider.
#include <cstddef>
#include <cstdint>

bool orv_resources_find(int32_t id, const uint8_t** data, size_t* size);

// The same picture drawn at `scale` (2 or 3) times the resolution; false for other scales and
// unknown ids. The signature matches the toolkit's scaled bitmap resource provider.
bool orv_resources_find_scaled(int32_t id, int32_t scale, const uint8_t** data, size_t* size);
