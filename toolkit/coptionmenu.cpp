#include "coptionmenu.h"
#include "cbitmap.h"
#include "cdrawcontext.h"
#include "cframe.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace VSTGUI
{

CMenuItem::CMenuItem(const char* t, int32_t f) : title(t ? t : ""), flags(f) {}

// The open list: a view on top of the frame that gets every mouse event until it closes.
class COptionMenuPopup : public CView
{
public:
    static constexpr CCoord kItemHeight = 16;
    static constexpr CCoord kPadding = 6;
    static constexpr CCoord kCheckWidth = 12;

    COptionMenuPopup(COptionMenu* m, const CRect& r, int32_t perColumn)
        : CView(r), menu(m), itemsPerColumn(perColumn)
    {
        menu->remember();
    }
    ~COptionMenuPopup() override { menu->forget(); }
    COptionMenuPopup(const COptionMenuPopup&) = delete;

    // Column width and count for the menu's entries.
    static CPoint layout(COptionMenu* menu, CDrawContext* measure, int32_t perColumn,
                         int32_t& columns)
    {
        const int32_t n = menu->getNbEntries();
        columns = perColumn > 0 ? (n + perColumn - 1) / perColumn : 1;
        CCoord w = 60;
        for (int32_t i = 0; i < n; ++i)
            if (measure) w = std::max(w, measure->getStringWidth(menu->getEntry(i)->getTitle()));
        const int32_t rows = perColumn > 0 ? std::min(n, perColumn) : n;
        return {std::ceil(w) + 2 * kPadding + kCheckWidth, rows * kItemHeight + 2};
    }

    int32_t itemAt(const CPoint& where) const
    {
        if (!size.pointInside(where)) return -1;
        const int32_t rows = itemsPerColumn > 0 ? itemsPerColumn : menu->getNbEntries();
        const int32_t col = static_cast<int32_t>((where.x - size.left) / columnWidth());
        const int32_t row = static_cast<int32_t>((where.y - size.top - 1) / kItemHeight);
        if (row < 0 || row >= rows) return -1;
        const int32_t index = col * rows + row;
        CMenuItem* item = menu->getEntry(index);
        if (!item || item->isSeparator() || item->isTitle() || !item->isEnabled()) return -1;
        return index;
    }

    void draw(CDrawContext* context) override
    {
        context->saveGlobalState();
        context->setDrawMode(kAliasing);
        context->setFillColor(CColor(240, 240, 240, 255));
        context->drawRect(size, kDrawFilled);
        context->setFrameColor(CColor(64, 64, 64, 255));
        context->setLineWidth(1);
        CRect border(size);
        border.inset(0.5, 0.5);
        context->drawRect(border, kDrawStroked);
        context->setFont(kNormalFontSmall);
        const int32_t rows = itemsPerColumn > 0 ? itemsPerColumn : menu->getNbEntries();
        for (int32_t i = 0; i < menu->getNbEntries(); ++i)
        {
            CMenuItem* item = menu->getEntry(i);
            const CCoord x = size.left + (i / rows) * columnWidth();
            const CCoord y = size.top + 1 + (i % rows) * kItemHeight;
            CRect r(x, y, x + columnWidth(), y + kItemHeight);
            if (item->isSeparator())
            {
                context->setFrameColor(CColor(160, 160, 160, 255));
                context->drawLine(CPoint(r.left + 2, r.top + kItemHeight / 2 + 0.5),
                                  CPoint(r.right - 2, r.top + kItemHeight / 2 + 0.5));
                continue;
            }
            const bool hot = i == highlighted;
            if (hot)
            {
                context->setFillColor(CColor(48, 96, 160, 255));
                CRect h(r);
                h.inset(1, 0);
                context->drawRect(h, kDrawFilled);
            }
            const bool checked =
                item->isChecked() || ((menu->getStyle() & kCheckStyle) && i == menu->currentIndex);
            const CColor ink = !item->isEnabled() || item->isTitle()
                                   ? CColor(128, 128, 128, 255)
                                   : (hot ? kWhiteCColor : kBlackCColor);
            if (checked)
            {
                // Drawn as a path: the text face has no check-mark glyph.
                context->setFrameColor(ink);
                context->setDrawMode(kAntiAliasing);
                context->setLineWidth(1.5);
                context->drawPolygon({CPoint(r.left + 4, r.top + 8), CPoint(r.left + 7, r.top + 11),
                                      CPoint(r.left + 12, r.top + 5)},
                                     kDrawStroked);
                context->setLineWidth(1);
                context->setDrawMode(kAliasing);
            }
            context->setFontColor(ink);
            CRect textRect(r.left + kPadding + kCheckWidth, r.top, r.right - kPadding, r.bottom);
            context->drawString(item->getTitle(), textRect, kLeftText, true);
        }
        context->restoreGlobalState();
        setDirty(false);
    }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState&) override
    {
        if (!size.pointInside(where))
        {
            close(-1);
            return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
        }
        armed = true;
        setHighlight(itemAt(where));
        return kMouseEventHandled;
    }

    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState&) override
    {
        const int32_t i = itemAt(where);
        if (i >= 0) armed = true;
        setHighlight(i);
        return kMouseEventHandled;
    }

    CMouseEventResult onMouseUp(CPoint& where, const CButtonState&) override
    {
        const int32_t i = itemAt(where);
        // The release of the click that opened the list selects nothing.
        if (armed && i >= 0) close(i);
        return kMouseEventHandled;
    }

    // Escape closes, the arrows move the highlight over the entries that can be chosen (Up and
    // Down within a column, Left and Right across columns), Return chooses the highlighted one.
    int32_t onKeyDown(VstKeyCode& key) override
    {
        switch (key.virt)
        {
        case VKEY_ESCAPE:
            close(-1);
            return 1;
        case VKEY_RETURN:
        case VKEY_ENTER:
            if (highlighted >= 0) close(highlighted);
            return 1;
        case VKEY_UP:
            step(-1);
            return 1;
        case VKEY_DOWN:
            step(1);
            return 1;
        case VKEY_LEFT:
            step(-rowsPerColumn());
            return 1;
        case VKEY_RIGHT:
            step(rowsPerColumn());
            return 1;
        default:
            break;
        }
        // Every other key is the list's too while it is open.
        return 1;
    }

    void highlight(int32_t index) { setHighlight(index); }

