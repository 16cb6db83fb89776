// The built DLL's editor in a Win32 host window, as a Windows host shows it: effEditOpen into a
// window of this program, real mouse and key input through SendInput, and never effEditIdle: the
// editor's own 50 ms window timer keeps it drawn and live. What the window shows is compared
// with the same editor drawn offscreen in this process. Runs under Wine with an X server.
#include "HostWindow.h"
#include "RegistryTestSupport.h"
#include "editor/ADEditor.h"
#include "engine/ParameterMapping.h"
#include "plugin/AudioEffectX.h"
#include "plugin/PluginEntry.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <windows.h>

namespace
{
using namespace hostwindow;

constexpr int kWidth = 320;
constexpr int kHeight = 257;
// Where the pointer rests when it must not hover over any control.
constexpr POINT kOutside{390, 290};

class EditorInWindowsHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clearProductKey();
        // Larger than the editor, so the pointer can rest outside it.
        host = createHostWindow(L"OrvTestHost", WS_POPUP, 400, 300);
        ASSERT_NE(host, nullptr);
        SetForegroundWindow(host);
        pump(50);
        plugin = std::make_unique<LoadedPlugin>(recording);
    }
    void TearDown() override
    {
        plugin.reset();
        if (host) DestroyWindow(host);
        pump(20);
        clearProductKey();
    }

    HWND editorWindow() const { return GetWindow(host, GW_CHILD); }
    int childCount() const
    {
        int n = 0;
        for (HWND w = GetWindow(host, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
            ++n;
        return n;
    }

    // Real input, as the mouse gives it: absolute moves and button events.
    void send(DWORD flags, POINT at)
    {
        POINT screen = at;
        ClientToScreen(host, &screen);
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        SendInput(1, &input, sizeof input);
        pump(30);
    }
    void moveTo(POINT at) { send(0, at); }
    void click(POINT at, int times = 1, DWORD down = MOUSEEVENTF_LEFTDOWN,
               DWORD up = MOUSEEVENTF_LEFTUP)
    {
        moveTo(at);
        for (int i = 0; i < times; ++i)
        {
            send(down, at);
            send(up, at);
        }
    }
    void key(WORD vk, bool down)
    {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        SendInput(1, &input, sizeof input);
        pump(30);
    }
    void type(const wchar_t* text)
    {
        for (const wchar_t* c = text; *c; ++c)
            for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}})
            {
                INPUT input{};
                input.type = INPUT_KEYBOARD;
                input.ki.wScan = *c;
                input.ki.dwFlags = KEYEVENTF_UNICODE | up;
                SendInput(1, &input, sizeof input);
            }
        pump(50);
    }
    void pressKey(WORD vk)
    {
        for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}})
        {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = vk;
            input.ki.dwFlags = up;
            SendInput(1, &input, sizeof input);
        }
        pump(50);
    }

    std::vector<uint32_t> windowPixels() { return pixelsOf(editorWindow()); }
    // The same editor made in this process, set to the plug-in's values and programs, drawn
    // offscreen.
    std::vector<uint32_t> offscreenPixels()
    {
        VSTGUI::setDefaultPlatformType(VSTGUI::kOffscreen);
        AudioEffect* twin = createEffectInstance(&RecordingHost::callback);
        if (!twin)
        {
            ADD_FAILURE() << "the in-process effect was not made";
            return {};
        }
        AEffect* record = twin->getAeffect();
        const auto chunk = plugin->chunk();
        EXPECT_EQ(twin->setChunk(const_cast<unsigned char*>(chunk.data()),
                                 static_cast<VstInt32>(chunk.size())),
                  0);
        for (VstInt32 i = 0; i < 8; ++i)
            twin->setParameter(i, plugin->getParameter(i));
        VSTGUI::PixelImage image;
        auto* editor = dynamic_cast<ADEditor*>(twin->getEditor());
        // A drawing that could not be made is a failure of the comparison, not a crash.
        if (editor && editor->open(nullptr) && editor->getFrame() &&
            editor->getFrame()->getPlatformFrame())
        {
            editor->idle();
            editor->getFrame()->getPlatformFrame()->readPixels(image);
        }
        else
            ADD_FAILURE() << "the in-process editor did not open offscreen";
        record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
        return image.pixels;
    }

    // Waits (pumping messages, no effEditIdle) until the window shows the offscreen drawing.
    ::testing::AssertionResult showsLikeOffscreen()
    {
        moveTo(kOutside);
        const auto expected = offscreenPixels();
        std::vector<uint32_t> shown;
        if (pumpUntil(
                [&]
                {
                    shown = windowPixels();
                    return shown == expected;
                }))
            return ::testing::AssertionSuccess();
        size_t differing = 0;
        for (size_t i = 0; i < std::min(shown.size(), expected.size()); ++i)
            differing += shown[i] != expected[i];
        return ::testing::AssertionFailure() << differing << " of " << expected.size()
                                             << " pixels differ (" << shown.size() << " read)";
    }

    std::vector<HostCall> gestureCalls(VstInt32 index)
    {
        std::vector<HostCall> gesture;
        for (const HostCall& c : recording.calls())
            if ((c.opcode == audioMasterBeginEdit || c.opcode == audioMasterAutomate ||
                 c.opcode == audioMasterEndEdit) &&
                c.index == index)
                gesture.push_back(c);
        return gesture;
    }

    std::vector<unsigned char> currentPresetRecord()
    {
        const auto chunk = plugin->chunk();
        int32_t current;
        std::memcpy(&current, chunk.data() + 12, 4);
        std::vector<unsigned char> record(61);
        const unsigned char head[5] = {0x79, 0x53, 0x72, 0x4F, '!'};
        std::memcpy(record.data(), head, 5);
        std::memcpy(record.data() + 5, chunk.data() + 32 + 56 * current, 56);
        return record;
    }

    HWND host = nullptr;
    RecordingHost recording;
    std::unique_ptr<LoadedPlugin> plugin;
};

} // namespace

