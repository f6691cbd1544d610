// The settings dialog of the real engine under Wine: one dialog per request, its window and
// control layout, real keystrokes on the virtual display, and what OK, Cancel and a detaching
// front-end do to the settings file and to the slide step. The dialog's input rules are
// tested natively; here the Win32 view and the real message flow are.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/PopyoDef.h"
#include "settings/SettingsLayout.h"
#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {
namespace {

using namespace std::chrono_literals;

// Unlike anything a save writes (wx not 195, an unknown line, no trailing keys), so a
// rewrite of the file cannot go unnoticed.
constexpr char kStartFile[] = "wx=333\r\nmv=150\r\nOnTime=7\r\nunknown=1\r\n";
constexpr char kSavedWithStep300[] =
    "wx=333\r\nmv=300\r\nmgn=1\r\nmgn2=15\r\nactwin=True\r\nhiact=True\r\noutwin=True\r\n"
    "DisableKey=17\r\nAutoRestore=True\r\nMouseDownDisable=True\r\nOnTime=7\r\n"
    "OffTime=10\r\nOutCheck=True\r\nSwitchOnTime=True\r\nAutoActivate=True\r\n"
    "ChangePopyonStyle=False\r\n";
// Where the slide test window stands: far from the dialog in the screen's middle and from
// the cursor, registered at the left edge.
constexpr RECT kHome{1400, 300, 1600, 500};

// The view gives each control the id 100 + its place in the layout table.
int ControlId(std::string_view name) {
    for (std::size_t i = 0; i < kSettingsControls.size(); ++i) {
        if (kSettingsControls[i].name == name) {
            return 100 + static_cast<int>(i);
        }
    }
    ADD_FAILURE() << "no control " << name;
    return 0;
}

// A window of the test process that records every position the engine moves it to, so a
// slide step is read exactly however the polls fall between ticks. The engine's moves wait
// for this thread, which serves them while it polls and while it waits for a reply.
class SlideWindow {
  public:
    SlideWindow() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &SlideWindow::WndProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PopyoWineSlideWindow";
        ::RegisterClassExW(&wc);  // already registered by an earlier test: fine
        wnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"slide me", WS_POPUP | WS_BORDER, kHome.left,
                                 kHome.top, kHome.right - kHome.left, kHome.bottom - kHome.top,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&moves_));
        ::ShowWindow(wnd_, SW_SHOWNOACTIVATE);
    }
    SlideWindow(const SlideWindow&) = delete;
    SlideWindow& operator=(const SlideWindow&) = delete;
    ~SlideWindow() { ::DestroyWindow(wnd_); }

    WPARAM Param() const { return static_cast<WPARAM>(reinterpret_cast<UINT_PTR>(wnd_)); }
    // Left sides the window was moved to, in order, each differing from the one before.
    const std::vector<int>& Moves() const { return moves_; }

  private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* moves = reinterpret_cast<std::vector<int>*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (msg == WM_WINDOWPOSCHANGED && moves != nullptr) {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
            const int last = moves->empty() ? kHome.left : moves->back();
            if ((pos->flags & SWP_NOMOVE) == 0 && pos->x != last) {
                moves->push_back(pos->x);
            }
        }
        return ::DefWindowProcW(wnd, msg, wParam, lParam);
    }

    HWND wnd_ = nullptr;
    std::vector<int> moves_;
};

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    if (WindowProcessId(wnd) == search->processId && ClassName(wnd) == L"TForm2" &&
        ::IsWindowVisible(wnd)) {
        search->found.push_back(wnd);
    }
    return TRUE;
}

RECT ClientRectOf(HWND control, HWND dialog) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

