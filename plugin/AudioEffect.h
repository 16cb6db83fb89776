// The VST 2.4 effect base: owns the instance record handed to the host, routes the record's
// entry points to virtual operations, and offers the host-callback and value-formatting
// services that concrete effects use.
#pragma once

#include "plugin/vst24.h"

class AEffEditor;

class AudioEffect
{
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Opcodes 0 to 24; everything else answers 0.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float newRate) { sampleRate = newRate; }
    virtual void setBlockSize(VstInt32 newSize) { blockSize = newSize; }

    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames);
    // Only 32-bit processing is offered; a host calling this anyway gets its buffers untouched.
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames);

    virtual void setParameter(VstInt32 index, float value);
    virtual float getParameter(VstInt32 index);
    // Applies the value to the effect first, then tells the host (audioMasterAutomate) when the
    // index is a parameter's.
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(VstInt32 index, char* label);
    virtual void getParameterDisplay(VstInt32 index, char* text);
    virtual void getParameterName(VstInt32 index, char* text);

    virtual VstInt32 getChunk(void** data, bool isPreset = false);
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false);

    virtual void setUniqueID(VstInt32 iD) { cEffect.uniqueID = iD; }
    virtual void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    virtual void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
    virtual void canProcessReplacing(bool state = true);
    virtual void programsAreChunks(bool state = true);

    virtual AEffEditor* getEditor() { return editor; }
    // Stores the editor and announces (or withdraws) the editor flag in the record.
    virtual void setEditor(AEffEditor* newEditor);

    AEffect* getAeffect() { return &cEffect; }
    float getSampleRate() const { return sampleRate; }

    // Host-callback services.
    // Gestures reach the host only for parameter indices (0 .. numParams - 1).
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);
    bool isHostParameter(VstInt32 index) const;
    // Asks the host to make the editor's window this large (audioMasterSizeWindow); true when it
    // did.
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);

    // Value formatting. Both write at most maxLen characters and then a terminator at
    // text[maxLen]; the caller's buffer holds maxLen + 1 bytes.
    virtual void dB2string(float value, char* text, VstInt32 maxLen);
    virtual void float2string(float value, char* text, VstInt32 maxLen);

    static AudioEffect* fromRecord(AEffect* e) { return static_cast<AudioEffect*>(e->object); }

protected:
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram = 0;
    AEffect cEffect;
};

// Copies at most maxLen characters, zero-filling after a shorter text, and always terminates
// at dst[maxLen]: the destination holds maxLen + 1 bytes.
void vst_strncpy(char* dst, const char* src, VstInt32 maxLen);
// Appends to dst while it holds fewer than maxLen characters; dst keeps maxLen + 1 bytes at most.
void vst_strncat(char* dst, const char* src, VstInt32 maxLen);