TEST_F(EditorInWindowsHost, DrawsInAChildWindowAndFollowsTheHostWithoutIdle)
{
    ERect* rect = nullptr;
    ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, kWidth);
    EXPECT_EQ(rect->bottom - rect->top, kHeight);
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, host), 1);
    HWND child = editorWindow();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(childCount(), 1);
    EXPECT_TRUE(GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD);
    RECT client;
    GetClientRect(child, &client);
    EXPECT_EQ(client.right, kWidth);
    EXPECT_EQ(client.bottom, kHeight);
    EXPECT_TRUE(showsLikeOffscreen());
    const auto pixels = windowPixels();
    EXPECT_EQ(pixelsOf(child, kWidth, kHeight, true), pixels);

    // The program name is drawn (dark text on the light field), never silently left out.
    int dark = 0;
    for (int y = 233; y < 248; ++y)
        for (int x = 96; x < 212; ++x)
            dark += (pixels[static_cast<size_t>(y) * kWidth + x] & 0xFF) < 0x60;
    EXPECT_GT(dark, 20);

    // Values the host sets reach the window through the editor's own timer.
    plugin->setParameter(kOutput, 1.0f);
    plugin->setParameter(kBypass, 0.7f);
    EXPECT_TRUE(showsLikeOffscreen());
    plugin->dispatch(effEditClose);
    EXPECT_EQ(childCount(), 0);
}

