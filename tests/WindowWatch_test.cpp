// When the tray looks at windows and at its rules file: which events count, the looks at a
// new window until it has settled, the slow scan, and the rules file once a save settles.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "frontends/tray/WindowWatch.h"

namespace popyo::tray {
namespace {

using Looks = std::vector<Hwnd>;

constexpr Ms kStart = 100000;
constexpr Seen kHidden{.exists = true, .shown = false, .titled = true};
constexpr Seen kShownUntitled{.exists = true, .shown = true, .titled = false};
constexpr Seen kShownTitled{.exists = true, .shown = true, .titled = true};
constexpr Seen kGone{};

TEST(TrayWindowWatch, OnlyEventsAboutAWindowItselfCount) {
    constexpr std::int32_t kObjectClient = -4;
    constexpr std::int32_t kObjectCursor = -9;
    constexpr std::uint32_t kLocationChange = 0x800B;
    constexpr std::uint32_t kHide = 0x8003;
    struct Case {
        std::uint32_t event;
        std::int32_t object;
        std::int32_t child;
        WindowEvent expected;
    };
    constexpr Case kCases[] = {
        {kEventObjectCreate, kObjectWindow, kChildSelf, WindowEvent::Created},
        {kEventObjectShow, kObjectWindow, kChildSelf, WindowEvent::Changed},
        {kEventObjectNameChange, kObjectWindow, kChildSelf, WindowEvent::Changed},
        {kEventObjectDestroy, kObjectWindow, kChildSelf, WindowEvent::Destroyed},
        {kEventSystemForeground, kObjectWindow, kChildSelf, WindowEvent::Foreground},
        {kEventObjectShow, kObjectCursor, kChildSelf, WindowEvent::None},
        {kEventObjectCreate, kObjectClient, kChildSelf, WindowEvent::None},
        {kEventObjectNameChange, kObjectWindow, 3, WindowEvent::None},
        {kLocationChange, kObjectWindow, kChildSelf, WindowEvent::None},
        {kHide, kObjectWindow, kChildSelf, WindowEvent::None},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(ClassifyEvent(c.event, c.object, c.child), c.expected)
            << std::hex << c.event << " " << std::dec << c.object << " " << c.child;
    }
}

// Polled every 10 ms from creation to `until`: when was the window looked at.
std::vector<Ms> LookTimes(WindowWatch& watch, Ms created, Ms until, Seen seen = kHidden) {
    std::vector<Ms> times;
    for (Ms t = created; t <= until; t += 10) {
        for (const Hwnd wnd : watch.TakeDueLooks(t)) {
            EXPECT_EQ(wnd, 7u);
            times.push_back(t - created);
            watch.Looked(wnd, seen);
        }
    }
    return times;
}

TEST(TrayWindowWatch, ANewWindowIsLookedAtAFewTimesThenLeftToTheScan) {
    WindowWatch watch(kStart);
    watch.Created(7, kStart);
    EXPECT_EQ(watch.NextDue(), kStart + WindowWatch::kFollowUpMs[0]);
    const std::vector<Ms> expected(std::begin(WindowWatch::kFollowUpMs),
                                   std::end(WindowWatch::kFollowUpMs));
    EXPECT_EQ(LookTimes(watch, kStart, kStart + 10000), expected);
    EXPECT_EQ(watch.NextDue(), std::nullopt);
    // Soon enough after creation that a window shown at any moment is taken within a second.
    Ms last = 0;
    for (const Ms at : WindowWatch::kFollowUpMs) {
        if (at <= 1000) {
            EXPECT_LE(at - last, 250u);
        }
        last = at;
    }
    EXPECT_GE(last, 1500u);
}

TEST(TrayWindowWatch, TheLooksEndOnceTheWindowIsShownAndTitledOrGone) {
    struct Case {
        const char* what;
        Seen seen;
        std::size_t looks;
    };
    const Case kCases[] = {
        {"hidden", kHidden, std::size(WindowWatch::kFollowUpMs)},
        {"shown, no title yet", kShownUntitled, std::size(WindowWatch::kFollowUpMs)},
        {"shown and titled", kShownTitled, 1},
        {"gone", kGone, 1},
    };
    for (const Case& c : kCases) {
        WindowWatch watch(kStart);
        watch.Created(7, kStart);
        EXPECT_EQ(LookTimes(watch, kStart, kStart + 10000, c.seen).size(), c.looks) << c.what;
    }
}

TEST(TrayWindowWatch, ALatePassLooksOnceAndGoesOnFromThere) {
    WindowWatch watch(kStart);
    watch.Created(7, kStart);
    // The first four looks are all overdue: one look stands for them.
    EXPECT_EQ(watch.TakeDueLooks(kStart + 600), Looks{7});
    EXPECT_EQ(watch.TakeDueLooks(kStart + 600), Looks{});
    EXPECT_EQ(watch.NextDue(), kStart + 750);
}

TEST(TrayWindowWatch, AShownOrRetitledWindowIsLookedAtOnceAtOnce) {
    WindowWatch watch(kStart);
    watch.Changed(7);
    watch.Changed(8);
    watch.Changed(7);
    EXPECT_EQ(watch.NextDue(), Ms{0});
    EXPECT_EQ(watch.TakeDueLooks(kStart), (Looks{7, 8}));
    EXPECT_EQ(watch.TakeDueLooks(kStart + 5000), Looks{});
    // Both new and changed: one look.
    watch.Created(7, kStart);
    watch.Changed(7);
    EXPECT_EQ(watch.TakeDueLooks(kStart + 100), Looks{7});
}

TEST(TrayWindowWatch, ADestroyedWindowIsNotLookedAtAndAReusedHandleStartsAfresh) {
    WindowWatch watch(kStart);
    watch.Created(7, kStart);
    watch.Changed(8);
    watch.Destroyed(7);
    watch.Destroyed(8);
    EXPECT_EQ(watch.NextDue(), std::nullopt);
    EXPECT_EQ(watch.TakeDueLooks(kStart + 5000), Looks{});

    watch.Created(7, kStart);
    watch.TakeDueLooks(kStart + 1100);
    watch.Created(7, kStart + 1100);
    const std::vector<Ms> expected(std::begin(WindowWatch::kFollowUpMs),
                                   std::end(WindowWatch::kFollowUpMs));
    EXPECT_EQ(LookTimes(watch, kStart + 1100, kStart + 10000), expected);
}

TEST(TrayWindowWatch, BeyondTheLimitTheOldestNewWindowIsLeftToTheScan) {
    WindowWatch watch(kStart);
    for (Hwnd wnd = 1; wnd <= WindowWatch::kMaxFollowed + 1; ++wnd) {
        watch.Created(wnd, kStart);
    }
    const Looks looks = watch.TakeDueLooks(kStart + 100);
    EXPECT_EQ(looks.size(), WindowWatch::kMaxFollowed);
    EXPECT_EQ(std::ranges::find(looks, Hwnd{1}), looks.end());
}

TEST(TrayWindowWatch, TheDesktopIsScannedEveryFewSecondsOnTheSameTick) {
    WindowWatch watch(kStart);
    EXPECT_FALSE(watch.ScanDue(kStart + WindowWatch::kScanMs - 1));
    EXPECT_TRUE(watch.ScanDue(kStart + WindowWatch::kScanMs));
    EXPECT_LE(WindowWatch::kScanMs, 5000u);
    EXPECT_GE(WindowWatch::kScanMs, 2000u);

    // The ticks' messages come late by varying amounts, as a loaded machine has them: the
    // scans still come a whole period apart, at either tick length.
    for (const bool quiet : {false, true}) {
        SCOPED_TRACE(quiet ? "quiet tick" : "tick");
        WindowWatch ticking(kStart);
        if (quiet) {
            ticking.ForegroundReported();
        }
        const Ms tick = ticking.TickMs();
        constexpr Ms kLateness[] = {0, 90, 10, 60, 0, 100, 30};
        std::vector<Ms> scans;
        for (Ms n = 1; n <= 40 * WindowWatch::kScanMs / tick; ++n) {
            const Ms now = kStart + n * tick + kLateness[n % std::size(kLateness)];
            if (ticking.ScanDue(now)) {
                ticking.Scanned(now);
                scans.push_back(n);
            }
        }
        ASSERT_GE(scans.size(), 39u);
        for (std::size_t i = 1; i < scans.size(); ++i) {
            EXPECT_EQ((scans[i] - scans[i - 1]) * tick, WindowWatch::kScanMs) << "scan " << i;
        }
    }

    watch.ScanSoon(kStart + 40);
    EXPECT_TRUE(watch.ScanDue(kStart + 40));
}

TEST(TrayWindowWatch, TheTickSlowsOnceTheSystemReportsTheForeground) {
    WindowWatch watch(kStart);
    EXPECT_EQ(watch.TickMs(), WindowWatch::kTickMs);
    EXPECT_LE(WindowWatch::kTickMs, 250u);
    EXPECT_TRUE(watch.ForegroundReported());
    EXPECT_FALSE(watch.ForegroundReported());
    EXPECT_EQ(watch.TickMs(), WindowWatch::kQuietTickMs);
    // Still often enough for the scan to keep its time.
    EXPECT_LE(WindowWatch::kQuietTickMs, WindowWatch::kScanMs / 4);
}

TEST(TrayWindowWatch, TheRulesFileIsReadOnceTheSaveHasSettled) {
    constexpr Ms kSettle = WindowWatch::kRulesSettleMs;
    WindowWatch watch(kStart);
    EXPECT_FALSE(watch.TakeRulesDue(kStart + 10000));
    watch.RulesTouched(kStart);
    // An editor that writes in steps pushes the read back.
    watch.RulesTouched(kStart + kSettle - 10);
    EXPECT_EQ(watch.NextDue(), kStart + 2 * kSettle - 10);
    EXPECT_FALSE(watch.TakeRulesDue(kStart + kSettle));
    EXPECT_TRUE(watch.TakeRulesDue(kStart + 2 * kSettle - 10));
    EXPECT_FALSE(watch.TakeRulesDue(kStart + 3 * kSettle));
    EXPECT_EQ(watch.NextDue(), std::nullopt);
    // Read twice over within a second of the save.
    EXPECT_LE(2 * kSettle, 500u);
}

TEST(TrayWindowWatch, TheNextWakeIsTheEarliestOfLooksAndTheRulesRead) {
    WindowWatch watch(kStart);
    EXPECT_EQ(watch.NextDue(), std::nullopt);
    watch.RulesTouched(kStart);
    watch.Created(7, kStart + 100);
    EXPECT_EQ(watch.NextDue(), kStart + WindowWatch::kRulesSettleMs);
    watch.TakeRulesDue(kStart + WindowWatch::kRulesSettleMs);
    EXPECT_EQ(watch.NextDue(), kStart + 100 + WindowWatch::kFollowUpMs[0]);
}

}  // namespace
}  // namespace popyo::tray
