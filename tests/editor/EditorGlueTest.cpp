// The toolkit-side editor base in-process: rectangle, knob mode, keys and edit gestures.
#include "GuiTestSupport.h"
#include "editorglue/AEffGUIEditor.h"
#include "plugin/AudioEffectX.h"
#include <gtest/gtest.h>
#include <vector>

namespace
{

std::vector<std::pair<VstInt32, VstInt32>> hostCalls; // opcode, index

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float)
{
    if (opcode == audioMasterVersion) return kVstVersion;
    hostCalls.emplace_back(opcode, index);
    return 1;
}

class FrameEditor : public AEffGUIEditor
{
public:
    explicit FrameEditor(AudioEffect* e) : AEffGUIEditor(e)
    {
        rect.bottom = 257;
        rect.right = 320;
    }
    bool open(void* ptr) override
    {
        AEffGUIEditor::open(ptr);
        frame = new CFrame(CRect(0, 0, 320, 257), this);
        frame->open(nullptr, kOffscreen);
        text = new CTextEdit(CRect(0, 0, 100, 20), nullptr, 1000, "abc");
        frame->addView(text);
        return true;
    }
    void close() override
    {
        frame->close();
        frame = nullptr;
        AEffGUIEditor::close();
    }
    CTextEdit* text = nullptr;
};

TEST(EditorGlue, RectangleKnobModeKeysAndGestures)
{
    hostCalls.clear();
    AudioEffectX effect(host, 1, 3);
    auto* editor = new FrameEditor(&effect); // the effect owns and deletes it
    AEffect* record = effect.getAeffect();
    EXPECT_NE(record->flags & effFlagsHasEditor, 0);

    ERect* r = nullptr;
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &r, 0), 1);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->bottom, 257);
    EXPECT_EQ(r->right, 320);

    // Closed: idle and keys do nothing.
    EXPECT_EQ(effect.dispatcher(effEditIdle, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 'x', 0, nullptr, 0), 0);

    // The knob mode is one value for every editor of the process.
    EXPECT_EQ(effect.dispatcher(effSetEditKnobMode, 0, 1, nullptr, 0), 1);
    EXPECT_EQ(editor->getKnobMode(), 1);
    AudioEffectX other(host, 1, 1);
    auto* otherEditor = new FrameEditor(&other);
    EXPECT_EQ(otherEditor->getKnobMode(), 1);
    otherEditor->setKnobMode(kLinearMode);
    EXPECT_EQ(editor->getKnobMode(), kLinearMode);

    int parent = 0;
    EXPECT_EQ(effect.dispatcher(effEditOpen, 0, 0, &parent, 0), 1);
    ASSERT_NE(editor->getFrame(), nullptr);
    EXPECT_TRUE(editor->isOpen());
    EXPECT_EQ(editor->getFrame()->getKnobMode(), kLinearMode);

    // Keys reach the frame; 1 only when something used them.
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 'x', 0, nullptr, 0), 0);
    CPoint p(10, 10);
    editor->getFrame()->onMouseDown(p, kLButton);
    ASSERT_TRUE(editor->text->isEditingText());
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 'x', 0, nullptr, 0), 1);
    EXPECT_STREQ(editor->text->getEditText(), "x"); // the click selected "abc": typing replaces it
    EXPECT_EQ(effect.dispatcher(effEditKeyUp, 'x', 0, nullptr, 0), 0);

    // Gestures go to the host as begin/end edit with the tag, for parameters only (this effect
    // has one): a control's tag that is no parameter's index never reaches the host.
    editor->beginEdit(0);
    editor->endEdit(0);
    editor->beginEdit(5);
    editor->endEdit(5);
    editor->beginEdit(-1);
    editor->endEdit(-1);
    EXPECT_EQ(hostCalls, (std::vector<std::pair<VstInt32, VstInt32>>{{audioMasterBeginEdit, 0},
                                                                     {audioMasterEndEdit, 0}}));

    editor->setParameter(0, 1.f); // does nothing at this level
    effect.dispatcher(effEditIdle, 0, 0, nullptr, 0);
    effect.dispatcher(effEditClose, 0, 0, nullptr, 0);
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_FALSE(editor->isOpen());
    otherEditor->setKnobMode(kCircularMode);
}

TEST(EditorGlue, EffectClosedWithTheWindowOpenReleasesTheFrame)
{
    guitest::TestResources resources;
    resources.add(1, guitest::makeStackedPng(4, 4, {0x123456}));
    auto* bitmap = new CBitmap(CResourceDescription(1));
    {
        AudioEffectX effect(host, 1, 1);
        auto* editor = new FrameEditor(&effect);
        int parent = 0;
        effect.dispatcher(effEditOpen, 0, 0, &parent, 0);
        editor->getFrame()->setBackground(bitmap);
        EXPECT_EQ(bitmap->getNbReference(), 2);
        // No effEditClose: the effect (and with it the editor) simply goes away.
    }
    EXPECT_EQ(bitmap->getNbReference(), 1);
    bitmap->forget();
}

} // namespace
