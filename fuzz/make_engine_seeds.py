#!/usr/bin/env python3
"""Writes the seed inputs of engine_fuzz into fuzz/corpus/engine/.

engine_fuzz reads its input with FuzzedDataProvider, which takes integers from the end of
the input backwards, the most significant byte first, as many bytes as the range needs.
Each seed here is a short script of events, spelt with the choices engine_fuzz.cpp makes,
in the order it makes them; `POPYO_FUZZ_TRACE=1 engine_fuzz <seed>` prints what a seed
does. Run this again after changing how engine_fuzz reads its input.
"""
import os
import sys

# engine_fuzz.cpp: Event, WindowOp, kMessages, the poked flags.
TICK, TICKS, MESSAGE, CURSOR, FOREGROUND, KEY, WINDOW_OP, DESKTOP, POKE, ARM, DWM, FRAME = range(12)
EVENTS = 12
WINDOW_OPS = 10
MAXIMIZE, MINIMIZE, FILL_MONITOR = 2, 1, 9
SKIP_CLOAKED, QUIET_OVER_FULLSCREEN, ALIGN_VISIBLE_FRAME, SLIDE_FRAMES = 1, 2, 3, 4
MESSAGES = ["SETTINGS", "ATTACH", "DETACH", "REGISTER", "SETOWNER", "SETHOME", "POP",
            "HIDE", "PIN", "UNPIN", "GETSTATUS", "GETEDGE", "CLASSIFY", "GETPINNED",
            "GETHOME", "SETOPTION", "GETOPTION", "SETMONITOR"]
FLAGS = ["ActWin", "HiAct", "OutWin", "AutoRestore", "MouseDownDisable", "SwitchOnTime",
         "OutCheck", "AutoActivate", "ChangePopyonStyle"]
LEFT, TOP, BOTTOM, RIGHT = 1, 2, 3, 4


class Script:
    def __init__(self, clients=1, fronts=1, shell=False, quiet_end=False):
        self.stream = []
        self.clients = clients
        self.fronts = fronts
        self.bool(shell)
        self.bool(quiet_end)
        self.pick(4, clients - 1)
        self.pick(2, fronts - 1)

    # --- FuzzedDataProvider, backwards -------------------------------------------------
    def range(self, lo, hi, value, bits=32):
        span, v = hi - lo, value - lo
        assert 0 <= v <= span, (lo, hi, value)
        n = 0
        while n * 8 < bits and (span >> (n * 8)) > 0:
            n += 1
        self.stream += [(v >> (8 * i)) & 0xFF for i in reversed(range(n))]

    def pick(self, count, value):
        self.range(0, count - 1, value, 8)

    def bool(self, b):
        self.range(0, 255, 1 if b else 0, 8)

    def data(self):
        return bytes(reversed(self.stream))

    # --- engine_fuzz's choices -----------------------------------------------------------
    def client(self, i=0):
        self.pick(8, 0)
        self.pick(self.clients, i)

    def front(self, i=0):
        self.pick(8, 3)
        self.pick(self.fronts, i)

    def nothing(self):
        self.pick(8, 5)

    def small(self, v):
        self.pick(4, 0)
        self.pick(5, v)

    def handle_lparam(self, handle):
        self.pick(4, 2)
        handle()

    def message(self, name, wparam, lparam):
        self.pick(len(MESSAGES) + 1, MESSAGES.index(name))
        wparam()
        lparam()

    # --- events --------------------------------------------------------------------------
    def send(self, name, wparam, lparam):
        self.pick(EVENTS, MESSAGE)
        self.message(name, wparam, lparam)
        return self

    def ticks(self, n):
        while n > 0:
            self.pick(EVENTS, TICKS)
            self.pick(32, min(n, 32) - 1)
            n -= 32
        return self

    def cursor(self, x, y):
        """x, y: 'lo' for the desktop's left or top side, or a pixel on a 1920 x 1080 desktop."""
        self.pick(EVENTS, CURSOR)
        for v, hi in ((x, 1920), (y, 1080)):
            if v == "lo":
                self.pick(10, 0)
            else:
                self.pick(10, 9)
                self.range(0, hi, v)
        self.pick(self.clients, 0)  # a live window, not used: the cursor stays put
        self.bool(False)
        return self

    def foreground(self, handle):
        self.pick(EVENTS, FOREGROUND)
        handle()
        return self

    def window(self, op, i=0):
        self.pick(EVENTS, WINDOW_OP)
        self.pick(WINDOW_OPS, op)
        self.pick(self.clients, i)
        return self

    def toggle(self, flag):
        self.pick(EVENTS, POKE)
        self.pick(11, 9)
        self.pick(9, FLAGS.index(flag))
        return self

    def arm(self, after_calls, name, wparam, lparam):
        self.pick(EVENTS, ARM)
        self.range(0, 40, after_calls)
        self.range(0, 15, 1)
        self.message(name, wparam, lparam)
        return self

    def option(self, option_id, value):
        self.pick(EVENTS, MESSAGE)
        self.pick(len(MESSAGES) + 1, MESSAGES.index("SETOPTION"))
        self.pick(6, option_id)
        self.small(value)
        return self

    def cloak(self, i=0):
        self.pick(EVENTS, DWM)
        self.pick(self.clients, i)
        self.pick(4, 0)
        return self

    def win10_frame(self, i=0):
        self.pick(EVENTS, DWM)
        self.pick(self.clients, i)
        self.pick(4, 1)
        return self

    def fill_monitor(self, i=0):
        self.window(FILL_MONITOR, i)
        self.bool(True)  # borderless, exactly the monitor
        return self

    def frames(self, n):
        """n frames, each when due."""
        for _ in range(n):
            self.pick(EVENTS, FRAME)
            self.pick(20, 0)
        return self

    def settings_ok(self):
        self.send("SETTINGS", self.nothing, lambda: self.small(0))
        self.pick(4, 0)  # no edits
        self.pick(3, 0)  # OK
        return self