POINT CentreOf(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

HWND FocusOf(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

std::wstring ClickAt(POINT p) {
    return L"mousemove " + std::to_wstring(p.x) + L" " + std::to_wstring(p.y) + L" click 1 ";
}

class SettingsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(FindEngineWindow(), nullptr) << "an engine from elsewhere is still running";
        // Away from every edge, the dialog and the slide window.
        ASSERT_TRUE(::SetCursorPos(960, 100));
        sandbox_.WriteSettings(kStartFile);
        engine_.emplace(sandbox_.Start());
        engineWnd_ = WaitForEngineWindow(engine_.value());
        ASSERT_NE(engineWnd_, nullptr) << "no engine window";
        ASSERT_TRUE(
            PollUntil([&] { return SendWithTimeout(engineWnd_, EM_GETSTATUS, 0, 0) == LRESULT{0}; },
                      kStartTimeout));
    }

    std::vector<HWND> Dialogs() const {
        DialogSearch search{engine_.value().Id(), {}};
        ::EnumWindows(&CollectDialogs, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // Posted: a sent request would return only when the dialog closes.
    HWND OpenDialog() {
        ::PostMessageW(engineWnd_, EM_SETTINGS, 0, 0);
        HWND dialog = nullptr;
        PollUntil(
            [&] {
                const auto found = Dialogs();
                dialog = found.empty() ? nullptr : found.front();
                return dialog != nullptr;
            },
            kStartTimeout);
        return dialog;
    }

    static HWND Item(HWND dialog, std::string_view name) {
        return ::GetDlgItem(dialog, ControlId(name));
    }

    static std::wstring Text(HWND dialog, std::string_view name) {
        return WindowText(Item(dialog, name));
    }

    static void SetText(HWND dialog, std::string_view name, const wchar_t* text) {
        SendWithTimeout(Item(dialog, name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }

    static void Click(HWND dialog, std::string_view name) {
        SendWithTimeout(Item(dialog, name), BM_CLICK, 0, 0);
    }

    std::optional<LRESULT> Status(const SlideWindow& window) const {
        return SendWithTimeout(engineWnd_, EM_GETSTATUS, window.Param(), 0);
    }

    // Registers the window at the left edge and starts it hiding. Sent while the dialog is
    // open, which also shows that control messages are still served then.
    void StartHiding(const SlideWindow& window) const {
        ASSERT_EQ(SendWithTimeout(engineWnd_, EM_REGISTER, window.Param(), edLeft), LRESULT{0});
        ASSERT_EQ(SendWithTimeout(engineWnd_, EM_HIDE, window.Param(), 0), LRESULT{0});
        ASSERT_EQ(Status(window), LRESULT{rsHiding});
    }

    // The first left side the engine moves the window to.
    static int FirstStep(const SlideWindow& window) {
        EXPECT_TRUE(PollUntil([&] { return !window.Moves().empty(); }, 5s)) << "nothing slid";
        return window.Moves().empty() ? kHome.left : kHome.left - window.Moves().front();
    }

    EngineSandbox sandbox_;
    std::optional<Process> engine_;  // ends before the sandbox goes
    HWND engineWnd_ = nullptr;
};

using SettingsDialogWindow = SettingsDialogTest;

// A second request while the dialog is open does nothing. Messages posted after it are
// handled in order, so once the registration posted behind it shows, it has been handled.
TEST_F(SettingsDialogWindow, SecondRequestOpensNoSecondDialog) {
    SlideWindow marker;
    ASSERT_NE(OpenDialog(), nullptr) << "no dialog";
    ::PostMessageW(engineWnd_, EM_SETTINGS, 0, 0);
    ::PostMessageW(engineWnd_, EM_REGISTER, marker.Param(), edLeft);
    ASSERT_TRUE(PollUntil([&] { return Status(marker).value_or(0) != 0; }, kReplyTimeout));
    EXPECT_EQ(Dialogs().size(), 1u);
}

TEST_F(SettingsDialogWindow, CaptionSizeAndControlPositions) {
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr) << "no dialog";
    EXPECT_EQ(WindowText(dialog), L"Qovポピョンと！設定");
    RECT client{};
    ::GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 334);
    EXPECT_EQ(client.bottom, 527);
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_EXSTYLE));
    EXPECT_EQ(style & WS_THICKFRAME, 0u) << "resizable";
    EXPECT_NE(exStyle & WS_EX_TOPMOST, 0u) << "not always on top";
    const POINT centre = CentreOf(dialog);
    EXPECT_NEAR(centre.x, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(centre.y, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    // Client coordinates; controls in the group box stand at its offset (8, 128). Labels
    // may grow to the right to fit their text in a wider substitute face.
    struct Case {
        std::string_view name;
        RECT at;
        const wchar_t* text;
    };
    const Case kCases[] = {
        {"Label17", {296, 8, 318, 20}, L"1.0.3"},
        {"GroupBox2", {8, 128, 329, 489}, L""},
        {"Edit1", {264, 144, 321, 164}, L"1"},
        {"Edit5", {264, 168, 321, 188}, L"7"},
        {"Edit3", {264, 229, 321, 249}, L"150"},
        {"CheckBox8", {32, 352, 297, 369}, L"ウインドウから出たときに出たと判断する。"},
        {"Label15", {32, 472, 136, 484}, L"Disableキー（コード）"},
        {"Edit4", {264, 464, 321, 484}, L"17"},
        {"cmdOK", {168, 496, 243, 521}, L"OK"},
        {"cmdCancel", {256, 496, 331, 521}, L"キャンセル"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.name));
        HWND control = Item(dialog, c.name);
        ASSERT_NE(control, nullptr);
        const RECT r = ClientRectOf(control, dialog);
        EXPECT_EQ(r.left, c.at.left);
        EXPECT_EQ(r.top, c.at.top);
        if (ClassName(control) == L"Static") {
            EXPECT_GE(r.right, c.at.right);
        } else {
            EXPECT_EQ(r.right, c.at.right);
        }
        EXPECT_EQ(r.bottom, c.at.bottom);
        EXPECT_EQ(WindowText(control), c.text);
    }
}

// On a Windows that speaks English (this prefix's locale; the other suites run under a
// Japanese one), at 96 and at 144 DPI: the dialog is English throughout, and every text fits
// the control it was laid out for, in the control's font.
class SettingsDialogEnglish : public SettingsDialogTest, public ::testing::WithParamInterface<int> {
  protected:
    // The engine started by SetUp reads the DPI when it starts.
    SettingsDialogEnglish() { SetLogPixels(GetParam()); }
    ~SettingsDialogEnglish() override { SetLogPixels(0); }

    static void SetLogPixels(int dpi) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_SET_VALUE, &key) !=
            ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot open Control Panel\\Desktop";
            return;
        }
        const auto value = static_cast<DWORD>(dpi);
        if (dpi == 0) {
            ::RegDeleteValueW(key, L"LogPixels");
        } else {
            ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                             sizeof value);
        }
        ::RegCloseKey(key);
    }

    static bool HasJapanese(const std::wstring& text) {
        return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x3000; });
    }
};

