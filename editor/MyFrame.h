#pragma once
// The editor's window: a toolkit frame opened as a child of the host's window. It adds no
// behaviour of its own.
#include "vstgui.h"

class MyFrame : public CFrame
{
public:
    MyFrame(const CRect& size, void* parentWindow, VSTGUIEditorInterface* editor);

    CLASS_METHODS_NOCOPY(MyFrame, CFrame)
};
