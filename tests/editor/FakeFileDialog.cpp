// Stands in for zenity in the editor's X tests (the editor runs it through ORV_FILE_DIALOG_CMD).
// It appends its arguments, one per line, and then the GDK_BACKEND it was given to the file
// named by ORV_FAKE_DIALOG_LOG; shows a window at (500, 20) that declares its process id in
// _NET_WM_PID as zenity's and kdialog's windows do; and waits until the log's name with ".answer"
// appended exists: a path in that file is printed as the chosen file (exit 0), an empty file
// cancels (exit 1). Gives up after 30 s.
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    const char* log = std::getenv("ORV_FAKE_DIALOG_LOG");
    if (!log) return 2;
    {
        std::ofstream out(log, std::ios::app);
        for (int i = 1; i < argc; ++i)
            out << argv[i] << '\n';
        const char* backend = std::getenv("GDK_BACKEND");
        out << "GDK_BACKEND=" << (backend ? backend : "") << '\n';
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 2;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t white[] = {screen->white_pixel};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 500, 20, 160, 120, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, white);
    const char name[] = "_NET_WM_PID";
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const uint32_t pid = static_cast<uint32_t>(getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, reply->atom, XCB_ATOM_CARDINAL, 32, 1,
                        &pid);
    free(reply);
    xcb_map_window(c, window);
    xcb_flush(c);

    const std::string answerFile = std::string(log) + ".answer";
    for (int i = 0; i < 3000; ++i)
    {
        std::ifstream in(answerFile);
        if (in)
        {
            std::string path;
            std::getline(in, path);
            xcb_disconnect(c);
            if (path.empty()) return 1;
            std::cout << path << '\n';
            return 0;
        }
        usleep(10000);
    }
    xcb_disconnect(c);
    return 1;
}
