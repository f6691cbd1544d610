// The control messages front-ends send to the engine window. Each handler is thin: it
// calls one registry or window operation, records a request for the next tick, or opens
// the settings dialog.
#include "engine/EngineTexts.h"
#include "engine/frmPopyonnEngine.h"

#include <iterator>

namespace popyo {

namespace {

using Handler = std::int32_t (TformPopyonnEngine::*)(std::uint32_t, std::uint32_t);

struct Route {
    std::uint32_t msg;
    Handler handler;
};

constexpr Route kRoutes[] = {
    {EM_SETTINGS, &TformPopyonnEngine::EMSettings},
    {EM_ATTACH, &TformPopyonnEngine::EMAttach},
    {EM_DETACH, &TformPopyonnEngine::EMDetach},
    {EM_REGISTER, &TformPopyonnEngine::EMRegister},
    {EM_SETOWNER, &TformPopyonnEngine::EMSetOwner},
    {EM_SETHOME, &TformPopyonnEngine::EMSetHome},
    {EM_POP, &TformPopyonnEngine::EMPop},
    {EM_HIDE, &TformPopyonnEngine::EMHide},
    {EM_PIN, &TformPopyonnEngine::EMPin},
    {EM_UNPIN, &TformPopyonnEngine::EMUnpin},
    {EM_GETSTATUS, &TformPopyonnEngine::EMGetStatus},
    {EM_GETEDGE, &TformPopyonnEngine::EMGetEdge},
    {EM_CLASSIFY, &TformPopyonnEngine::EMClassify},
    {EM_GETPINNED, &TformPopyonnEngine::EMGetPinned},
    {EM_GETHOME, &TformPopyonnEngine::EMGetHome},
    {EM_SETOPTION, &TformPopyonnEngine::EMSetOption},
    {EM_GETOPTION, &TformPopyonnEngine::EMGetOption},
    {EM_SETMONITOR, &TformPopyonnEngine::EMSetMonitor},
};

// The engine handles exactly the protocol's messages, in the protocol's order: the control
// messages, then the extensions.
constexpr bool RoutesFollowTheProtocol() {
    constexpr std::size_t controls = std::size(kControlMessages);
    if (std::size(kRoutes) != controls + std::size(kExtensionMessages)) {
        return false;
    }
    for (std::size_t i = 0; i < std::size(kRoutes); ++i) {
        const std::uint32_t expected = i < controls
                                           ? std::uint32_t{kControlMessages[i]}
                                           : std::uint32_t{kExtensionMessages[i - controls]};
        if (kRoutes[i].msg != expected) {
            return false;
        }
    }
    return true;
}
static_assert(RoutesFollowTheProtocol());

std::uint8_t LowByte(std::uint32_t v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}

constexpr std::int32_t kQueryMask = 0x7F;

}  // namespace

std::optional<std::int32_t> TformPopyonnEngine::Dispatch(std::uint32_t msg,
                                                         std::uint32_t wParam,
                                                         std::uint32_t lParam) {
    for (const Route& route : kRoutes) {
        if (route.msg == msg) {
            return (this->*route.handler)(wParam, lParam);
        }
    }
    return std::nullopt;
}

std::int32_t TformPopyonnEngine::EMSettings(std::uint32_t, std::uint32_t) {
    ShowSettings();
    return 0;
}

std::int32_t TformPopyonnEngine::EMAttach(std::uint32_t wParam, std::uint32_t lParam) {
    AttachFrontEnd(wParam, static_cast<std::int32_t>(lParam));
    return 1;
}

std::int32_t TformPopyonnEngine::EMDetach(std::uint32_t wParam, std::uint32_t) {
    DetachFrontEnd(wParam);
    return 0;
}

std::int32_t TformPopyonnEngine::EMRegister(std::uint32_t wParam, std::uint32_t lParam) {
    if (wParam == 0) {
        return 0;
    }
    const std::uint8_t edge = LowByte(lParam);
    if (edge == edNone) {
        UnregisterWindow(wParam);
    } else {
        RegisterWindow(wParam, edge);
    }
    return 0;
}

std::int32_t TformPopyonnEngine::EMSetOwner(std::uint32_t wParam, std::uint32_t lParam) {
    const int k = IndexOfFrontEnd(lParam);
    if (k < 0) {
        return 0;
    }
    if (const int i = IndexOfWindow(wParam); i >= 0) {
        Slot(i).Owner = FrontEnds[static_cast<std::size_t>(k)];
    }
    return 0;
}

std::int32_t TformPopyonnEngine::EMSetHome(std::uint32_t wParam, std::uint32_t lParam) {
    if (const int i = IndexOfWindow(wParam); i >= 0) {
        Slot(i).ToHome = LowByte(lParam);
    }
    return 0;
}

// An edge is served by the next tick; a second request before it replaces the first.
// Edges beyond the four sides are ignored.
std::int32_t TformPopyonnEngine::EMPop(std::uint32_t, std::uint32_t lParam) {
    const std::uint8_t edge = LowByte(lParam);
    if (edge == edNone) {
        HideAll();
    } else if (IsEdge(edge)) {
        PendingEdge = edge;
    }
    return 0;
}

// Unlike a hide the engine starts itself, this keeps the window's home as it is.
std::int32_t TformPopyonnEngine::EMHide(std::uint32_t wParam, std::uint32_t) {
    if (const int i = IndexOfWindow(wParam); i >= 0) {
        Slot(i).StartHide();
    }
    return 0;
}

std::int32_t TformPopyonnEngine::EMPin(std::uint32_t wParam, std::uint32_t) {
    PinWindow(wParam);
    return 0;
}

std::int32_t TformPopyonnEngine::EMUnpin(std::uint32_t wParam, std::uint32_t) {
    UnpinWindow(wParam);
    return 0;
}

std::int32_t TformPopyonnEngine::EMGetStatus(std::uint32_t wParam, std::uint32_t) {
    return GetWindowStatus(wParam) & kQueryMask;
}

std::int32_t TformPopyonnEngine::EMGetEdge(std::uint32_t wParam, std::uint32_t) {
    return GetWindowEdge(wParam) & kQueryMask;
}

std::int32_t TformPopyonnEngine::EMClassify(std::uint32_t wParam, std::uint32_t lParam) {
    return ClassifyWindow(wParam, lParam) & kQueryMask;
}

std::int32_t TformPopyonnEngine::EMGetPinned(std::uint32_t wParam, std::uint32_t) {
    const int i = IndexOfWindow(wParam);
    return (i >= 0 && Slot(i).Pinned) ? 1 : 0;
}

std::int32_t TformPopyonnEngine::EMGetHome(std::uint32_t wParam, std::uint32_t) {
    const int i = IndexOfWindow(wParam);
    return i < 0 ? -1 : Slot(i).ToHome;
}

// -1 cannot be a value of any option, so it tells the sender plainly that nothing changed.
std::int32_t TformPopyonnEngine::EMSetOption(std::uint32_t wParam, std::uint32_t lParam) {
    const auto previous = Wide.Options.Set(wParam, static_cast<std::int32_t>(lParam));
    if (previous && wParam == opLanguage) {
        ws_.SetApplicationTitle(Say(EngineText::ApplicationTitle, CurrentLanguage()));
    }
    return previous.value_or(-1);
}

std::int32_t TformPopyonnEngine::EMGetOption(std::uint32_t wParam, std::uint32_t) {
    return Wide.Options.Get(wParam).value_or(-1);
}

}  // namespace popyo
