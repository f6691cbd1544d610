// Wire protocol of the engine: what a front-end needs to find and drive it.
// This header stands alone so that a front-end can include it without the engine.
#pragma once

#include <cstdint>
#include <string_view>

namespace popyo {

// Identity of the engine window, as FindWindowA looks it up.
inline constexpr char kEngineClassName[] = "TformPopyonnEngine";
inline constexpr char kEngineWindowTitle[] = "QovPopyonEngineWindowServer";

// Control messages. WParam carries a window handle as a 32-bit value; the result is 32-bit.
enum ControlMessage : std::uint32_t {
    EM_SETTINGS = 0x8000,   // open the settings dialog; returns when it closes
    EM_ATTACH = 0x8040,     // WParam front-end handle, LParam 1 = main; answers 1
    EM_DETACH = 0x8041,     // WParam front-end handle; puts every window back and ends the engine
    EM_REGISTER = 0x8080,   // WParam window, LParam low byte: edge 1..4, or 0 to release
    EM_SETOWNER = 0x8081,   // WParam window, LParam front-end handle
    EM_SETHOME = 0x8088,    // WParam window, LParam low byte: 0 slide to the edge, 1 to home
    EM_POP = 0x8100,        // LParam low byte: edge to pop, or 0 to hide every window
    EM_HIDE = 0x8101,       // WParam window
    EM_PIN = 0x8180,        // WParam window
    EM_UNPIN = 0x8181,      // WParam window
    EM_GETSTATUS = 0x8200,  // WParam window; answers a Status, 0 when not registered
    EM_GETEDGE = 0x8201,    // WParam window; answers an Edge, 0 when not registered
    EM_CLASSIFY = 0x8202,   // WParam window, LParam front-end or 0; answers a WindowClass
    EM_GETPINNED = 0x8203,  // WParam window; answers 1 when registered and pinned
    EM_GETHOME = 0x8204,    // WParam window; answers ToHome, -1 when not registered
};

inline constexpr std::uint32_t kFirstControlMessage = 0x8000;
inline constexpr std::uint32_t kLastControlMessage = 0x8204;

// Every control message the engine handles; the other numbers of the range have no handler.
inline constexpr ControlMessage kControlMessages[] = {
    EM_SETTINGS,  EM_ATTACH,  EM_DETACH,   EM_REGISTER,  EM_SETOWNER,
    EM_SETHOME,   EM_POP,     EM_HIDE,     EM_PIN,       EM_UNPIN,
    EM_GETSTATUS, EM_GETEDGE, EM_CLASSIFY, EM_GETPINNED, EM_GETHOME,
};

// Extensions beyond the range above. Options change what the engine does on today's
// desktops; a bare engine starts with each at its `bare` value below, keeps them until it
// ends and never saves them, so a front-end sets them again after every attach.
enum ExtensionMessage : std::uint32_t {
    EM_SETOPTION = 0x8300,  // WParam option id, LParam value; answers the previous value, or
                            // -1 (and changes nothing) for an unknown id or a value out of range
    EM_GETOPTION = 0x8301,  // WParam option id; answers the value, -1 for an unknown id
    // WParam window, LParam a point (x in the low word, y in the high word, both signed):
    // the window belongs to the monitor that holds the point from now on, and a tucked one
    // waits beyond that monitor's side. Answers 1, or 0 when the window is not registered.
    EM_SETMONITOR = 0x8302,
};

inline constexpr std::uint32_t kFirstExtensionMessage = 0x8300;
inline constexpr std::uint32_t kLastExtensionMessage = 0x8302;

inline constexpr ExtensionMessage kExtensionMessages[] = {EM_SETOPTION, EM_GETOPTION,
                                                          EM_SETMONITOR};

// Every number that reaches the engine's handlers; the others get the default handling.
constexpr bool IsEngineMessage(std::uint32_t msg) {
    return (msg >= kFirstControlMessage && msg <= kLastControlMessage) ||
           (msg >= kFirstExtensionMessage && msg <= kLastExtensionMessage);
}

// EM_SETMONITOR's LParam for a point of the screen.
constexpr std::uint32_t PointParam(std::int32_t x, std::int32_t y) {
    return (static_cast<std::uint32_t>(y) & 0xFFFF) << 16 |
           (static_cast<std::uint32_t>(x) & 0xFFFF);
}

enum EngineOption : std::uint32_t {
    opSkipCloaked = 1,          // a cloaked window (another virtual desktop) is never popped
    opQuietOverFullscreen = 2,  // a push pops nothing over a full-screen program in front
    opAlignVisibleFrame = 3,    // the visible frame, not the invisible borders, meets the edge
    opSlideFrames = 4,          // moves per tick while a window slides: frames between ticks
    opLanguage = 5,             // 0 as Windows speaks, 1 English, 2 Japanese
};

struct OptionInfo {
    EngineOption id;
    std::string_view name;  // as popyctl and the rules file's [engine] table spell it
    std::int32_t min;
    std::int32_t max;
    std::int32_t bare;  // the value of an engine no front-end has told otherwise
};

inline constexpr OptionInfo kEngineOptions[] = {
    {opSkipCloaked, "skip_cloaked", 0, 1, 1},
    {opQuietOverFullscreen, "quiet_over_fullscreen", 0, 1, 0},
    {opAlignVisibleFrame, "align_visible_frame", 0, 1, 0},
    {opSlideFrames, "slide_frames", 1, 8, 1},
    {opLanguage, "language", 0, 2, 0},
};

constexpr const OptionInfo* FindOption(std::uint32_t id) {
    for (const OptionInfo& o : kEngineOptions) {
        if (o.id == id) {
            return &o;
        }
    }
    return nullptr;
}

constexpr const OptionInfo* FindOption(std::string_view name) {
    for (const OptionInfo& o : kEngineOptions) {
        if (o.name == name) {
            return &o;
        }
    }
    return nullptr;
}

// Screen edges. The order is left, top, bottom, right: bottom is 3 and right is 4.
enum Edge : std::uint8_t { edNone = 0, edLeft = 1, edTop = 2, edBottom = 3, edRight = 4 };

// Only these four values name a side of the desktop.
constexpr bool IsEdge(std::uint32_t edge) {
    return edge >= edLeft && edge <= edRight;
}

// States of a registered window.
enum Status : std::uint8_t {
    rsNone = 0,
    rsHiding = 1,
    rsLeaving = 2,
    rsShowing = 3,
    rsHidden = 4,
    rsShown = 5,
    rsMinimized = 6,
};

// Answers of EM_CLASSIFY: how a handle relates to the registered windows (R) and the
// attached front-ends (F), given an owner front-end (0 = none given).
enum WindowClass : std::uint8_t {
    wcUnknown = 0,             // neither R nor F
    wcOwnedWindow = 1,         // R, owner matches
    wcOtherOwnersWindow = 2,   // R, owner differs
    wcFrontEnd = 3,            // F, handle matches
    wcOtherFrontEnd = 4,       // F, handle differs
    wcFrontEndWindow = 5,      // R and F, owner and handle match
    wcOtherFrontEndWindow = 6  // R and F, otherwise
};

}  // namespace popyo
