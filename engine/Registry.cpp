// The registries: registered windows (RegWins) and attached front-ends (FrontEnds).
#include "engine/frmPopyonnEngine.h"

namespace popyo {

// An edge outside 1..4 is refused: the slot's edge indexes LastPopIndex, and only the four
// sides of the desktop mean anything.
void TformPopyonnEngine::RegisterWindow(Hwnd wnd, std::uint8_t edge) {
    if (IsShellWindow(wnd) || !IsEdge(edge)) {
        return;
    }
    int i = IndexOfWindow(wnd);
    if (i >= 0 && Slot(i).Status != rsShown) {
        // A hidden or sliding window goes home first; the same slot is filled again below.
        ReleaseWindow(i);
        // Unless another front-end's messages, handled while the release waited on the
        // window, released it and registered it anew: then that slot holds it, and this one
        // stays free, so that no window is ever held by two slots.
        if (const int again = IndexOfWindow(wnd); again >= 0) {
            i = again;
        }
    }
    const auto rect = ws_.GetWindowRect(wnd);
    if (!rect) {
        return;
    }
    LastStyle = ws_.GetWindowLongA(wnd, kGwlStyle);
    if ((LastStyle & kWsMinimize) != 0) {
        return;
    }
    if (!monitorsRead_) {
        ReadMonitors();
    }
    const bool isNew = i < 0;
    if (isNew) {
        RegWins.push_back(std::make_unique<Tregwin>(wnd, ws_, Wide));
        i = SlotCount() - 1;
    }
    Tregwin& slot = Slot(i);
    slot.Wnd = wnd;
    slot.Edge = static_cast<Edge>(edge);
    slot.OffCount = 0;
    slot.Unpin();
    slot.WasActive = true;
    slot.MouseWasOut = false;
    slot.Monitor = MonitorFor(Wide.Monitors, *rect);
    if ((LastStyle & kWsMaximize) != 0) {
        slot.Style = kWsMaximize;
    }
    // A re-registered window keeps the home of its first registration.
    if (isNew) {
        slot.HomeRect = *rect;
        slot.ToHome = ChangePopyonStyle ? 1 : 0;
        slot.HomeX = rect->Left;
        slot.HomeY = rect->Top;
    }
}

void TformPopyonnEngine::UnregisterWindow(Hwnd wnd) {
    if (const int i = IndexOfWindow(wnd); i >= 0) {
        ReleaseWindow(i);
    }
}

int TformPopyonnEngine::IndexOfWindow(Hwnd wnd) const {
    for (int i = 0; i < SlotCount(); ++i) {
        if (Slot(i).Wnd == wnd) {
            return i;
        }
    }
    return -1;
}

// Puts the slot's window back to normal and frees the slot. A freed slot names no window,
// so releasing it again has no effect.
void TformPopyonnEngine::ReleaseWindow(int index) {
    Tregwin& slot = Slot(index);
    if (slot.Wnd != 0) {
        ws_.SetWindowPos(slot.Wnd, kHwndNoTopmost, 0, 0, kSwpNoMove | kSwpNoSize);
        LastStyle = ws_.GetWindowLongA(slot.Wnd, kGwlStyle);
        if ((LastStyle & kWsMaximize) != 0) {
            // Maximized now: only its frame may hang over the screen's top-left corner.
            const std::int32_t frame = ws_.GetSystemMetrics(kSmCxFrame);
            ws_.SetWindowPos(slot.Wnd, kHwndTop, Sub(0, frame), Sub(0, frame),
                             kSwpNoSize | kSwpNoActivate);
        } else if ((slot.Style & kWsMaximize) != 0) {
            ws_.ShowWindow(slot.Wnd, kSwShowMaximized);
        } else {
            ws_.ShowWindow(slot.Wnd, kSwRestore);
            // A window minimized from maximized comes back maximized; moved to its home it
            // would hang over the screen's right and bottom, so it stays as it came back.
            if ((ws_.GetWindowLongA(slot.Wnd, kGwlStyle) & kWsMaximize) == 0) {
                const TPoint home = HomeOnDesktop(slot.Wnd, slot.HomeRect);
                ws_.SetWindowPos(slot.Wnd, kHwndTop, home.X, home.Y, kSwpNoSize | kSwpNoActivate);
            }
        }
    }
    slot.Wnd = 0;
    slot.Edge = edNone;
}

// The home as recorded, unless the desktop has shrunk away from it since (a monitor
// unplugged, a lower resolution): a window put back where nothing shows it would be lost, so
// one that no monitor would show at its home moves onto the nearest monitor by the least
// distance. The window keeps the size it has now; a home near the end of the coordinate range
// that cannot hold that size counts as shown nowhere.
TPoint TformPopyonnEngine::HomeOnDesktop(Hwnd wnd, const TRect& home) {
    const TRect now = ws_.GetWindowRect(wnd).value_or(home);
    const TPoint origin{home.Left, home.Top};
    const std::int32_t width = Width(now);
    const std::int32_t height = Height(now);
    const TRect placed{origin.X, origin.Y, Add(origin.X, width), Add(origin.Y, height)};
    const bool fitsThere = Width(placed) == width && Height(placed) == height;
    if (const MonitorList monitors = ws_.GetMonitors(); monitors.Count() >= 2) {
        if (fitsThere && OnAnyMonitor(monitors, placed)) {
            return origin;
        }
        return PlaceWithin(origin, width, height, MonitorFor(monitors, placed));
    }
    const TRect desk = ws_.GetWindowRect(DesktopWnd).value_or(Wide.DeskRect);
    if (HasNoArea(desk) || width <= 0 || height <= 0 || (fitsThere && Intersects(placed, desk))) {
        return origin;
    }
    return PlaceWithin(origin, width, height, desk);
}

void TformPopyonnEngine::ReleaseOwnedWindows(Hwnd frontEnd) {
    for (int i = 0; i < SlotCount(); ++i) {
        if (Slot(i).Owner == frontEnd) {
            ReleaseWindow(i);
        }
    }
}

// A window that is not registered is treated as a plain window: it is only made topmost.
void TformPopyonnEngine::PinWindow(Hwnd wnd) {
    if (IsShellWindow(wnd)) {
        return;
    }
    const int i = IndexOfWindow(wnd);
    if (i < 0) {
        ws_.SetWindowPos(wnd, kHwndTopmost, 0, 0, kSwpNoMove | kSwpNoSize);
    } else if (Slot(i).Status == rsShown) {
        Slot(i).Pin();
    }
}

void TformPopyonnEngine::UnpinWindow(Hwnd wnd) {
    if (IsShellWindow(wnd)) {
        return;
    }
    const int i = IndexOfWindow(wnd);
    if (i < 0) {
        ws_.SetWindowPos(wnd, kHwndNoTopmost, 0, 0, kSwpNoMove | kSwpNoSize);
    } else {
        Slot(i).Unpin();
    }
}

// Only a Main of exactly 1 asks to be the main front-end; there is at most one.
void TformPopyonnEngine::AttachFrontEnd(Hwnd frontEnd, std::int32_t main) {
    if (IndexOfFrontEnd(frontEnd) >= 0) {
        return;
    }
    if (main == 1) {
        if (MainFrontEnd >= 0) {
            return;
        }
        MainFrontEnd = static_cast<std::int32_t>(FrontEnds.size());
    }
    FrontEnds.push_back(frontEnd);
}

// Any detach of an attached front-end ends the engine, also while others are attached:
// the close puts the windows of every front-end back.
void TformPopyonnEngine::DetachFrontEnd(Hwnd frontEnd) {
    if (IndexOfFrontEnd(frontEnd) < 0) {
        return;
    }
    ReleaseOwnedWindows(frontEnd);
    // The release waits on other programs' windows, and messages handled meanwhile (this
    // very detach sent again, say) may have changed the list: the entry is looked up anew.
    if (const int k = IndexOfFrontEnd(frontEnd); k >= 0) {
        FrontEnds.erase(FrontEnds.begin() + k);
        if (k == MainFrontEnd) {
            MainFrontEnd = -1;
        }
    }
    if (FrontEnds.empty()) {
        for (int i = 0; i < SlotCount(); ++i) {
            ReleaseWindow(i);
        }
    }
    Close();
}

int TformPopyonnEngine::IndexOfFrontEnd(Hwnd wnd) const {
    for (std::size_t k = 0; k < FrontEnds.size(); ++k) {
        if (FrontEnds[k] == wnd) {
            return static_cast<int>(k);
        }
    }
    return -1;
}

std::uint8_t TformPopyonnEngine::GetWindowStatus(Hwnd wnd) const {
    const int i = IndexOfWindow(wnd);
    return i < 0 ? 0 : Slot(i).Status;
}

std::uint8_t TformPopyonnEngine::GetWindowEdge(Hwnd wnd) const {
    const int i = IndexOfWindow(wnd);
    return i < 0 ? 0 : Slot(i).Edge;
}

// Drops the freed slots, keeping the order of the others. Every LastPopIndex entry at or
// past a dropped slot's old position moves down with the slots behind it; an entry may end
// up negative or past the end, which PopEdge tolerates.
void TformPopyonnEngine::CompactList() {
    std::size_t p = 0;
    for (std::size_t walk = 0; walk < RegWins.size(); ++walk) {
        if (RegWins[walk]->Edge != edNone) {
            if (walk != p) {
                RegWins[p] = std::move(RegWins[walk]);
            }
            ++p;
            continue;
        }
        RegWins[walk].reset();
        for (std::int32_t& entry : LastPopIndex) {
            if (entry >= static_cast<std::int32_t>(walk)) {
                --entry;
            }
        }
    }
    RegWins.resize(p);
}

WindowClass TformPopyonnEngine::ClassifyWindow(Hwnd wnd, Hwnd owner) const {
    const int i = IndexOfWindow(wnd);
    const bool registered = i >= 0;
    const bool frontEnd = IndexOfFrontEnd(wnd) >= 0;
    const bool ownerMatches = owner == 0 || (registered && Slot(i).Owner == owner);
    const bool handleMatches = owner == 0 || wnd == owner;
    if (registered && frontEnd) {
        return ownerMatches && handleMatches ? wcFrontEndWindow : wcOtherFrontEndWindow;
    }
    if (registered) {
        return ownerMatches ? wcOwnedWindow : wcOtherOwnersWindow;
    }
    if (frontEnd) {
        return handleMatches ? wcFrontEnd : wcOtherFrontEnd;
    }
    return wcUnknown;
}

bool TformPopyonnEngine::IsShellWindow(Hwnd wnd) const {
    return wnd == DesktopWnd || wnd == TrayWnd;
}

}  // namespace popyo
