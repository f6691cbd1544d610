// Notices: a message box with the tray's name as caption. Each runs on a thread of its own,
// so that an open notice never holds up the hotkeys, the engine watch or the rules reload.
#pragma once

#include <string>

namespace popyo::tray {

inline constexpr wchar_t kNoticeCaption[] = L"PopyonnTray";

void ShowNotice(std::wstring text);

// For the last word before the tray ends: waits until the user has read it.
void ShowNoticeAndWait(const std::wstring& text);

}  // namespace popyo::tray