TEST_F(EditorInWindowsHost, MouseAndKeysWorkWithoutHostIdle)
{
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, host), 1);
    pump(100);

    // Dragging the Decay knob up: begin, automation, end, all for index 2.
    recording.clear();
    moveTo({72, 93});
    send(MOUSEEVENTF_LEFTDOWN, {72, 93});
    for (LONG y = 88; y >= 63; y -= 5)
        moveTo({72, y});
    // Outside the editor's window the drag goes on: the window holds the mouse capture.
    moveTo({360, 40});
    send(MOUSEEVENTF_LEFTUP, {360, 40});
    ASSERT_TRUE(pumpUntil([&] { return !recording.callsWith(audioMasterEndEdit).empty(); }));
    const auto gesture = gestureCalls(kDecay);
    ASSERT_GE(gesture.size(), 3u);
    EXPECT_EQ(gesture.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(gesture.back().opcode, audioMasterEndEdit);
    for (size_t i = 1; i + 1 < gesture.size(); ++i)
        EXPECT_EQ(gesture[i].opcode, audioMasterAutomate);
    EXPECT_GT(plugin->getParameter(kDecay), 0.25f);
    EXPECT_EQ(gesture[gesture.size() - 2].opt, plugin->getParameter(kDecay));

    // The bypass key.
    recording.clear();
    click({160, 175});
    ASSERT_TRUE(pumpUntil([&] { return !recording.callsWith(audioMasterAutomate).empty(); }));
    EXPECT_EQ(recording.callsWith(audioMasterAutomate).at(0).index, kBypass);
    EXPECT_EQ(plugin->getParameter(kBypass), 1.0f);

    // A double click on PRESET remembers the current program in the registry; store A too.
    click({50, 234}, 2);
    ASSERT_TRUE(pumpUntil([&] { return hasProductValue(L"DefaultPreset"); }));
    EXPECT_EQ(productValue(L"DefaultPreset"), RegistryValue(REG_BINARY, currentPresetRecord()));
    click({275, 233});
    ASSERT_TRUE(pumpUntil([&] { return hasProductValue(L"MemoA"); }));
    EXPECT_EQ(productValue(L"MemoA"), RegistryValue(REG_BINARY, currentPresetRecord()));
    // Ctrl + double click forgets the default again. (Under Wine a pointer move makes it take the
    // modifiers from the X server again, where no Ctrl is down: the buttons go without moving.)
    moveTo({50, 234});
    key(VK_CONTROL, true);
    for (DWORD button :
         {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP})
    {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = button;
        SendInput(1, &input, sizeof input);
        pump(30);
    }
    key(VK_CONTROL, false);
    EXPECT_TRUE(pumpUntil([&] { return !hasProductValue(L"DefaultPreset"); }));

    // The program menu opens its list inside the editor; the fourth entry is "Low & Dark".
    auto currentProgram = [&]
    {
        const auto chunk = plugin->chunk();
        int32_t current;
        std::memcpy(&current, chunk.data() + 12, 4);
        return current;
    };
    click({219, 244});
    click({260, 140 + 3 * 16 + 8});
    EXPECT_TRUE(pumpUntil([&] { return currentProgram() == 3; }));
    EXPECT_EQ(plugin->getParameter(kTranspose), 0.25f);

    // Typing in the name field renames the program.
    click({154, 240});
    pressKey(VK_END);
    for (int i = 0; i < 30; ++i)
        pressKey(VK_BACK);
    type(L"Saiten \u00FC");
    pressKey(VK_RETURN);
    char name[kVstMaxProgNameLen + 1] = {};
    ASSERT_TRUE(pumpUntil(
        [&]
        {
            plugin->dispatch(effGetProgramName, 0, 0, name);
            return std::strcmp(name, "Saiten \xC3\xBC") == 0;
        }))
        << name;
    EXPECT_TRUE(showsLikeOffscreen());
}

namespace
{
// The area of one control in a whole-window image.
std::vector<uint32_t> areaOf(const std::vector<uint32_t>& image, RECT r)
{
    std::vector<uint32_t> out;
    for (LONG y = r.top; y < r.bottom && !image.empty(); ++y)
        for (LONG x = r.left; x < r.right; ++x)
            out.push_back(image[static_cast<size_t>(y) * kWidth + x]);
    return out;
}

// Plays the user in a file dialog from another thread (this one is inside the dialog's own
// message loop): waits for the dialog, watches the editor meanwhile until it has redrawn the
// given area, then types a file name and confirms, or cancels.
struct DialogUser
{
    DialogUser(const wchar_t* t, const wchar_t* name, HWND window, RECT watched,
               std::vector<uint32_t> before)
        : title(t), fileName(name), editor(window), area(watched), shownBefore(std::move(before))
    {
    }
    const wchar_t* title;
    const wchar_t* fileName; // null: Cancel
    HWND editor;
    RECT area;
    std::vector<uint32_t> shownBefore;
    std::atomic<bool> seen{false};
    std::vector<uint32_t> editorWhileOpen;
    std::thread thread;