def register_pop_detach():
    # A window at the left edge hides when the foreground leaves it, pops when the cursor
    # rests at the edge, and goes home when its front-end detaches.
    s = Script()
    s.send("ATTACH", s.front, lambda: s.small(1))
    s.send("REGISTER", s.client, lambda: s.small(LEFT))
    s.send("SETOWNER", s.client, lambda: s.handle_lparam(s.front))
    s.foreground(s.nothing).ticks(6)
    s.cursor("lo", 500).ticks(16)
    s.send("DETACH", s.front, lambda: s.small(0))
    return s


def pop_request_each_edge():
    s = Script(clients=4, quiet_end=True)
    s.send("ATTACH", s.front, lambda: s.small(0))
    for i, edge in enumerate((LEFT, TOP, BOTTOM, RIGHT)):
        s.send("REGISTER", lambda i=i: s.client(i), lambda edge=edge: s.small(edge))
    s.foreground(s.nothing).ticks(8)
    for edge in (LEFT, TOP, BOTTOM, RIGHT):
        s.send("POP", s.nothing, lambda edge=edge: s.small(edge)).ticks(4)
    s.send("POP", s.nothing, lambda: s.small(0)).ticks(8)
    return s


def maximized_hide_and_show():
    s = Script()
    s.send("ATTACH", s.front, lambda: s.small(1))
    s.send("REGISTER", s.client, lambda: s.small(TOP))
    s.window(MAXIMIZE)
    s.send("HIDE", s.client, lambda: s.small(0)).ticks(6)
    s.send("POP", s.nothing, lambda: s.small(TOP)).ticks(6)
    s.send("GETSTATUS", s.client, lambda: s.small(0))
    s.send("DETACH", s.front, lambda: s.small(0))
    return s


def detach_inside_a_slide():
    s = Script(clients=2)
    s.send("ATTACH", s.front, lambda: s.small(1))
    s.send("REGISTER", s.client, lambda: s.small(RIGHT))
    s.send("REGISTER", lambda: s.client(1), lambda: s.small(BOTTOM))
    s.arm(3, "DETACH", s.front, lambda: s.small(0))
    s.foreground(s.nothing).ticks(10)
    return s


