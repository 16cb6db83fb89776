// The Orv Sympharon effect: a stereo string resonator on the program-store base.
#pragma once

#include "presets/CPresetSystemEffect.h"

class ADelay : public CPresetSystemEffect
{
public:
    explicit ADelay(audioMasterCallback audioMaster);
    ~ADelay() override;

    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return 1500; }
    VstInt32 getPlugCategory() override { return kPlugCategRoomFx; }
    VstInt32 canDo(char*) override { return 0; }

    void installFactoryPrograms() override;
};
