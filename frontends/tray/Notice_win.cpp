#include "frontends/tray/Notice_win.h"

#include <windows.h>

#include <memory>

namespace popyo::tray {
namespace {

constexpr UINT kStyle = MB_OK | MB_ICONWARNING | MB_SETFOREGROUND;

DWORD WINAPI NoticeThread(void* param) {
    const std::unique_ptr<std::wstring> text(static_cast<std::wstring*>(param));
    ::MessageBoxW(nullptr, text->c_str(), kNoticeCaption, kStyle);
    return 0;
}

}  // namespace

void ShowNotice(std::wstring text) {
    auto owned = std::make_unique<std::wstring>(std::move(text));
    HANDLE thread = ::CreateThread(nullptr, 0, NoticeThread, owned.get(), 0, nullptr);
    if (thread == nullptr) {
        // Better late than never: the box then waits on this thread.
        ::MessageBoxW(nullptr, owned->c_str(), kNoticeCaption, kStyle);
        return;
    }
    owned.release();
    ::CloseHandle(thread);
}

void ShowNoticeAndWait(const std::wstring& text) {
    ::MessageBoxW(nullptr, text.c_str(), kNoticeCaption, kStyle);
}

}  // namespace popyo::tray