INSTANTIATE_TEST_SUITE_P(Dpi,
                         SettingsDialogEnglish,
                         ::testing::Values(96, 144),
                         [](const ::testing::TestParamInfo<int>& p) {
                             return "At" + std::to_string(p.param);
                         });

TEST_P(SettingsDialogEnglish, TextsFitTheirControls) {
    const int dpi = GetParam();
    ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr) << "no dialog";
    EXPECT_EQ(WindowText(dialog), L"PopyonnEngine Settings");
    RECT client{};
    ::GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, ::MulDiv(kDialogClientWidth, dpi, 96));
    EXPECT_EQ(client.bottom, ::MulDiv(kDialogClientHeight, dpi, 96));

    // The dialog's English font, as the engine makes it.
    HFONT font =
        ::CreateFontW(-::MulDiv(kDialogFontHeight, dpi, 96), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                      FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg 2");
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font);
    for (const ControlLayout& layout : kSettingsControls) {
        HWND control = Item(dialog, layout.name);
        if (control == nullptr) {
            continue;  // painted by the dialog itself
        }
        const std::wstring text = WindowText(control);
        SCOPED_TRACE(std::string(layout.name));
        EXPECT_FALSE(HasJapanese(text));
        // "1.0.3" is the same in every language.
        if (text.empty() || layout.kind == ControlKind::Edit || !layout.fixedCaption.empty()) {
            continue;
        }
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        // The width the control was laid out with: a label that had to grow past it could
        // run into its neighbour.
        int room = layout.width * dpi / 96;
        if (layout.kind == ControlKind::CheckBox) {
            // The box itself and the gap before the text.
            room -= ::GetSystemMetricsForDpi(SM_CXMENUCHECK, static_cast<UINT>(dpi)) +
                    ::MulDiv(4, dpi, 96);
        }
        EXPECT_LE(extent.cx, room) << ::testing::PrintToString(text);
    }
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(font);
}

using SettingsDialogKeys = SettingsDialogTest;

