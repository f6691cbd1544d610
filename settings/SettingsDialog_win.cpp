// The settings dialog's Win32 view. It creates the controls of the layout table, keeps
// them and the TForm2 model in step, and runs the modal loop. All decisions (which
// characters a number box keeps, what an emptied box becomes, which controls are greyed
// out) are TForm2's; the view only moves texts and states between the two.
#include "settings/SettingsDialog_win.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string>

#include "platform/Win32Util_win.h"
#include "platform/WindowThunk_win.h"
#include "settings/Banner.h"
#include "settings/SettingsLayout.h"

namespace popyo {

namespace {

constexpr wchar_t kClassName[] = L"TForm2";
constexpr int kFirstControlId = 100;
constexpr COLORREF kVersionColor = RGB(128, 128, 128);

// GDI objects owned by the view.
template <class T>
class UniqueGdi {
  public:
    UniqueGdi() = default;
    explicit UniqueGdi(T h) : h_(h) {}
    UniqueGdi(const UniqueGdi&) = delete;
    UniqueGdi& operator=(const UniqueGdi&) = delete;
    ~UniqueGdi() {
        if (h_ != nullptr) {
            ::DeleteObject(h_);
        }
    }
    T Get() const { return h_; }
    void Reset(T h) {
        if (h_ != nullptr) {
            ::DeleteObject(h_);
        }
        h_ = h;
    }

