#pragma once
#include "cparamdisplay.h"
#include <string>
#include <vector>

namespace VSTGUI
{

class CMenuItem : public CBaseObject
{
public:
    enum Flags : int32_t
    {
        kNoFlags = 0,
        kDisabled = 1 << 0,
        kTitle = 1 << 1,
        kChecked = 1 << 2,
        kSeparator = 1 << 3
    };
    explicit CMenuItem(const char* title, int32_t flags = kNoFlags);

    void setTitle(const char* t) { title = t ? t : ""; }
    const char* getTitle() const { return title.c_str(); }
    bool isEnabled() const { return !(flags & kDisabled); }
    void setChecked(bool state) { setFlag(kChecked, state); }
    bool isChecked() const { return flags & kChecked; }
    bool isTitle() const { return flags & kTitle; }
    bool isSeparator() const { return flags & kSeparator; }

    CLASS_METHODS_NOCOPY(CMenuItem, CBaseObject)

private:
    void setFlag(int32_t f, bool on) { flags = on ? (flags | f) : (flags & ~f); }
    std::string title;
    int32_t flags;
};

// A control that shows its current entry and pops up its list on a click. The list is drawn by
// the toolkit inside the frame; choosing an entry sets the value to its index and tells the
// listener.
class COptionMenu : public CParamDisplay
{
public:
    COptionMenu(const CRect& size, CControlListener* listener, int32_t tag,
                CBitmap* background = nullptr, CBitmap* bgWhenClick = nullptr, int32_t style = 0);
    ~COptionMenu() override;
    COptionMenu(const COptionMenu&) = delete;

    CMenuItem* addEntry(const char* title, int32_t index = -1,
                        int32_t itemFlags = CMenuItem::kNoFlags);
    CMenuItem* addEntry(CMenuItem* item, int32_t index = -1);
    CMenuItem* addSeparator(int32_t index = -1);
    bool removeAllEntry();
    CMenuItem* getEntry(int32_t index) const;
    int32_t getNbEntries() const { return static_cast<int32_t>(items.size()); }

    // countSeparator true: index counts all entries; false: separators are skipped.
    bool setCurrent(int32_t index, bool countSeparator = true);
    CMenuItem* getCurrent() const { return getEntry(currentIndex); }
    int32_t getCurrentIndex(bool countSeparator = false) const;

    void setNbItemsPerColumn(int32_t n) { nbItemsPerColumn = n; }

    void setValue(float val) override;
    float getMin() const override { return 0.f; }
    float getMax() const override { return static_cast<float>(std::max(0, getNbEntries() - 1)); }
    void setMax(float) override {}

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

    // Opens the list in the frame; false when not attached or empty.
    bool popup();

    CLASS_METHODS_NOCOPY(COptionMenu, CParamDisplay)

private:
    friend class COptionMenuPopup;
    void popupClosed(int32_t chosenIndex);

    std::vector<CMenuItem*> items;
    int32_t currentIndex = -1;
    int32_t nbItemsPerColumn = -1;
    CBitmap* bgWhenClick;
    bool popupOpen = false;
};

} // namespace VSTGUI
