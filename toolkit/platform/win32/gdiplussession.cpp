#include "gdiplussession.h"
#include "gdiplusfonts.h"
#include <mutex>

// windows.h first: the headers below build on it.
#include <windows.h>

#include <gdiplus.h>

namespace VSTGUI
{
namespace
{
std::mutex sessionMutex;
int users = 0;
ULONG_PTR token = 0;
bool started = false;
} // namespace

GdiplusSession::GdiplusSession()
{
    std::lock_guard<std::mutex> lock(sessionMutex);
    if (users == 0)
    {
        Gdiplus::GdiplusStartupInput input;
        started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }
    ++users;
    ready = started;
}

GdiplusSession::~GdiplusSession()
{
    std::lock_guard<std::mutex> lock(sessionMutex);
    if (--users > 0) return;
    if (started)
    {
        // The cached fonts are GDI+ objects: they go first.
        releaseGdiplusFonts();
        Gdiplus::GdiplusShutdown(token);
    }
    started = false;
    token = 0;
}

} // namespace VSTGUI
