// A small plug-in built only for the tests, from the same base classes as the product: three
// parameters and an editor with a knob (tag 2) and an on/off button (tag 1).
#include "editorglue/AEffGUIEditor.h"
#include "plugin/AudioEffectX.h"
#include "plugin/PluginEntry.h"

namespace
{

class TestEditorEffect : public AudioEffectX
{
public:
    explicit TestEditorEffect(audioMasterCallback master);
    void setParameter(VstInt32 index, float value) override
    {
        if (index >= 0 && index < 3) values[index] = value;
    }
    float getParameter(VstInt32 index) override
    {
        return index >= 0 && index < 3 ? values[index] : 0.f;
    }

private:
    float values[3] = {0.f, 0.f, 0.5f};
};

class TestEditor : public AEffGUIEditor, public CControlListener
{
public:
    explicit TestEditor(AudioEffect* e) : AEffGUIEditor(e)
    {
        rect.top = 0;
        rect.left = 0;
        rect.bottom = 100;
        rect.right = 200;
    }
    bool open(void* ptr) override
    {
        AEffGUIEditor::open(ptr);
        frame = new CFrame(CRect(0, 0, rect.right, rect.bottom), this);
        if (!frame->open(ptr))
        {
            frame->forget();
            frame = nullptr;
            return false;
        }
        frame->setBackgroundColor(CColor(40, 40, 48));
        auto* knob = new CKnob(CRect(20, 20, 65, 65), this, 2, nullptr, nullptr);
        knob->setValue(effect->getParameter(2));
        frame->addView(knob);
        // The bypass key's picture: an embedded resource of the library.
        auto* keyBitmap = new CBitmap(CResourceDescription(1132));
        auto* button = new COnOffButton(
            CRect(100, 20, 100 + keyBitmap->getWidth(), 20 + keyBitmap->getHeight() / 2), this, 1,
            keyBitmap);
        button->setValue(effect->getParameter(1));
        frame->addView(button);
        keyBitmap->forget();
        return true;
    }
    void close() override
    {
        if (frame) frame->close();
        frame = nullptr;
        AEffGUIEditor::close();
    }
    void valueChanged(CControl* control) override
    {
        effect->setParameterAutomated(control->getTag(), control->getValue());
    }
};

TestEditorEffect::TestEditorEffect(audioMasterCallback master) : AudioEffectX(master, 1, 3)
{
    setUniqueID(0x4F725465); // 'OrTe'
    new TestEditor(this);    // owned by the effect from here on
}

} // namespace

AudioEffect* createEffectInstance(audioMasterCallback master)
{
    return new TestEditorEffect(master);
}
