// Creation of the one effect this library provides; the entry point calls it.
#pragma once

#include "plugin/AudioEffect.h"

// Asks the host for its version again and builds the effect; null when the host answers 0.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

// The module instance handle that the platform gives the library at load (Windows only; the
// toolkit uses it to find resources and register windows). Null elsewhere.
extern void* hInstance;
