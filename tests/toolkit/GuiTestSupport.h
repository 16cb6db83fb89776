#pragma once
// Helpers for the toolkit and editor tests: PNG images made on the fly and served as resources,
// an editor interface and a listener that record what the controls report, offscreen frames.
#include "vstgui.h"
#include <cairo.h>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace guitest
{

// PNG bytes of a width x height image painted by `paint`.
inline std::vector<uint8_t> makePng(int width, int height,
                                    const std::function<void(cairo_t*)>& paint)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(s);
    paint(cr);
    cairo_destroy(cr);
    std::vector<uint8_t> bytes;
    cairo_surface_write_to_png_stream(
        s,
        [](void* closure, const unsigned char* data, unsigned int length)
        {
            auto* out = static_cast<std::vector<uint8_t>*>(closure);
            out->insert(out->end(), data, data + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &bytes);
    cairo_surface_destroy(s);
    return bytes;
}

// Rectangles of solid colour, stacked top to bottom, each `h` high.
inline std::vector<uint8_t> makeStackedPng(int width, int h, const std::vector<uint32_t>& colours)
{
    return makePng(width, h * static_cast<int>(colours.size()),
                   [&](cairo_t* cr)
                   {
                       for (size_t i = 0; i < colours.size(); ++i)
                       {
                           const uint32_t c = colours[i];
                           cairo_set_source_rgb(cr, ((c >> 16) & 0xFF) / 255.0,
                                                ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0);
                           cairo_rectangle(cr, 0, static_cast<double>(i) * h, width, h);
                           cairo_fill(cr);
                       }
                   });
}

// Resources served to the toolkit by id while the test runs.
class TestResources
{
public:
    TestResources()
    {
        VSTGUI::setBitmapResourceProvider(&find);
        VSTGUI::setScaledBitmapResourceProvider(nullptr);
    }
    ~TestResources()
    {
        table().clear();
        VSTGUI::setBitmapResourceProvider(nullptr);
        VSTGUI::setScaledBitmapResourceProvider(nullptr);
    }
    void add(int32_t id, std::vector<uint8_t> bytes) { table()[id] = std::move(bytes); }

private:
    static std::map<int32_t, std::vector<uint8_t>>& table()
    {
        static std::map<int32_t, std::vector<uint8_t>> t;
        return t;
    }
    static bool find(int32_t id, const uint8_t** data, size_t* size)
    {
        auto it = table().find(id);
        if (it == table().end()) return false;
        *data = it->second.data();
        *size = it->second.size();
        return true;
    }
};

// Records the edit gestures that reach the editor, e.g. "begin 2", "end 2".
class RecordingEditor : public VSTGUI::VSTGUIEditorInterface
{
public:
    int32_t getKnobMode() const override { return knobMode; }
    void beginEdit(int32_t index) override { log.push_back("begin " + std::to_string(index)); }
    void endEdit(int32_t index) override { log.push_back("end " + std::to_string(index)); }

    int32_t knobMode = -1;
    std::vector<std::string> log;
};

struct Report
{
    int32_t tag;
    float value;
};

class RecordingListener : public VSTGUI::CControlListener
{
public:
    void valueChanged(VSTGUI::CControl* c) override
    {
        reports.push_back({c->getTag(), c->getValue()});
        if (editor) editor->log.push_back("value " + std::to_string(c->getTag()));
    }
    int32_t controlModifierClicked(VSTGUI::CControl*, VSTGUI::CButtonState) override
    {
        return consumeModifierClicks ? 1 : 0;
    }
    std::vector<Report> reports;
    RecordingEditor* editor = nullptr;
    bool consumeModifierClicks = false;
};

// A frame drawing into memory. Closed (and released) by the destructor unless already closed.
class TestFrame
{
public:
    explicit TestFrame(const VSTGUI::CRect& size, VSTGUI::VSTGUIEditorInterface* editor = nullptr)
        : frame(new VSTGUI::CFrame(size, editor))
    {
        frame->open(nullptr, VSTGUI::kOffscreen);
    }
    ~TestFrame() { close(); }
    void close()
    {
        if (frame) frame->close();
        frame = nullptr;
    }
    VSTGUI::CFrame* operator->() const { return frame; }
    VSTGUI::CFrame* get() const { return frame; }

    VSTGUI::PixelImage pixels()
    {
        frame->idle();
        VSTGUI::PixelImage img;
        frame->getPlatformFrame()->readPixels(img);
        return img;
    }

    // Mouse gestures, in frame coordinates.
    VSTGUI::CMouseEventResult down(double x, double y, int32_t buttons = VSTGUI::kLButton)
    {
        VSTGUI::CPoint p(x, y);
        return frame->onMouseDown(p, buttons);
    }
    VSTGUI::CMouseEventResult move(double x, double y, int32_t buttons = VSTGUI::kLButton)
    {
        VSTGUI::CPoint p(x, y);
        return frame->onMouseMoved(p, buttons);
    }
    VSTGUI::CMouseEventResult up(double x, double y, int32_t buttons = VSTGUI::kLButton)
    {
        VSTGUI::CPoint p(x, y);
        return frame->onMouseUp(p, buttons);
    }
    void click(double x, double y, int32_t buttons = VSTGUI::kLButton)
    {
        down(x, y, buttons);
        up(x, y, buttons);
    }

private:
    VSTGUI::CFrame* frame;
};

// A view that logs the mouse entering ("enter ") and leaving ("exit ") it.
struct HoverView : VSTGUI::CView
{
    using VSTGUI::CView::CView;
    VSTGUI::CMouseEventResult onMouseEntered(VSTGUI::CPoint&, const VSTGUI::CButtonState&) override
    {
        log += "enter ";
        return VSTGUI::kMouseEventHandled;
    }
    VSTGUI::CMouseEventResult onMouseExited(VSTGUI::CPoint&, const VSTGUI::CButtonState&) override
    {
        log += "exit ";
        return VSTGUI::kMouseEventHandled;
    }
    std::string log;
};

inline int channel(uint32_t px, int shift)
{
    return static_cast<int>((px >> shift) & 0xFF);
}
inline bool isDark(uint32_t px)
{
    return channel(px, 16) < 128 && channel(px, 8) < 128 && channel(px, 0) < 128;
}

} // namespace guitest