private:
    int32_t rowsPerColumn() const
    {
        return itemsPerColumn > 0 ? itemsPerColumn : std::max(1, menu->getNbEntries());
    }
    bool choosable(int32_t i) const
    {
        CMenuItem* item = menu->getEntry(i);
        return item && !item->isSeparator() && !item->isTitle() && item->isEnabled();
    }
    // Moves the highlight by `delta` entries, on to the next entry that can be chosen; stays put
    // at the ends.
    void step(int32_t delta)
    {
        const int32_t n = menu->getNbEntries();
        if (n == 0) return;
        if (highlighted < 0)
        {
            const int32_t start = menu->currentIndex >= 0 ? menu->currentIndex : 0;
            if (choosable(start))
            {
                setHighlight(start);
                return;
            }
        }
        const int32_t unit = delta > 0 ? 1 : -1;
        for (int32_t i = (highlighted < 0 ? (delta > 0 ? -1 : n) : highlighted) + delta;
             i >= 0 && i < n; i += (std::abs(delta) > 1 ? delta : unit))
            if (choosable(i))
            {
                setHighlight(i);
                return;
            }
    }
    CCoord columnWidth() const
    {
        const int32_t n = menu->getNbEntries();
        const int32_t cols =
            itemsPerColumn > 0 ? std::max(1, (n + itemsPerColumn - 1) / itemsPerColumn) : 1;
        return size.getWidth() / cols;
    }
    void setHighlight(int32_t i)
    {
        if (i != highlighted)
        {
            highlighted = i;
            invalid();
        }
    }
    void close(int32_t chosen)
    {
        COptionMenu* m = menu;
        CBaseObjectGuard guard(m);
        if (CFrame* frame = getFrame()) frame->setPopupView(nullptr); // releases this view
        m->popupClosed(chosen);
    }

    COptionMenu* menu;
    int32_t itemsPerColumn;
    int32_t highlighted = -1;
    bool armed = false;
};

COptionMenu::COptionMenu(const CRect& size, CControlListener* l, int32_t tag, CBitmap* background,
                         CBitmap* click, int32_t s)
    : CParamDisplay(size, background, s), bgWhenClick(click)
{
    listener = l;
    this->tag = tag;
    if (bgWhenClick) bgWhenClick->remember();
    setWantsFocus(true);
}

COptionMenu::~COptionMenu()
{
    removeAllEntry();
    if (bgWhenClick) bgWhenClick->forget();
}

