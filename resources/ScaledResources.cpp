// The finer picture sets, each embedded as its own table (resources/2x, resources/3x).
#include "embedded_resources.h"

bool orv_resources_2x_find(int32_t id, const uint8_t** data, size_t* size);
bool orv_resources_3x_find(int32_t id, const uint8_t** data, size_t* size);

bool orv_resources_find_scaled(int32_t id, int32_t scale, const uint8_t** data, size_t* size)
{
    switch (scale)
    {
    case 2:
        return orv_resources_2x_find(id, data, size);
    case 3:
        return orv_resources_3x_find(id, data, size);
    default:
        return false;
    }
}