  private:
    T h_ = nullptr;
};

std::wstring WindowText(HWND wnd) {
    const int n = ::GetWindowTextLengthW(wnd);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    ::GetWindowTextW(wnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

// The banner is stored in the executable as the resource "BANNER" (RCDATA).
HBITMAP LoadBanner(HINSTANCE instance) {
    HRSRC res = ::FindResourceW(instance, L"BANNER", MAKEINTRESOURCEW(10));
    HGLOBAL data = res != nullptr ? ::LoadResource(instance, res) : nullptr;
    const void* bytes = data != nullptr ? ::LockResource(data) : nullptr;
    if (bytes == nullptr) {
        return nullptr;
    }
    const auto image = DecodeJpeg(std::span<const std::uint8_t>(
        static_cast<const std::uint8_t*>(bytes), ::SizeofResource(instance, res)));
    if (!image) {
        return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image->width;
    info.bmiHeader.biHeight = -image->height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr && bits != nullptr) {
        std::memcpy(bits, image->pixels.data(), image->pixels.size() * sizeof(std::uint32_t));
    }
    return bitmap;
}

class SettingsDialogView {
  public:
    SettingsDialogView(HWND owner, TForm2& form, const bool& terminated)
        : owner_(owner), form_(form), terminated_(terminated) {}
    SettingsDialogView(const SettingsDialogView&) = delete;
    SettingsDialogView& operator=(const SettingsDialogView&) = delete;
    ~SettingsDialogView() {
        if (wnd_ != nullptr) {
            ::DestroyWindow(wnd_);
        }
    }

    void RunModal();

  private:
    friend LRESULT CALLBACK WindowThunk<SettingsDialogView>(HWND, UINT, WPARAM, LPARAM) noexcept;
    void Attach(HWND wnd) { wnd_ = wnd; }
    static LRESULT CALLBACK KeyCaptureProc(HWND wnd,
                                           UINT msg,
                                           WPARAM wParam,
                                           LPARAM lParam,
                                           UINT_PTR id,
                                           DWORD_PTR self) noexcept;
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyCapture(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam);

    bool Create();
    void CreateControls();
    void FitLabelWidth(HWND label);
    void CreateTooltips();
    void PlaceCentred();
    int Scale(int v) const { return ::MulDiv(v, dpi_, 96); }
    RECT ScaledRect(const ControlLayout& layout) const;

    void PushModel();
    void PushText(std::size_t index);
    void PushEnabled();
    void PullModel();
    void OnCommand(int id, int code);
    void OnNumberBoxChange(std::size_t index);
    void OnExit(std::size_t index);
    void OnOk();
    void OnPaint();
    LRESULT OnCtlColorStatic(HDC dc, HWND control);

    TControl& Model(std::size_t index) { return form_.*kSettingsControls[index].model; }
    static std::size_t IndexOf(std::string_view name);

    HWND owner_;
    TForm2& form_;
    const bool& terminated_;
    HWND wnd_ = nullptr;
    HWND tooltip_ = nullptr;
    int dpi_ = 96;
    std::array<HWND, kSettingsControls.size()> controls_{};
    UniqueGdi<HFONT> font_;
    UniqueGdi<HBITMAP> banner_;
    bool pushing_ = false;
};

std::size_t SettingsDialogView::IndexOf(std::string_view name) {
    for (std::size_t i = 0; i < kSettingsControls.size(); ++i) {
        if (kSettingsControls[i].name == name) {
            return i;
        }
    }
    return 0;
}

void SettingsDialogView::RunModal() {
    if (!Create()) {
        form_.cmdCancelClick();
        return;
    }
    form_.FormShow();
    PushModel();
    ::ShowWindow(wnd_, SW_SHOW);
    ::SetForegroundWindow(wnd_);
    ::SetFocus(controls_[IndexOf("Edit1")]);

    // Control messages to the engine window keep being dispatched by this loop; the tick
    // is off while it runs.
    MSG msg;
    while (!form_.Closed() && !terminated_) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The application is ending: the run ends as a cancel, and the outer loop must
            // still see the quit request.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) {
            break;
        }
        if (!::IsDialogMessageW(wnd_, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (!form_.Closed()) {
        form_.cmdCancelClick();
    }
}

bool SettingsDialogView::Create() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowThunk<SettingsDialogView>;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    wc.hIcon = static_cast<HICON>(
        ::LoadImageW(instance, L"MAINICON", IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    wc.hIconSm = static_cast<HICON>(
        ::LoadImageW(instance, L"MAINICON", IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    ::RegisterClassExW(&wc);  // fails harmlessly when an earlier run registered it

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);

    // Not resizable, always on top; no WS_CLIPCHILDREN, so the banner is painted under the
    // transparent version label.
    wnd_ = ::CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT, kClassName,
                             Widen(Say(EngineText::DialogCaption, form_.Lang)).c_str(),
                             WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 100, 100, owner_, nullptr,
                             instance, this);
    if (wnd_ == nullptr) {
        return false;
    }
    dpi_ = static_cast<int>(::GetDpiForWindow(wnd_));
    if (dpi_ <= 0) {
        dpi_ = 96;
    }
    const bool japanese = form_.Lang == Language::Japanese;
    font_.Reset(::CreateFontW(-Scale(kDialogFontHeight), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                              japanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                              Widen(DialogFontFace(form_.Lang)).c_str()));
    banner_.Reset(LoadBanner(instance));
    PlaceCentred();
    CreateControls();
    CreateTooltips();
    return true;
}

// Client area 334 x 527 (at 96 DPI), centred on the desktop.
void SettingsDialogView::PlaceCentred() {
    RECT frame{0, 0, Scale(kDialogClientWidth), Scale(kDialogClientHeight)};
    ::AdjustWindowRectExForDpi(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE,
                               WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, static_cast<UINT>(dpi_));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT desk;
    ::GetWindowRect(::GetDesktopWindow(), &desk);
    ::SetWindowPos(wnd_, HWND_TOPMOST, desk.left + (desk.right - desk.left - width) / 2,
                   desk.top + (desk.bottom - desk.top - height) / 2, width, height, SWP_NOACTIVATE);
}

RECT SettingsDialogView::ScaledRect(const ControlLayout& layout) const {
    int x = layout.x;
    int y = layout.y;
    if (layout.inGroup) {
        const ControlLayout& group = kSettingsControls[IndexOf("GroupBox2")];
        x += group.x;
        y += group.y;
    }
    return {Scale(x), Scale(y), Scale(x + layout.width), Scale(y + layout.height)};
}

// Controls are created in tab order, so the Z order gives the order Tab moves through.
void SettingsDialogView::CreateControls() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    for (std::size_t i = 0; i < kSettingsControls.size(); ++i) {
        const ControlLayout& layout = kSettingsControls[i];
        const wchar_t* cls = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD exStyle = 0;
        switch (layout.kind) {
            case ControlKind::Picture:
            case ControlKind::Bevel:
                continue;  // painted by the dialog itself
            case ControlKind::Label:
                style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
                break;
            case ControlKind::GroupBox:
                cls = L"BUTTON";
                style |= BS_GROUPBOX;
                break;
            case ControlKind::Edit:
                cls = L"EDIT";
                exStyle = WS_EX_CLIENTEDGE;
                style |= WS_TABSTOP | ES_AUTOHSCROLL | (layout.name == "Edit4" ? ES_READONLY : 0);
                break;
            case ControlKind::CheckBox:
                cls = L"BUTTON";
                style |= WS_TABSTOP | BS_AUTOCHECKBOX;
                break;
            case ControlKind::Button:
                cls = L"BUTTON";
                style |= WS_TABSTOP | BS_PUSHBUTTON;
                break;
        }
        const RECT r = ScaledRect(layout);
        HWND control = ::CreateWindowExW(
            exStyle, cls, Widen(CaptionOf(layout, form_.Lang)).c_str(), style, r.left, r.top,
            r.right - r.left, r.bottom - r.top, wnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance, nullptr);
        controls_[i] = control;
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        if (layout.kind == ControlKind::Label) {
            FitLabelWidth(control);
        }
        if (layout.kind == ControlKind::Edit && layout.maxLength > 0) {
            // Digits only and no input method: nothing but numbers is typed here.
            ::SendMessageW(control, EM_LIMITTEXT, static_cast<WPARAM>(layout.maxLength), 0);
            ::ImmAssociateContext(control, nullptr);
        }
        if (layout.name == "Edit4") {
            ::SetWindowSubclass(control, &SettingsDialogView::KeyCaptureProc, 1,
                                reinterpret_cast<DWORD_PTR>(this));
        }
    }
}

// Labels size themselves to their text, as the framework's labels do: where Windows
// substitutes a wider face for the dialog's font, the widths laid out for that font would
// cut off the ends of texts ("1.0.3" over the banner, "Disableキー（コード）"). A label
// only ever grows to the right; its place stays.
void SettingsDialogView::FitLabelWidth(HWND label) {
    const std::wstring text = WindowText(label);
    HDC dc = ::GetDC(label);
    if (dc == nullptr) {
        return;
    }
    HGDIOBJ old = ::SelectObject(dc, font_.Get());
    SIZE extent{};
    const BOOL measured =
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(label, dc);
    RECT r{};
    ::GetWindowRect(label, &r);
    if (measured && extent.cx > r.right - r.left) {
        ::SetWindowPos(label, nullptr, 0, 0, extent.cx, r.bottom - r.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void SettingsDialogView::CreateTooltips() {
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, wnd_, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    if (tooltip_ == nullptr) {
        return;
    }
    ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scale(320));
    for (std::size_t i = 0; i < kSettingsControls.size(); ++i) {
        const std::string_view tip = TooltipOf(kSettingsControls[i], form_.Lang);
        if (controls_[i] == nullptr || tip.empty()) {
            continue;
        }
        std::wstring text = Widen(tip);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = wnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(controls_[i]);
        tool.lpszText = text.data();
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void SettingsDialogView::PushModel() {
    for (std::size_t i = 0; i < kSettingsControls.size(); ++i) {
        if (kSettingsControls[i].model == nullptr || controls_[i] == nullptr) {
            continue;
        }
        if (kSettingsControls[i].kind == ControlKind::CheckBox) {
            ::SendMessageW(controls_[i], BM_SETCHECK,
                           Model(i).Checked ? BST_CHECKED : BST_UNCHECKED, 0);
        } else if (kSettingsControls[i].kind == ControlKind::Edit) {
            PushText(i);
        }
    }
    PushEnabled();
}

// Setting a box's text moves its caret; the caret keeps its place among the characters
// that stay, so typing on after a filtered character feels natural.
void SettingsDialogView::PushText(std::size_t index) {
    const std::wstring text = Widen(Model(index).Text);
    if (WindowText(controls_[index]) == text) {
        return;
    }
    DWORD caret = 0;
    ::SendMessageW(controls_[index], EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    pushing_ = true;
    ::SetWindowTextW(controls_[index], text.c_str());
    pushing_ = false;
    const auto pos = static_cast<WPARAM>(std::min<std::size_t>(caret, text.size()));
    ::SendMessageW(controls_[index], EM_SETSEL, pos, static_cast<LPARAM>(pos));
}

void SettingsDialogView::PushEnabled() {
    for (std::size_t i = 0; i < kSettingsControls.size(); ++i) {
        if (kSettingsControls[i].model != nullptr && controls_[i] != nullptr) {
            ::EnableWindow(controls_[i], Model(i).Enabled ? TRUE : FALSE);
        }
    }
}

void SettingsDialogView::PullModel() {
    for (std::size_t i = 0; i < kSettingsControls.size(); ++i) {
        if (kSettingsControls[i].model == nullptr || controls_[i] == nullptr) {
            continue;
        }
        if (kSettingsControls[i].kind == ControlKind::CheckBox) {
            Model(i).Checked = ::SendMessageW(controls_[i], BM_GETCHECK, 0, 0) == BST_CHECKED;
        } else if (kSettingsControls[i].kind == ControlKind::Edit) {
            Model(i).Text = Narrow(WindowText(controls_[i]));
        }
    }
}

void SettingsDialogView::OnCommand(int id, int code) {
    const int index = id - kFirstControlId;
    if (index < 0 || index >= static_cast<int>(kSettingsControls.size())) {
        return;  // Enter and Esc arrive as IDOK and IDCANCEL: neither button is bound to them
    }
    const auto i = static_cast<std::size_t>(index);
    const ControlLayout& layout = kSettingsControls[i];
    if (layout.kind == ControlKind::Edit && layout.model != nullptr &&
        form_.IsNumberBox(Model(i))) {
        if (code == EN_CHANGE && !pushing_) {
            OnNumberBoxChange(i);
        } else if (code == EN_KILLFOCUS) {
            OnExit(i);
        }
        return;
    }
    if (code != BN_CLICKED) {
        return;
    }
    if (layout.name == "cmdOK") {
        OnOk();
    } else if (layout.name == "cmdCancel") {
        form_.cmdCancelClick();
    } else if (layout.kind == ControlKind::CheckBox) {
        PullModel();
        static constexpr std::string_view kLeaveOptionBoxes[] = {
            "CheckBox3", "CheckBox4", "CheckBox5", "CheckBox6", "CheckBox7"};
        for (std::string_view name : kLeaveOptionBoxes) {
            if (layout.name == name) {
                form_.CheckBox3Click();
                PushEnabled();
            }
        }
    }
}

void SettingsDialogView::OnNumberBoxChange(std::size_t index) {
    Model(index).Text = Narrow(WindowText(controls_[index]));
    form_.Edit1Change(Model(index));
    PushText(index);
}

void SettingsDialogView::OnExit(std::size_t index) {
    Model(index).Text = Narrow(WindowText(controls_[index]));
    const std::string_view name = kSettingsControls[index].name;
    if (name == "Edit1") {
        form_.Edit1Exit();
    } else if (name == "Edit2") {
        form_.Edit2Exit();
    } else if (name == "Edit3") {
        form_.Edit3Exit();
    } else if (name == "Edit5") {
        form_.Edit5Exit();
    } else if (name == "Edit6") {
        form_.Edit6Exit();
    }
    PushText(index);
}

// A conversion error ends the click in the framework's error box; the dialog stays open.
void SettingsDialogView::OnOk() {
    PullModel();
    try {
        form_.cmdOKClick();
    } catch (const std::exception& e) {
        ::MessageBoxW(wnd_, (Widen(e.what()) + L".").c_str(),
                      Widen(Say(EngineText::ApplicationTitle, form_.Lang)).c_str(),
                      MB_OK | MB_ICONERROR);
    }
}

// The banner is drawn unscaled from Image1's top-left corner; its bottom rows fall outside
// the 121-pixel-high area and are cut off. The bevel frames it.
void SettingsDialogView::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(wnd_, &ps);
    const RECT area = ScaledRect(kSettingsControls[IndexOf("Image1")]);
    if (banner_.Get() != nullptr) {
        BITMAP bm{};
        ::GetObjectW(banner_.Get(), sizeof bm, &bm);
        HDC mem = ::CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(mem, banner_.Get());
        const int srcW = std::min<int>(bm.bmWidth, ::MulDiv(area.right - area.left, 96, dpi_));
        const int srcH = std::min<int>(bm.bmHeight, ::MulDiv(area.bottom - area.top, 96, dpi_));
        ::SetStretchBltMode(dc, HALFTONE);
        ::StretchBlt(dc, area.left, area.top, Scale(srcW), Scale(srcH), mem, 0, 0, srcW, srcH,
                     SRCCOPY);
        ::SelectObject(mem, old);
        ::DeleteDC(mem);
    }
    RECT frame = area;
    ::DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
    ::EndPaint(wnd_, &ps);
}

LRESULT SettingsDialogView::OnCtlColorStatic(HDC dc, HWND control) {
    if (control == controls_[IndexOf("Label17")]) {
        ::SetTextColor(dc, kVersionColor);
        ::SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    }
    if (control == controls_[IndexOf("Edit4")]) {
        // Read-only, but it is an input box like the others.
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    }
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT SettingsDialogView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CLOSE:
            // The close box and Alt+F4 cancel.
            form_.cmdCancelClick();
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_NCDESTROY: {
            HWND wnd = wnd_;
            ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
            wnd_ = nullptr;
            return ::DefWindowProcW(wnd, msg, wParam, lParam);
        }
        default:
            return ::DefWindowProcW(wnd_, msg, wParam, lParam);
    }
}

LRESULT CALLBACK SettingsDialogView::KeyCaptureProc(HWND wnd,
                                                    UINT msg,
                                                    WPARAM wParam,
                                                    LPARAM lParam,
                                                    UINT_PTR,
                                                    DWORD_PTR self) noexcept {
    try {
        return reinterpret_cast<SettingsDialogView*>(self)->OnKeyCapture(wnd, msg, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

// Edit4 takes every key but Tab: the key's code becomes the box's text and the key goes no
// further (nor does the character it would type).
LRESULT SettingsDialogView::OnKeyCapture(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_GETDLGCODE:
            if (lParam != 0 && reinterpret_cast<MSG*>(lParam)->wParam == VK_TAB) {
                break;
            }
            return ::DefSubclassProc(edit, msg, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            if (wParam == VK_TAB) {
                break;
            }
            auto key = static_cast<std::uint16_t>(wParam);
            std::uint8_t shift = 0;
            form_.Edit4KeyDown(key, shift);
            PushText(IndexOf("Edit4"));
            if (key == 0) {
                return 0;
            }
            break;
        }
        case WM_CHAR:
        case WM_SYSCHAR:
            if (wParam != L'\t') {
                return 0;
            }
            break;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(edit, &SettingsDialogView::KeyCaptureProc, 1);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(edit, msg, wParam, lParam);
}

}  // namespace

void RunSettingsDialogModal(HWND owner, TForm2& dialog, const bool& terminated) {
    SettingsDialogView view(owner, dialog, terminated);
    view.RunModal();
}

}  // namespace popyo
