// The VST 2.4 editor base: what the host's editor requests reach. Every operation has a
// neutral default; the toolkit-side editor overrides what it serves.
#pragma once

#include "plugin/vst24.h"

class AudioEffect;

class AEffEditor
{
public:
    explicit AEffEditor(AudioEffect* effect = nullptr) : effect(effect) {}
    virtual ~AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual bool getRect(ERect** rect)
    {
        *rect = nullptr;
        return false;
    }
    virtual bool open(void* ptr)
    {
        systemWindow = ptr;
        return false;
    }
    virtual void close() { systemWindow = nullptr; }
    virtual bool isOpen() { return systemWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode&) { return false; }
    virtual bool onKeyUp(VstKeyCode&) { return false; }
    virtual bool setKnobMode(VstInt32) { return false; }
    // The host's content scale for the editor (1 = the editor's own pixel size); false when the
    // editor does not scale.
    virtual bool setHostScaleFactor(float) { return false; }

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
};