def pin_home_style_and_settings():
    s = Script(clients=2)
    s.toggle("ChangePopyonStyle")
    s.send("ATTACH", s.front, lambda: s.small(0))
    s.send("REGISTER", s.client, lambda: s.small(LEFT))
    s.send("REGISTER", lambda: s.client(1), lambda: s.small(LEFT))
    s.send("PIN", lambda: s.client(1), lambda: s.small(0))
    s.send("SETHOME", s.client, lambda: s.small(1))
    s.foreground(s.nothing).ticks(8)
    s.settings_ok()
    s.cursor("lo", 300).ticks(14)
    s.send("UNPIN", lambda: s.client(1), lambda: s.small(0))
    s.send("CLASSIFY", s.client, lambda: s.handle_lparam(s.front))
    s.ticks(20)
    return s


def minimized_and_restored_by_pop():
    s = Script(clients=2)
    s.send("REGISTER", s.client, lambda: s.small(BOTTOM))
    s.send("REGISTER", lambda: s.client(1), lambda: s.small(BOTTOM))
    s.foreground(s.nothing).ticks(6)
    s.window(MINIMIZE, 1)
    s.cursor(900, 1079).ticks(14)
    s.send("POP", s.nothing, lambda: s.small(BOTTOM)).ticks(6)
    return s


def todays_desktops():
    # Every option on: a window with Windows 10's invisible borders hides and comes out with
    # its frame on the edge, a cloaked one is passed over, and a full-screen program in front
    # keeps a push from popping anything until a request does.
    s = Script(clients=3, quiet_end=True)
    for option in (SKIP_CLOAKED, QUIET_OVER_FULLSCREEN, ALIGN_VISIBLE_FRAME):
        s.option(option, 1)
    s.send("REGISTER", s.client, lambda: s.small(LEFT))
    s.send("REGISTER", lambda: s.client(1), lambda: s.small(LEFT))
    s.win10_frame(0).cloak(1)
    s.foreground(s.nothing).ticks(8)
    s.cursor("lo", 300).ticks(14)
    s.cursor(900, 500).ticks(20)
    s.fill_monitor(2)
    s.foreground(lambda: s.client(2)).ticks(2)
    s.cursor("lo", 300).ticks(14)
    s.send("POP", s.nothing, lambda: s.small(LEFT)).ticks(6)
    return s


def frames_between_ticks():
    # Three frames a tick: a window slides in and out with frames between its ticks, one
    # is released and one told to hide between frames.
    s = Script(clients=2)
    s.option(SLIDE_FRAMES, 3)
    s.send("REGISTER", s.client, lambda: s.small(LEFT))
    s.send("REGISTER", lambda: s.client(1), lambda: s.small(TOP))
    s.foreground(s.nothing)
    for _ in range(6):
        s.ticks(1).frames(2)
    s.send("POP", s.nothing, lambda: s.small(LEFT))
    s.ticks(1).frames(1)
    s.send("HIDE", s.client, lambda: s.small(0))
    s.frames(1).ticks(1).frames(1)
    s.send("REGISTER", lambda: s.client(1), lambda: s.small(0))
    s.frames(2).ticks(4)
    return s


SEEDS = {
    "register-pop-detach": register_pop_detach,
    "pop-request-each-edge": pop_request_each_edge,
    "maximized-hide-and-show": maximized_hide_and_show,
    "detach-inside-a-slide": detach_inside_a_slide,
    "pin-home-style-and-settings": pin_home_style_and_settings,
    "minimized-and-restored-by-pop": minimized_and_restored_by_pop,
    "todays-desktops": todays_desktops,
    "frames-between-ticks": frames_between_ticks,
}


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "engine")
    os.makedirs(out, exist_ok=True)
    for name, make in SEEDS.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(make().data())
    print(f"{len(SEEDS)} seeds in {out}", file=sys.stderr)


if __name__ == "__main__":
    main()