// Each xdotool run ends with a key whose effect can only show once the keys before it have
// been handled, and the next run starts only when it shows: nothing waits on time, and no
// two runs overlap.
TEST_F(SettingsDialogKeys, TypedKeysObeyInputRulesAndCancelKeepsFile) {
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr) << "no dialog";
    auto focusAndText = [&](std::string_view focus, std::string_view box, const wchar_t* text) {
        return PollUntil(
            [&] { return FocusOf(dialog) == Item(dialog, focus) && Text(dialog, box) == text; },
            kReplyTimeout);
    };

    // Enter and Esc first: had either pressed a button, the dialog would be gone. Letters
    // vanish as they are typed; the last digit shows that the letter before it was handled.
    // The keys go once the click has put the focus in the box: on a loaded machine they
    // could otherwise reach the X server before the dialog has its keyboard.
    Xdotool(ClickAt(CentreOf(Item(dialog, "Edit3"))));
    ASSERT_TRUE(PollUntil([&] { return FocusOf(dialog) == Item(dialog, "Edit3"); }, kReplyTimeout));
    Xdotool(L"key Return Escape ctrl+a type a5b7");
    ASSERT_TRUE(focusAndText("Edit3", "Edit3", L"57")) << Text(dialog, "Edit3");
    ASSERT_TRUE(::IsWindowVisible(dialog)) << "Enter or Esc closed the dialog";
    Xdotool(L"key BackSpace");
    ASSERT_TRUE(focusAndText("Edit3", "Edit3", L"5")) << Text(dialog, "Edit3");

    // Leaving the box lifts it to the lower bound; the focus goes on in tab order.
    Xdotool(L"key Tab");
    ASSERT_TRUE(focusAndText("CheckBox2", "Edit3", L"10")) << Text(dialog, "Edit3");

    Xdotool(ClickAt(CentreOf(Item(dialog, "Edit4"))) + L"key a");
    ASSERT_TRUE(focusAndText("Edit4", "Edit4", L"65")) << Text(dialog, "Edit4");
    // Ctrl is captured like any key; Tab still moves on, to CheckBox8 by the tab order.
    Xdotool(L"key ctrl Tab");
    ASSERT_TRUE(focusAndText("CheckBox8", "Edit4", L"17")) << Text(dialog, "Edit4");
    EXPECT_EQ(sandbox_.ReadSettings(), std::string(kStartFile));

    Xdotool(ClickAt(CentreOf(Item(dialog, "cmdCancel"))));
    EXPECT_TRUE(PollUntil([&] { return Dialogs().empty(); }, kReplyTimeout)) << "still open";
    EXPECT_EQ(sandbox_.ReadSettings(), std::string(kStartFile));
}

using SettingsDialogRun = SettingsDialogTest;

// The tick is off while the dialog is open: a hiding window waits. Cancel discards the
// typed step; the window then slides by the engine's own.
TEST_F(SettingsDialogRun, NothingSlidesWhileOpenAndCancelChangesNothing) {
    SlideWindow window;
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr) << "no dialog";
    StartHiding(window);
    SetText(dialog, "Edit3", L"300");
    ASSERT_EQ(Text(dialog, "Edit3"), L"300");

    PumpFor(500ms);
    EXPECT_TRUE(window.Moves().empty()) << "slid to " << window.Moves().front();
    EXPECT_EQ(Status(window), LRESULT{rsHiding});

    Click(dialog, "cmdCancel");
    EXPECT_EQ(FirstStep(window), 150);
    EXPECT_TRUE(Dialogs().empty());
    EXPECT_EQ(sandbox_.ReadSettings(), std::string(kStartFile));
}

// OK rewrites the whole file, carrying wx and the values from the file, and the next tick
// already slides by the new step.
TEST_F(SettingsDialogRun, OkRewritesFileAndNewStepActsOnNextTick) {
    SlideWindow window;
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr) << "no dialog";
    StartHiding(window);
    SetText(dialog, "Edit3", L"300");

    Click(dialog, "cmdOK");
    EXPECT_EQ(FirstStep(window), 300);
    EXPECT_TRUE(Dialogs().empty());
    EXPECT_EQ(sandbox_.ReadSettings(), std::string(kSavedWithStep300));
}

// Detaching ends the engine: the dialog's run ends as a cancel, and nothing is saved.
TEST_F(SettingsDialogRun, FrontEndDetachingWhileOpenEndsEngineWithoutSaving) {
    SlideWindow frontEnd;
    ASSERT_EQ(SendWithTimeout(engineWnd_, EM_ATTACH, frontEnd.Param(), 1), LRESULT{1});
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr) << "no dialog";
    SetText(dialog, "Edit3", L"300");

    EXPECT_TRUE(SendWithTimeout(engineWnd_, EM_DETACH, frontEnd.Param(), 0).has_value());
    EXPECT_TRUE(engine_.value().WaitForExit(kExitTimeout)) << "the engine did not end";
    EXPECT_EQ(sandbox_.ReadSettings(), std::string(kStartFile));
}

}  // namespace
}  // namespace popyo::wine