    void start()
    {
        thread = std::thread(
            [this]
            {
                HWND dialog = nullptr;
                for (int i = 0; i < 1500 && !dialog; ++i, Sleep(20))
                    dialog = FindWindowW(nullptr, title);
                if (!dialog) return;
                seen = true;
                // The editor's timer redraws the window meanwhile (on a busy machine it may take
                // a while): wait for a change of the area, at most ten seconds.
                for (int i = 0; i < 500; ++i, Sleep(20))
                {
                    editorWhileOpen = pixelsOf(editor);
                    if (areaOf(editorWhileOpen, area) != shownBefore) break;
                }
                if (fileName)
                {
                    SetDlgItemTextW(dialog, 0x47C, fileName); // the file name box
                    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                }
                else
                    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            });
    }
    void join()
    {
        if (thread.joinable()) thread.join();
    }
};
} // namespace

TEST_F(EditorInWindowsHost, FileDialogsRunInsideTheClickWithTheArrowPressed)
{
    // A preset file in a folder the editor remembers, so the dialog opens there.
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() /
                            (L"Orv dialog f\u00FCr " + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder);
    std::vector<unsigned char> preset(61, 0);
    const unsigned char head[5] = {0x79, 0x53, 0x72, 0x4F, '!'};
    std::memcpy(preset.data(), head, 5);
    std::memcpy(preset.data() + 5, "From disk", 9);
    for (int k = 0; k < 8; ++k)
    {
        const float v = 0.0625f * static_cast<float>(k + 1);
        std::memcpy(preset.data() + 29 + 4 * k, &v, 4);
    }
    std::ofstream(folder / L"bright.orv", std::ios::binary)
        .write(reinterpret_cast<const char*>(preset.data()), 61);
    plugin.reset();
    const std::wstring remembered = folder.wstring() + L"\\";
    writeRegistryValue(kProductKey, L"CurrDir", REG_SZ, remembered.c_str(),
                       (remembered.size() + 1) * sizeof(wchar_t));
    plugin = std::make_unique<LoadedPlugin>(recording);
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, host), 1);
    pump(100);

    const RECT arrow{76, 226, 88, 240}; // load preset
    moveTo(kOutside);
    pump(100);
    const auto normal = areaOf(windowPixels(), arrow);
    moveTo({82, 233});
    pump(100);
    const auto hovered = areaOf(windowPixels(), arrow);

    // Cancel: nothing changes.
    DialogUser cancel{L"Load preset", nullptr, editorWindow(), arrow, hovered};
    cancel.start();
    click({82, 233});
    cancel.join();
    ASSERT_TRUE(cancel.seen);
    const auto pressed = areaOf(cancel.editorWhileOpen, arrow);
    EXPECT_NE(pressed, normal);
    EXPECT_NE(pressed, hovered);
    char name[kVstMaxProgNameLen + 1] = {};
    plugin->dispatch(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "Default");

    // The right button asks for the other byte order, in a dialog of its own title.
    DialogUser reversed{L"Load preset (endian-reversed)", nullptr, editorWindow(), arrow, hovered};
    reversed.start();
    click({82, 233}, 1, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    reversed.join();
    EXPECT_TRUE(reversed.seen);

    // A file chosen in the remembered folder loads into the current program.
    DialogUser choose{L"Load preset", L"bright.orv", editorWindow(), arrow, hovered};
    choose.start();
    click({82, 233});
    choose.join();
    ASSERT_TRUE(choose.seen);
    EXPECT_TRUE(pumpUntil(
        [&]
        {
            plugin->dispatch(effGetProgramName, 0, 0, name);
            return std::strcmp(name, "From disk") == 0;
        }))
        << name;
    EXPECT_EQ(plugin->getParameter(kDecay), 0.1875f);
    plugin.reset();
    // Closing wrote back the folder the file came from.
    EXPECT_EQ(productValue(L"CurrDir"), RegistryValue(REG_SZ, wideTextBytes(remembered)));
    fs::remove_all(folder);
}

