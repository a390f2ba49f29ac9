// The real vantrel.exe under wine, driven from outside as a user drives it:
// its windows from their templates, the browse button's tooltip, the settings
// kept however it is closed, both kinds of directory dialog, real clients of
// the host served over IPv4 and IPv6 from folders in any script while the
// Status field follows and while boxes and dialogs are open, and a second
// instance refused the port.
#include "tests/e2e/win32/probe/WindowProbe.h"
#include "tests/e2e/win32/support/VantrelWindow.h"
#include "tests/e2e/win32/support/WindowPicture.h"

#include "platform/win32/WideText.h"
#include "res/ResourceIds.h"
#include "settings/SettingsStore.h"
#include "tests/settings/support/SettingsValues.h"
#include "tests/support/TftpPeer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>

namespace {

constexpr char kRoot[] = "/tmp/vantrel-e2e";
constexpr char kBindFailure[] = "Unable to Bind socket. Is Vantrel already open? ";
// Folders in Cyrillic, in fullwidth Latin letters and in CJK characters, none
// of which an ANSI code page holds all of.
constexpr const char* kWideFolders[] = {"Загрузки", "ｃｏｎｆｉｇ", "启动映像"};

// Waits until check holds, as the window handles posted messages in its own time.
bool Eventually(const std::function<bool()>& check)
{
    for (int tries = 0; tries < 500; ++tries) {
        if (check())
            return true;
        Sleep(10);
    }
    return false;
}

POINT CentreOf(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

bool CentredOver(HWND window, POINT centre)
{
    const POINT own = CentreOf(window);
    return std::abs(own.x - centre.x) <= 2 && std::abs(own.y - centre.y) <= 2;
}

std::wstring g_probeReply;

LRESULT CALLBACK ReceiveProbeReply(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COPYDATA)
        return DefWindowProcW(window, message, wParam, lParam);
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    g_probeReply.assign(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
    return TRUE;
}

// What the probe hooked on the window's thread answers to question, a line an
// item: another process cannot read a window's menu or its controls' fonts.
std::vector<std::string> AskProbe(HWND window, const wchar_t* question)
{
    const HMODULE probe = LoadLibraryW(WidenUtf8(WinePath(VANTREL_WINDOW_PROBE)).c_str());
    const auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, "WindowProbe")));
    WNDCLASSW replyClass = {};
    replyClass.lpfnWndProc = ReceiveProbeReply;
    replyClass.hInstance = GetModuleHandleW(nullptr);
    replyClass.lpszClassName = L"VantrelProbeReply";
    RegisterClassW(&replyClass);
    const HWND reply = CreateWindowExW(0, replyClass.lpszClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                                       replyClass.hInstance, nullptr);
    const HHOOK hooked
        = hook ? SetWindowsHookExW(WH_CALLWNDPROC, hook, probe, GetWindowThreadProcessId(window, nullptr)) : nullptr;
    g_probeReply = L"no answer\n";
    SendMessageTimeoutW(window, RegisterWindowMessageW(question), 0, reinterpret_cast<LPARAM>(reply), SMTO_NORMAL, 5000,
                        nullptr);
    if (hooked)
        UnhookWindowsHookEx(hooked);
    DestroyWindow(reply);
    FreeLibrary(probe);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = g_probeReply.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        lines.push_back(NarrowToUtf8(g_probeReply.substr(start, end - start)));
    return lines;
}

std::string MenuEntry(UINT id, UINT flags, const std::string& text)
{
    return std::to_string(id) + " " + std::to_string(flags) + " " + text;
}

