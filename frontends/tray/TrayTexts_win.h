// The tray's texts as the Windows side shows them: UTF-16, filled in with UTF-16 values.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "frontends/tray/TrayTexts.h"
#include "platform/Win32Util_win.h"

namespace popyo::tray {

inline std::wstring SayW(TrayText id,
                         Language language,
                         std::initializer_list<std::wstring> values = {}) {
    std::vector<std::string> narrow;
    for (const std::wstring& value : values) {
        narrow.push_back(Narrow(value));
    }
    return Widen(Say(id, language, narrow));
}

}  // namespace popyo::tray
