#include "editorglue/AEffGUIEditor.h"
#include "embedded_resources.h"
#include "plugin/AudioEffect.h"

#include <cmath>

VstInt32 AEffGUIEditor::knobMode = VSTGUI::kCircularMode;

namespace
{
VSTGUI::VstKeyCode toToolkitKey(const ::VstKeyCode& k)
{
    VSTGUI::VstKeyCode t;
    t.character = k.character;
    t.virt = k.virt;
    t.modifier = k.modifier;
    return t;
}
} // namespace

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect)
{
    if (effect) effect->setEditor(this);
    // The editor's pictures are the library's own embedded resources.
    if (!VSTGUI::getBitmapResourceProvider())
    {
        VSTGUI::setBitmapResourceProvider(&orv_resources_find);
        VSTGUI::setScaledBitmapResourceProvider(&orv_resources_find_scaled);
    }
}

AEffGUIEditor::~AEffGUIEditor()
{
    // A host that closes the effect without closing its window first: the frame, its views and
    // its window go with the editor instead of staying behind.
    if (frame)
    {
        frame->close();
        frame = nullptr;
    }
}

bool AEffGUIEditor::getRect(ERect** r)
{
    double scale = 1.0;
    if (resizingTo > 0)
        scale = resizingTo; // asked for by the host while it resizes its window
    else if (frame && frame->isOpen())
        scale = frame->getScaleFactor();
    else
    {
        userZoom = rememberedZoom();
        scale = chooseScale(nullptr);
    }
    scaledRect.left = rect.left;
    scaledRect.top = rect.top;
    scaledRect.right =
        static_cast<VstInt16>(rect.left + VSTGUI::scaledPixels(rect.right - rect.left, scale));
    scaledRect.bottom =
        static_cast<VstInt16>(rect.top + VSTGUI::scaledPixels(rect.bottom - rect.top, scale));
    *r = &scaledRect;
    return true;
}

bool AEffGUIEditor::open(void* ptr)
{
    userZoom = rememberedZoom();
    openScale = chooseScale(ptr);
    return AEffEditor::open(ptr);
}

double AEffGUIEditor::chooseScale(void* parentWindow) const
{
    if (userZoom > 0) return VSTGUI::clampScaleFactor(userZoom);
    if (hostScale > 0) return VSTGUI::clampScaleFactor(hostScale);
    // Offscreen frames (tests, screenshots) have no desktop.
    if (VSTGUI::getDefaultPlatformType() == VSTGUI::kOffscreen) return 1.0;
    return VSTGUI::getSystemScaleFactor(parentWindow);
}

double AEffGUIEditor::getScaleFactor() const
{
    return frame && frame->isOpen() ? frame->getScaleFactor() : openScale;
}

bool AEffGUIEditor::setHostScaleFactor(float factor)
{
    if (!std::isfinite(factor) || factor <= 0.0f) return false;
    hostScale = VSTGUI::clampScaleFactor(factor);
    updateScale();
    return true;
}

void AEffGUIEditor::setUserZoom(double zoom)
{
    userZoom = zoom > 0 ? VSTGUI::clampScaleFactor(zoom) : 0.0;
    updateScale();
}

void AEffGUIEditor::updateScale()
{
    if (!frame || !frame->isOpen())
    {
        openScale = chooseScale(systemWindow);
        return;
    }
    const double scale = chooseScale(systemWindow);
    if (scale == frame->getScaleFactor()) return;
    const CRect size = frame->getViewSize();
    const int width = VSTGUI::scaledPixels(size.getWidth(), scale);
    const int height = VSTGUI::scaledPixels(size.getHeight(), scale);
    // A host may ask for the rectangle again while it resizes: it is the new one then.
    resizingTo = scale;
    const bool resized = effect && effect->sizeWindow(width, height);
    resizingTo = 0.0;
    if (resized && frame && frame->setScaleFactor(scale)) openScale = scale;
}

void AEffGUIEditor::idle()
{
    // A frame's idle may end up here again (a dialog pumping the window): ignore the nested call.
    if (inIdle || !frame) return;
    inIdle = true;
    frame->idle();
    inIdle = false;
}

bool AEffGUIEditor::onKeyDown(::VstKeyCode& keyCode)
{
    if (!frame) return false;
    VSTGUI::VstKeyCode key = toToolkitKey(keyCode);
    return frame->onKeyDown(key) > 0;
}

bool AEffGUIEditor::onKeyUp(::VstKeyCode& keyCode)
{
    if (!frame) return false;
    VSTGUI::VstKeyCode key = toToolkitKey(keyCode);
    return frame->onKeyUp(key) > 0;
}

bool AEffGUIEditor::setKnobMode(VstInt32 val)
{
    knobMode = val;
    return true;
}

void AEffGUIEditor::beginEdit(int32_t index)
{
    if (effect) effect->beginEdit(index);
}

void AEffGUIEditor::endEdit(int32_t index)
{
    if (effect) effect->endEdit(index);
}
