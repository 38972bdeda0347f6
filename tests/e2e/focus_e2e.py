#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs glorbs3d under Xvfb: focus taken away during play, then given back.

While another window has the focus the game draws no frames, so its window
holds still. When the focus comes back, frames must resume at once with no
key pressed and no mouse moved: the window's pixels start changing again.

"Frames resume" is judged by what can be seen, screenshots that differ,
and the time it took is printed. The check waits long enough for a loaded
machine; a game left frozen until the next input never changes at all.

Exits 77 (skipped) when Xvfb, xdotool, xwininfo or xwd are not installed.
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import splash_e2e as e2e  # noqa: E402  (the shared Xvfb and xdotool helpers)

PATIENCE = 15.0  # seconds a loaded machine may need; a frozen game never changes


def pixels(env, window):
    """The window's raw xwd image: equal bytes mean an unchanged picture."""
    return subprocess.run(["xwd", "-id", window, "-silent"], env=env, capture_output=True,
                          timeout=20).stdout


def first_change(env, window, reference, patience):
    """Seconds until the window's picture differs from `reference`, or None."""
    start = time.monotonic()
    while time.monotonic() - start < patience:
        if pixels(env, window) != reference:
            return time.monotonic() - start
    return None


def holds_still(env, window, patience):
    """Waits until two pictures half a second apart are equal; returns the
    still picture, or None when the window kept changing."""
    start = time.monotonic()
    before = pixels(env, window)
    while time.monotonic() - start < patience:
        time.sleep(0.5)
        now = pixels(env, window)
        if now == before:
            return now
        before = now
    return None


def root_window(env):
    _, out = e2e.run(env, "xwininfo", "-root")
    for line in out.splitlines():
        if "Window id:" in line:
            return line.split("Window id:")[1].split()[0]
    e2e.fail("no root window id from xwininfo")


def focus_away_and_back(exe, env):
    game = e2e.start_game(exe, env)
    window = e2e.find_window(env, game)
    if not e2e.wait_for_picture(env, window, "")[0]:
        e2e.fail("the window stayed black")
    e2e.run(env, "xdotool", "windowfocus", "--sync", window)
    e2e.run(env, "xdotool", "key", "space")  # leaves the splash: level 1 begins
    if first_change(env, window, pixels(env, window), PATIENCE) is None:
        e2e.fail("the game did not start moving after a key on the splash")

    # Another window takes the focus (the desktop's root: there is no window
    # manager to hand it elsewhere). The game stops drawing.
    e2e.run(env, "xdotool", "windowfocus", "--sync", root_window(env))
    still = holds_still(env, window, PATIENCE)
    if still is None:
        e2e.fail("the game kept drawing while another window had the focus")
    if game.poll() is not None:
        e2e.fail("the program ended while it was in the background (exit %d)" % game.returncode)

    # The focus comes back; nothing else happens: no key, no mouse.
    e2e.run(env, "xdotool", "windowfocus", "--sync", window)
    took = first_change(env, window, still, PATIENCE)
    if took is None:
        e2e.fail("no frame was drawn in %.0f s after the focus came back without input" % PATIENCE)
    print("ok: frames resumed %.3f s after the focus came back, with no input" % took)

    e2e.run(env, "xdotool", "key", "alt+F4")
    code = e2e.wait_exit(game, "Alt+F4")
    if code != 0:
        e2e.fail("exit code after Alt+F4 was %d" % code)


def main():
    if len(sys.argv) < 2:
        print("usage: focus_e2e.py <glorbs3d>")
        return 2
    if e2e.skip_without(("Xvfb", "xdotool", "xwininfo", "xwd")):
        return e2e.SKIP
    exe = os.path.abspath(sys.argv[1])
    with e2e.xvfb() as display:
        env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy")
        focus_away_and_back(exe, env)
    return 0


if __name__ == "__main__":
    sys.exit(main())