// No parent, or a handle that is no window: no editor window, and the host is told so; a later
// open into the host's window works.
TEST_F(EditorInWindowsHost, OpenWithoutAWindowFailsAndALaterOpenWorks)
{
    for (void* parent : {static_cast<void*>(nullptr), reinterpret_cast<void*>(uintptr_t{0x7ff0})})
    {
        EXPECT_EQ(plugin->dispatch(effEditOpen, 0, 0, parent), 0);
        pump(60); // no timer of a half-made editor
        EXPECT_EQ(childCount(), 0);
        plugin->dispatch(effEditClose);
    }
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, host), 1);
    EXPECT_EQ(childCount(), 1);
    EXPECT_TRUE(showsLikeOffscreen());
    plugin->dispatch(effEditClose);
    EXPECT_EQ(childCount(), 0);
}

TEST_F(EditorInWindowsHost, OpensAndClosesAgainAndClosesWithTheEffect)
{
    for (int i = 0; i < 30; ++i)
    {
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, host), 1) << "round " << i;
        ASSERT_EQ(childCount(), 1) << "round " << i;
        pump(i % 5 == 0 ? 60 : 0); // now and then long enough for the timer to draw
        plugin->dispatch(effEditClose);
        ASSERT_EQ(childCount(), 0) << "round " << i;
    }
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, host), 1);
    EXPECT_TRUE(showsLikeOffscreen());
    // The host closes the effect with its editor still open: the window goes with it.
    HWND child = editorWindow();
    EXPECT_EQ(plugin->close(), 1);
    EXPECT_FALSE(IsWindow(child));
    pump(100); // no timer of the closed editor fires into freed memory
    EXPECT_EQ(childCount(), 0);
}

// A host's scale of 2: the child window is twice as large and clicks, drags and the menu at twice
// the positions work the same controls as at 1x; Escape closes the open menu.
TEST_F(EditorInWindowsHost, AtTheHostsScaleOfTwoInputHitsTheSameControls)
{
    SetWindowPos(host, nullptr, 0, 0, 800, 600, SWP_NOZORDER | SWP_NOACTIVATE);
    pump(50);
    EXPECT_EQ(plugin->dispatch(effVendorSpecific, AudioEffectX::kVendorScaleIndex,
                               AudioEffectX::kVendorScaleValue, nullptr, 2.0f),
              1);
    ERect* rect = nullptr;
    ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, 2 * kWidth);
    EXPECT_EQ(rect->bottom - rect->top, 2 * kHeight);
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, host), 1);
    pump(100);
    RECT client;
    GetClientRect(editorWindow(), &client);
    EXPECT_EQ(client.right, 2 * kWidth);
    EXPECT_EQ(client.bottom, 2 * kHeight);

    click({324, 352}); // the bypass key
    EXPECT_TRUE(pumpUntil([&] { return plugin->getParameter(kBypass) == 1.0f; }));

    // 50 window pixels up on the Decay knob are 25 frame pixels: an eighth of its range.
    const float before = plugin->getParameter(kDecay);
    moveTo({144, 186});
    send(MOUSEEVENTF_LEFTDOWN, {144, 186});
    for (LONG y = 176; y >= 136; y -= 10)
        moveTo({144, y});
    send(MOUSEEVENTF_LEFTUP, {144, 136});
    ASSERT_TRUE(pumpUntil([&] { return !recording.callsWith(audioMasterEndEdit).empty(); }));
    EXPECT_NEAR(plugin->getParameter(kDecay) - before, 50.0f / 2 / 200, 1e-4f);

    click({438, 488}); // the program menu; Escape closes its list, choosing nothing
    pump(50);
    pressKey(VK_ESCAPE);
    click({520, 2 * (140 + 3 * 16 + 8)}); // where the fourth entry was: the background now
    pump(100);
    EXPECT_EQ(plugin->getParameter(kTranspose), 0.5f);
    click({438, 488});
    click({520, 2 * (140 + 3 * 16 + 8)}); // the fourth entry, "Low & Dark"
    EXPECT_TRUE(pumpUntil([&] { return plugin->getParameter(kTranspose) == 0.25f; }));
    plugin->dispatch(effEditClose);
}
