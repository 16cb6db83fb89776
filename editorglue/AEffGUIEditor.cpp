#include "editorglue/AEffGUIEditor.h"
#include "embedded_resources.h"
#include "plugin/AudioEffect.h"

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
        VSTGUI::setBitmapResourceProvider(&orv_resources_find);
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
    *r = &rect;
    return true;
}

bool AEffGUIEditor::open(void* ptr)
{
    return AEffEditor::open(ptr);
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