class VantrelExeE2ETest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : {"", "/served", "/uploads", "/a", "/b", "/w"})
            CreateDirectoryA(WinePath(std::string(kRoot) + folder).c_str(), nullptr);
        for (const char* folder : kWideFolders)
            CreateDirectoryW(WidenUtf8(Dir(folder)).c_str(), nullptr);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane");
        UseWindowsVersion("win10");
    }

    static std::string Dir(const char* name) { return WinePath(std::string(kRoot) + "/" + name); }

    // Wine tells the program this version of Windows; an old one brings the
    // legacy directory dialog.
    static void UseWindowsVersion(const char* version)
    {
        RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\vantrel.exe", "Version", REG_SZ, version,
                        static_cast<DWORD>(std::strlen(version) + 1));
    }

    static void Provision(SettingsValues settings) { WriteSettingsToRegistry(settings.Refs()); }

    // The dialog of the program that opens with this caption, checked by look.
    static HWND OpenedDialog(const VantrelWindow& vantrel, const char* caption, const char* pictureName,
                             const std::function<void(HWND)>& look)
    {
        const HWND dialog = WaitForWindow(vantrel.ProcessId(), caption);
        EXPECT_NE(dialog, nullptr) << caption;
        if (!dialog)
            return nullptr;
        SaveWindowPicture(dialog, pictureName);
        if (look)
            look(dialog);
        return dialog;
    }

    static void ChooseInLegacyDialog(VantrelWindow& vantrel, const char* caption, const std::string& directory)
    {
        const HWND dialog = OpenedDialog(vantrel, caption, "legacy-directory-dialog", [](HWND d) {
            for (const int id : {stc2, stc3, edt1, lst1, cmb1})
                EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, id))) << id;
            for (const int id : {stc1, lst2, cmb2, IDOK, IDCANCEL, pshHelp})
                EXPECT_TRUE(IsWindowVisible(GetDlgItem(d, id))) << id;
            EXPECT_EQ(TextOf(GetDlgItem(d, edt1)), "Junk");
        });
        if (!dialog)
            return;
        const std::string fullName = directory + "\\Junk";
        SendMessageA(GetDlgItem(dialog, edt1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fullName.c_str()));
        Click(GetDlgItem(dialog, IDOK));
        EXPECT_TRUE(Eventually([&] { return !IsWindow(dialog); }));
    }
};

