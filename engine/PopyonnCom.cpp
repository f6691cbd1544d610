#include "engine/PopyonnCom.h"

namespace popyo {

namespace {

constexpr int kMaxRetries = 100;

}  // namespace

// The order is fixed: attach, lower the lock timeout, force, restore the timeout, detach.
// Only the foreground read back decides whether to try again; the other calls' results
// are not looked at. Sharing input with a thread that takes no messages would wait for it,
// so with a hung program on either side the forcing runs without the attach.
Hwnd ForceForeground(WindowSystem& ws, Hwnd target) {
    const Hwnd prev = ws.GetForegroundWindow();
    if (target == prev) {
        return prev;
    }
    const std::uint32_t foreThread = ws.GetWindowThreadProcessId(prev);
    const std::uint32_t targetThread = ws.GetWindowThreadProcessId(target);
    const bool attach = !ws.IsHung(prev) && !ws.IsHung(target);
    if (attach) {
        ws.AttachThreadInput(targetThread, foreThread, true);
    }
    const std::uint32_t saved = ws.GetForegroundLockTimeout();
    ws.SetForegroundLockTimeout(0);

    ws.SetForegroundWindow(target);
    for (int retries = 0; ws.GetForegroundWindow() != target && retries < kMaxRetries; ++retries) {
        ws.Sleep(1);
        ws.SetForegroundWindow(target);
    }

    ws.SetForegroundLockTimeout(saved);
    if (attach) {
        ws.AttachThreadInput(targetThread, foreThread, false);
    }
    return prev;
}

}  // namespace popyo
