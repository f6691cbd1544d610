// When the tray looks at windows and at its rules file, so that it wakes only when something
// may have changed: the window an event names, a new window again shortly after it was
// created, the whole desktop now and then for what no event told, the rules file once a save
// has settled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Geometry.h"

namespace popyo::tray {

// The window events the tray hooks (their numbers as the system gives them).
inline constexpr std::uint32_t kEventSystemForeground = 0x0003;
inline constexpr std::uint32_t kEventObjectCreate = 0x8000;
inline constexpr std::uint32_t kEventObjectDestroy = 0x8001;
inline constexpr std::uint32_t kEventObjectShow = 0x8002;
inline constexpr std::uint32_t kEventObjectNameChange = 0x800C;
inline constexpr std::int32_t kObjectWindow = 0;
inline constexpr std::int32_t kChildSelf = 0;

enum class WindowEvent { None, Created, Changed, Destroyed, Foreground };
WindowEvent ClassifyEvent(std::uint32_t event, std::int32_t object, std::int32_t child);

// Milliseconds on a steady clock.
using Ms = std::uint64_t;

// What a look at a window found.
struct Seen {
    bool exists = false;
    bool shown = false;  // visible and not minimized
    bool titled = false;
};

class WindowWatch {
  public:
    // The looks at a created window, in ms after its creation.
    static constexpr Ms kFollowUpMs[] = {50, 150, 300, 500, 750, 1000, 1500, 2000};
    static constexpr Ms kScanMs = 4000;
    static constexpr Ms kRulesSettleMs = 150;
    // The tick reads the foreground, often enough that the window the user worked in last
    // is known when the icon is clicked (which makes the taskbar the foreground), until the
    // system is seen to report foreground changes (Wine does not); then it only keeps the
    // scan's time.
    static constexpr Ms kTickMs = 250;
    static constexpr Ms kQuietTickMs = 1000;
    // Beyond this many windows still followed, the oldest is left to the scan.
    static constexpr std::size_t kMaxFollowed = 256;

    explicit WindowWatch(Ms now) : nextScan_(now + kScanMs) {}

    void Created(Hwnd wnd, Ms now);
    // Shown or retitled: looked at on the next pass.
    void Changed(Hwnd wnd);
    void Destroyed(Hwnd wnd);
    void Looked(Hwnd wnd, Seen seen);

    // The windows to look at now, each once.
    std::vector<Hwnd> TakeDueLooks(Ms now);

    bool ScanDue(Ms now) const { return now >= nextScan_; }
    // Due half a tick early: the tick that ends the period finds the scan due however late
    // its message came, and a late tick before it does not push the scan a tick further.
    // Scans then keep one period, not now one and now a tick more.
    void Scanned(Ms now) { nextScan_ = now + kScanMs - TickMs() / 2; }
    void ScanSoon(Ms now) { nextScan_ = now; }

    // True the first time only.
    bool ForegroundReported();
    Ms TickMs() const { return foregroundReported_ ? kQuietTickMs : kTickMs; }

    void RulesTouched(Ms now) { rulesDue_ = now + kRulesSettleMs; }
    // True once, when the rules file is due to be read.
    bool TakeRulesDue(Ms now);

    // When the next look or rules read is due; nothing while none waits. The scan's time
    // is left to the caller's regular poll.
    std::optional<Ms> NextDue() const;

  private:
    struct Followed {
        Hwnd wnd;
        Ms created;
        std::size_t next;  // index into kFollowUpMs
        Ms Due() const { return created + kFollowUpMs[next]; }
    };

    std::vector<Followed> followed_;
    std::vector<Hwnd> changed_;
    Ms nextScan_;
    std::optional<Ms> rulesDue_;
    bool foregroundReported_ = false;
};

}  // namespace popyo::tray
