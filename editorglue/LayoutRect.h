// The editor's control rectangles (generated from resources/layout.json) as toolkit rectangles.
#pragma once

#include "resources/EditorLayout.h"

#include "cgeometry.h"

inline VSTGUI::CRect toRect(const LayoutRect& r)
{
    return VSTGUI::CRect(r.left, r.top, r.right, r.bottom);
}
