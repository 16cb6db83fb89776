// Keeps Wine's desktop alive for a whole test run. Without a Windows program holding the desktop,
// every test process that loads user32 (GDI+, OLE, windows) waits about ten seconds for Wine to
// start it again. Run in the background before the tests; the test script ends it by its id.
#include <windows.h>

int main()
{
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
