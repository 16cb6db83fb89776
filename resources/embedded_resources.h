#pragma once
// Lookup of the PNG resources embedded at build time, by integer id. False for unknown ids.
// The signature matches the toolkit's bitmap resource provider.
#include <cstddef>
#include <cstdint>

bool orv_resources_find(int32_t id, const uint8_t** data, size_t* size);