CMenuItem* COptionMenu::addEntry(CMenuItem* item, int32_t index)
{
    if (!item) return nullptr;
    if (index < 0 || index > getNbEntries())
        items.push_back(item);
    else
        items.insert(items.begin() + index, item);
    return item;
}

CMenuItem* COptionMenu::addEntry(const char* title, int32_t index, int32_t itemFlags)
{
    if (title && std::strcmp(title, "-") == 0) return addSeparator(index);
    return addEntry(new CMenuItem(title, itemFlags), index);
}

CMenuItem* COptionMenu::addSeparator(int32_t index)
{
    return addEntry(new CMenuItem("", CMenuItem::kSeparator), index);
}

bool COptionMenu::removeAllEntry()
{
    for (CMenuItem* item : items)
        item->forget();
    items.clear();
    currentIndex = -1;
    return true;
}

CMenuItem* COptionMenu::getEntry(int32_t index) const
{
    if (index < 0 || index >= getNbEntries()) return nullptr;
    return items[static_cast<size_t>(index)];
}

bool COptionMenu::setCurrent(int32_t index, bool countSeparator)
{
    CMenuItem* item = nullptr;
    if (countSeparator)
    {
        item = getEntry(index);
        if (!item || item->isSeparator()) return false;
        currentIndex = index;
    }
    else
    {
        int32_t seen = -1;
        for (int32_t i = 0; i < getNbEntries(); ++i)
        {
            if (items[static_cast<size_t>(i)]->isSeparator()) continue;
            if (++seen == index)
            {
                item = items[static_cast<size_t>(i)];
                currentIndex = i;
                break;
            }
        }
        if (!item) return false;
    }
    if ((style & kMultipleCheckStyle) == kMultipleCheckStyle) item->setChecked(!item->isChecked());
    setDirty(true);
    return true;
}

int32_t COptionMenu::getCurrentIndex(bool countSeparator) const
{
    if (countSeparator || currentIndex < 0) return currentIndex;
    int32_t n = currentIndex;
    for (int32_t i = 0; i < currentIndex; ++i)
        if (items[static_cast<size_t>(i)]->isSeparator()) --n;
    return n;
}

void COptionMenu::setValue(float val)
{
    const int32_t index = static_cast<int32_t>(std::lround(val));
    if (index < 0 || index >= getNbEntries()) return;
    value = static_cast<float>(index);
    currentIndex = index;
    if ((style & kMultipleCheckStyle) == kMultipleCheckStyle)
        items[static_cast<size_t>(index)]->setChecked(
            !items[static_cast<size_t>(index)]->isChecked());
    setDirty(true);
}

void COptionMenu::draw(CDrawContext* context)
{
    if (style & kNoDrawStyle)
    {
        setDirty(false);
        return;
    }
    drawBack(context, popupOpen ? bgWhenClick : nullptr);
    if (CMenuItem* item = getCurrent()) drawText(context, item->getTitle());
    setDirty(false);
}

CMouseEventResult COptionMenu::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!(buttons & (kLButton | kRButton | kApple))) return kMouseEventNotHandled;
    popup();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool COptionMenu::popup()
{
    CFrame* frame = getFrame();
    if (!frame || items.empty() || popupOpen) return false;
    int32_t columns = 1;
    CPoint extent;
    CDrawContext* measure = createMeasureContext();
    if (measure) measure->setFont(kNormalFontSmall);
    extent = COptionMenuPopup::layout(this, measure, nbItemsPerColumn, columns);
    if (measure) measure->forget();
    extent.x *= columns;
    const CRect frameRect = frame->getViewSize();
    CCoord x = size.left;
    CCoord y = (style & kPopupStyle) ? size.top : size.bottom;
    // Keep the list inside the window: flip above the control when there is no room below.
    if (y + extent.y > frameRect.bottom) y = std::max(frameRect.top, size.top - extent.y);
    if (x + extent.x > frameRect.right) x = std::max(frameRect.left, frameRect.right - extent.x);
    auto* view =
        new COptionMenuPopup(this, CRect(x, y, x + extent.x, y + extent.y), nbItemsPerColumn);
    popupOpen = true;
    setDirty(true);
    frame->setPopupView(view);
    return true;
}

void COptionMenu::popupClosed(int32_t chosen)
{
    popupOpen = false;
    setDirty(true);
    if (chosen < 0) return;
    beginEdit();
    setValue(static_cast<float>(chosen));
    valueChanged();
    invalid();
    endEdit();
}

} // namespace VSTGUI