TEST_F(VantrelExeE2ETest, TheWindowShowsTheStoredSettingsAndEveryWayOfClosingSavesItsState)
{
    struct Case {
        const char* name;
        std::function<void(VantrelWindow&)> close;
    };
    const auto press = [](UINT message, WPARAM key, LPARAM flags) {
        return [=](VantrelWindow& v) { PostMessageA(v.Item(IDC_SEARCH_DIRS), message, key, flags); };
    };
    const Case cases[] = {
        {"Exit", [](VantrelWindow& v) { Click(v.Item(IDOK)); }},
        {"Enter in the list", press(WM_KEYDOWN, VK_RETURN, 1)},
        {"Esc", press(WM_KEYDOWN, VK_ESCAPE, 1)},
        {"close box", [](VantrelWindow& v) { PostMessageA(v.Main(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Alt+F4", press(WM_SYSKEYDOWN, VK_F4, 1 | (KF_ALTDOWN << 16))},
        {"end of the session with the About box open",
         [](VantrelWindow& v) {
             Click(v.Item(IDC_ABOUT));
             ASSERT_NE(WaitForWindow(v.ProcessId(), "About Vantrel"), nullptr);
             const HWND session = FindWindowA("VantrelSession", nullptr);
             ASSERT_NE(session, nullptr);
             SendMessageTimeoutA(session, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, nullptr);
             SendMessageTimeoutA(session, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, nullptr);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Provision({Dir("w"), 0, 0, {Dir("b"), Dir("a")}});
        VantrelWindow vantrel;
        ASSERT_TRUE(vantrel.Start());
        SaveWindowPicture(vantrel.Main(), "main");
        EXPECT_EQ(vantrel.ListedItems(), (std::vector<std::string>{Dir("a"), Dir("b")})) << "sorted";
        EXPECT_EQ(vantrel.Text(IDC_WRITE_DIR), Dir("w"));
        EXPECT_EQ(vantrel.Text(IDC_STATUS), "Idle");
        for (const int field : {IDC_WRITE_DIR, IDC_STATUS})
            EXPECT_TRUE(GetWindowLongA(vantrel.Item(field), GWL_STYLE) & ES_READONLY);
        Click(vantrel.Item(IDC_ENABLE_WRITE));
        Click(vantrel.Item(IDC_RUN_MINIMIZED));
        ASSERT_TRUE(Eventually([&] { return vantrel.Checked(IDC_RUN_MINIMIZED) == BST_CHECKED; }));
        c.close(vantrel);
        EXPECT_EQ(vantrel.WaitForExit(), 0);
        const SettingsValues saved = Stored();
        EXPECT_EQ(saved.enableWrite, 1);
        EXPECT_EQ(saved.runMinimized, 1);
        EXPECT_EQ(saved.writeDir, Dir("w"));
        EXPECT_EQ(saved.searchDirs, (std::vector<std::string>{Dir("b"), Dir("a")})) << "the search order";
    }
}

TEST_F(VantrelExeE2ETest, AboutBoxOpensFromItsButtonAndTheSystemMenuOverTheBlockedWindow)
{
    VantrelWindow vantrel;
    ASSERT_TRUE(vantrel.Start());
    EXPECT_EQ(AskProbe(vantrel.Main(), kCaptionProbe), std::vector<std::string>{}) << "clipped captions";
    // The system's entries, then a separator and the program's About entry
    // (command 16); wine puts an "About Wine" of its own between them.
    std::vector<std::string> menu = AskProbe(vantrel.Main(), kSystemMenuProbe);
    const auto wine = std::find(menu.begin(), menu.end(), MenuEntry(0xF141, 0, "&About Wine"));
    if (wine != menu.end())
        menu.erase(wine - 1, wine + 1);
    const std::string separator = MenuEntry(0, MF_SEPARATOR | MF_DISABLED | MF_GRAYED, "");
    EXPECT_EQ(menu,
              (std::vector<std::string>{MenuEntry(SC_RESTORE, 0, "&Restore"), MenuEntry(SC_MOVE, 0, "&Move"),
                                        MenuEntry(SC_SIZE, 0, "&Size"), MenuEntry(SC_MINIMIZE, 0, "Mi&nimize"),
                                        MenuEntry(SC_MAXIMIZE, 0, "Ma&ximize"), separator,
                                        MenuEntry(SC_CLOSE, MF_DEFAULT, "&Close\tAlt+F4"), separator,
                                        MenuEntry(16, 0, "&About Vantrel...")}));
    const std::function<void()> opens[] = {
        [&] { Click(vantrel.Item(IDC_ABOUT)); },
        [&] { PostMessageA(vantrel.Main(), WM_SYSCOMMAND, 16, 0); },
    };
    for (const auto& open : opens) {
        open();
        const HWND about = OpenedDialog(vantrel, "About Vantrel", "about", [&](HWND box) {
            EXPECT_NE(ChildWithText(box, "Vantrel TFTP Server Version 1.2"), nullptr);
            const HWND icon = GetWindow(GetDlgItem(box, IDOK), GW_HWNDNEXT);
            EXPECT_NE(SendMessageA(icon, STM_GETICON, 0, 0), 0) << "icon 128";
            EXPECT_FALSE(IsWindowEnabled(vantrel.Main()));
            EXPECT_TRUE(CentredOver(box, CentreOf(vantrel.Main())));
            EXPECT_EQ(AskProbe(box, kCaptionProbe), std::vector<std::string>{}) << "clipped captions";
        });
        ASSERT_NE(about, nullptr);
        PostMessageA(GetDlgItem(about, IDOK), WM_KEYDOWN, VK_ESCAPE, 1);
        EXPECT_TRUE(Eventually([&] { return !IsWindow(about) && IsWindowEnabled(vantrel.Main()); }));
    }
    Click(vantrel.Item(IDOK));
    EXPECT_EQ(vantrel.WaitForExit(), 0);
}

TEST_F(VantrelExeE2ETest, OpensCentredButStartedMinimizedIsRestoredToTheTopLeftCorner)
{
    RECT workArea = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    for (const int minimized : {0, 1}) {
        SCOPED_TRACE(minimized);
        Provision({"", 0, minimized, {}});
        VantrelWindow vantrel;
        ASSERT_TRUE(vantrel.Start());
        if (minimized) {
            EXPECT_TRUE(IsIconic(vantrel.Main()));
            ShowWindowAsync(vantrel.Main(), SW_RESTORE);
            RECT restored = {};
            EXPECT_TRUE(Eventually([&] {
                GetWindowRect(vantrel.Main(), &restored);
                return !IsIconic(vantrel.Main()) && restored.left == workArea.left && restored.top == workArea.top;
            })) << restored.left
                << "," << restored.top;
        } else {
            EXPECT_TRUE(CentredOver(vantrel.Main(),
                                    {(workArea.left + workArea.right) / 2, (workArea.top + workArea.bottom) / 2}));
        }
        Click(vantrel.Item(IDOK));
        EXPECT_EQ(vantrel.WaitForExit(), 0);
    }
}

TEST_F(VantrelExeE2ETest, OnAnOldWindowsTheLegacyDialogAddsAndSetsDirectoriesAndRemoveTakesTheSelection)
{
    UseWindowsVersion("nt351");
    VantrelWindow vantrel;
    ASSERT_TRUE(vantrel.Start());
    Click(vantrel.Item(IDC_ADD));
    ChooseInLegacyDialog(vantrel, "Choose a search Directory", Dir("b"));
    Click(vantrel.Item(IDC_ADD));
    ChooseInLegacyDialog(vantrel, "Choose a search Directory", Dir("a"));
    ASSERT_TRUE(Eventually([&] { return vantrel.ListedItems().size() == 2; }));
    EXPECT_EQ(vantrel.ListedItems(), (std::vector<std::string>{Dir("a"), Dir("b")}));

    SendMessageA(vantrel.Item(IDC_SEARCH_DIRS), LB_SETCURSEL, 1, 0);
    Click(vantrel.Item(IDC_REMOVE));
    ASSERT_TRUE(Eventually([&] { return vantrel.ListedItems().size() == 1; }));
    EXPECT_EQ(vantrel.ListedItems(), std::vector<std::string>{Dir("a")});
    EXPECT_EQ(SendMessageA(vantrel.Item(IDC_SEARCH_DIRS), LB_GETCURSEL, 0, 0), LB_ERR);

    Click(vantrel.Item(IDC_BROWSE));
    ChooseInLegacyDialog(vantrel, "Choose Write Directory", Dir("w"));
    EXPECT_TRUE(Eventually([&] { return vantrel.Text(IDC_WRITE_DIR) == Dir("w"); }));
    Click(vantrel.Item(IDOK));
    EXPECT_EQ(vantrel.WaitForExit(), 0);
    const SettingsValues saved = Stored();
    EXPECT_EQ(saved.searchDirs, std::vector<std::string>{Dir("a")});
    EXPECT_EQ(saved.writeDir, Dir("w"));
}

// Wine's folder browser selects folders of drive C: only.
TEST_F(VantrelExeE2ETest, TheFolderBrowserOpensWithTheFieldsDirectorySelected)
{
    const std::string start = "C:\\vantrel-e2e";
    CreateDirectoryA(start.c_str(), nullptr);
    Provision({start, 0, 0, {}});
    VantrelWindow vantrel;
    ASSERT_TRUE(vantrel.Start());
    const POINT button = CentreOf(vantrel.Item(IDC_BROWSE));
    SetCursorPos(button.x, button.y);
    EXPECT_NE(WaitForWindow(vantrel.ProcessId(), "Modify", 5000), nullptr) << "the tooltip of the resting mouse";
    SetCursorPos(0, 0);
    Click(vantrel.Item(IDC_BROWSE));
    const HWND browser = WaitForWindow(vantrel.ProcessId(), "Browse for Folder");
    ASSERT_NE(browser, nullptr);
    SaveWindowPicture(browser, "folder-browser");
    EXPECT_NE(ChildWithText(browser, "Choose Write Directory"), nullptr) << "the instruction";
    EXPECT_FALSE(IsWindowEnabled(vantrel.Main()));
    Click(GetDlgItem(browser, IDOK));
    ASSERT_TRUE(Eventually([&] { return !IsWindow(browser); }));
    EXPECT_EQ(vantrel.Text(IDC_WRITE_DIR), start) << "the preselected start returned";

    Click(vantrel.Item(IDC_ADD));
    const HWND adding = WaitForWindow(vantrel.ProcessId(), "Browse for Folder");
    ASSERT_NE(adding, nullptr);
    EXPECT_NE(ChildWithText(adding, "Choose a search Directory"), nullptr);
    Click(GetDlgItem(adding, IDCANCEL));
    ASSERT_TRUE(Eventually([&] { return !IsWindow(adding); }));
    EXPECT_TRUE(vantrel.ListedItems().empty());
    Click(vantrel.Item(IDOK));
    EXPECT_EQ(vantrel.WaitForExit(), 0);
}

// Real clients download and upload byte for byte, from and to folders named
// in any script, which the window shows and the registry keeps as they are,
// and go on being served while a message box, the About box or a chooser is
// open. Then a scripted peer takes a download's steps, each once the Status
// field shows the last: a real client's pace leaves a step's text on screen
// for less time than a busy machine may take to read it.
TEST_F(VantrelExeE2ETest, RealClientsDownloadAndUploadWhileTheStatusShowsEachStep)
{
    std::string image(700 * 1024, '\0');
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>((i * 7919) >> 5);
    WriteFileBytes(std::string(kRoot) + "/served/image.bin", image);
    WriteFileBytes(std::string(kRoot) + "/config.txt", "hostname lab-switch\r\n");
    const SettingsValues settings{Dir(kWideFolders[0]),
                                  1,
                                  0,
                                  {Dir("served"), Dir(kWideFolders[0]), Dir(kWideFolders[1]), Dir(kWideFolders[2])}};
    Provision(settings);
    VantrelWindow vantrel;
    ASSERT_TRUE(vantrel.Start());
    EXPECT_EQ(vantrel.Text(IDC_WRITE_DIR), settings.writeDir);
    std::vector<std::string> listed = vantrel.ListedItems(), searchDirs = settings.searchDirs;
    std::sort(listed.begin(), listed.end());
    std::sort(searchDirs.begin(), searchDirs.end());
    EXPECT_EQ(listed, searchDirs);

    const std::string tftp = "/usr/bin/tftp -m binary 127.0.0.1 -c ";
    std::vector<std::string> seen;
    const auto watch = [&] { seen = vantrel.WatchStatusUntil("Finished"); };
    EXPECT_EQ(vantrel.Text(IDC_STATUS), "Idle");
    ASSERT_EQ(RunHostCommand(tftp + "get image.bin " + kRoot + "/fetched.bin", watch), 0);
    EXPECT_EQ(ReadFileBytes(std::string(kRoot) + "/fetched.bin"), image);
    EXPECT_EQ(seen.back(), "Finished");
    ASSERT_EQ(RunHostCommand(tftp + "put " + kRoot + "/config.txt config.txt"), 0);
    EXPECT_EQ(ReadFileBytes(std::string(kRoot) + "/" + kWideFolders[0] + "/config.txt"), "hostname lab-switch\r\n");

    // Each folder's file over IPv4's loopback and over IPv6's, which the one
    // socket serves alike: tftp-hpa's tftp with either, and curl with IPv6's.
    using Download = std::function<std::string(const std::string& remote, const std::string& local)>;
    const Download downloads[] = {
        [&](const std::string& remote, const std::string& local) { return tftp + "get " + remote + " " + local; },
        [](const std::string& remote, const std::string& local) {
            return "/usr/bin/tftp -m binary ::1 -c get " + remote + " " + local;
        },
        [](const std::string& remote, const std::string& local) {
            return "curl -sS -o " + local + " tftp://[::1]/" + remote;
        },
    };
    for (std::size_t i = 0; i < std::size(kWideFolders); ++i) {
        const std::string folder = kWideFolders[i], name = "in-" + std::to_string(i), served = "from " + folder;
        WriteFileBytes(std::string(kRoot) + "/" + folder + "/" + name, served);
        for (std::size_t j = 0; j < std::size(downloads); ++j) {
            const std::string local = std::string(kRoot) + "/" + name + "-" + std::to_string(j);
            const std::string command = downloads[j](name, local);
            SCOPED_TRACE(command);
            EXPECT_EQ(RunHostCommand(command), 0);
            EXPECT_EQ(ReadFileBytes(local), served);
        }
    }

    Peer boxRaiser(69);
    const struct {
        const char* caption;
        std::function<void()> open;
        int closeButton;
    } modals[] = {
        {"vantrel", [&] { boxRaiser.Send(std::string("\0\x07", 2)); }, IDOK},
        {"About Vantrel", [&] { Click(vantrel.Item(IDC_ABOUT)); }, IDOK},
        {"Browse for Folder", [&] { Click(vantrel.Item(IDC_ADD)); }, IDCANCEL},
    };
    for (const auto& modal : modals) {
        SCOPED_TRACE(modal.caption);
        modal.open();
        const HWND window = WaitForWindow(vantrel.ProcessId(), modal.caption);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(GetWindow(window, GW_OWNER), vantrel.Main()) << "owned by the main window";
        std::remove((std::string(kRoot) + "/fetched.bin").c_str());
        ASSERT_EQ(RunHostCommand(tftp + "get image.bin " + kRoot + "/fetched.bin"), 0);
        EXPECT_EQ(ReadFileBytes(std::string(kRoot) + "/fetched.bin"), image);
        Click(GetDlgItem(window, modal.closeButton));
        EXPECT_TRUE(Eventually([&] { return !IsWindow(window) && IsWindowEnabled(vantrel.Main()); }));
    }

    // A name that is not UTF-8 is shown with U+FFFD for its stray byte.
    const std::string unknown = "Unknown File caf\xEF\xBF\xBD.bin";
    boxRaiser.Send(RequestPacket(1, "caf\xE9.bin"));
    EXPECT_EQ(vantrel.WatchStatusUntil(unknown).back(), unknown);

    Peer peer(69);
    peer.Send(RequestPacket(1, "image.bin"));
    std::optional<std::string> data = peer.Receive();
    ASSERT_TRUE(data);
    EXPECT_EQ(vantrel.WatchStatusUntil("Fisrt Block of image.bin sent").back(), "Fisrt Block of image.bin sent");
    for (std::uint16_t block = 1; data->size() == 4 + 512; ++block) {
        peer.Send(AckPacket(block));
        if (block == 1) {
            EXPECT_EQ(vantrel.WatchStatusUntil("Sending 1 of 1400").back(), "Sending 1 of 1400");
        }
        data = peer.Receive();
        ASSERT_TRUE(data) << "block " << block + 1;
    }
    peer.Send(AckPacket(BlockOf(*data)));
    EXPECT_EQ(vantrel.WatchStatusUntil("Finished").back(), "Finished");
    Click(vantrel.Item(IDOK));
    EXPECT_EQ(vantrel.WaitForExit(), 0);
    EXPECT_EQ(Stored(), settings) << "kept byte for byte";
}

TEST_F(VantrelExeE2ETest, ASecondInstanceSaysThePortIsTakenAndItsWindowRunsOn)
{
    VantrelWindow first;
    ASSERT_TRUE(first.Start());
    VantrelWindow second;
    ASSERT_TRUE(second.Launch());
    const HWND box = WaitForWindow(second.ProcessId(), "vantrel");
    ASSERT_NE(box, nullptr);
    SaveWindowPicture(box, "second-instance");
    EXPECT_NE(ChildWithText(box, kBindFailure), nullptr);
    Click(GetDlgItem(box, IDOK));
    const HWND window = WaitForWindow(second.ProcessId(), "Vantrel server");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(window, IDC_STATUS)), "Idle");
    Click(GetDlgItem(window, IDOK));
    EXPECT_EQ(second.WaitForExit(), 0);
    Click(first.Item(IDOK));
    EXPECT_EQ(first.WaitForExit(), 0);
}

} // namespace
