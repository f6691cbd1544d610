#include "frontends/tray/WinEventHooks_win.h"

#include <utility>

#include "frontends/tray/WindowWatch.h"

namespace popyo::tray {
namespace {

static_assert(kEventSystemForeground == EVENT_SYSTEM_FOREGROUND);
static_assert(kEventObjectCreate == EVENT_OBJECT_CREATE);
static_assert(kEventObjectDestroy == EVENT_OBJECT_DESTROY);
static_assert(kEventObjectShow == EVENT_OBJECT_SHOW);
static_assert(kEventObjectNameChange == EVENT_OBJECT_NAMECHANGE);
static_assert(kObjectWindow == OBJID_WINDOW);
static_assert(kChildSelf == CHILDID_SELF);

// The callback carries no context: the one set of hooks of the process is found here.
WinEventHooks* g_hooks = nullptr;

// Ranges, not one wide hook: between them lie events sent many times a second (every move
// of every window, the caret, the cursor), which would wake the tray for nothing.
constexpr std::pair<DWORD, DWORD> kRanges[] = {
    {EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND},
    {EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW},
    {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE},
};

}  // namespace

WinEventHooks::WinEventHooks(Handler handler) : handler_(std::move(handler)) {
    g_hooks = this;
    for (const auto& [first, last] : kRanges) {
        if (HWINEVENTHOOK hook =
                ::SetWinEventHook(first, last, nullptr, &WinEventHooks::Callback, 0, 0,
                                  WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS)) {
            hooks_.push_back(hook);
        }
    }
}

WinEventHooks::~WinEventHooks() {
    for (HWINEVENTHOOK hook : hooks_) {
        ::UnhookWinEvent(hook);
    }
    g_hooks = nullptr;
}

void CALLBACK WinEventHooks::Callback(HWINEVENTHOOK,
                                      DWORD event,
                                      HWND wnd,
                                      LONG object,
                                      LONG child,
                                      DWORD,
                                      DWORD) {
    if (g_hooks != nullptr && wnd != nullptr) {
        try {
            g_hooks->handler_(event, wnd, object, child);
        } catch (...) {
            // Nothing unwinds through the system's call; the scan catches up.
        }
    }
}

}  // namespace popyo::tray
