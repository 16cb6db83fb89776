#pragma once
// GDI+ is started when the first object that needs it is made and shut down when the last one
// is gone, so that a host that unloads the plug-in library finds no GDI+ state of ours left.
// GDI+ must never be started or stopped inside DllMain; these objects are made by the editor.

namespace VSTGUI
{

class GdiplusSession
{
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    // False when GDI+ could not be started: nothing may then be drawn.
    bool isReady() const { return ready; }

private:
    bool ready;
};

} // namespace VSTGUI
