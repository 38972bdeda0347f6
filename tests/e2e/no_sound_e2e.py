#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs glorbs3d under Xvfb on a machine without a sound device (SDL's audio
driver set to one that does not exist).

The program starts without any message box, shows its window, goes from the
splash into play on a key, and Alt+F4 ends it with exit code 0. Its output
carries the line "no sound device: playing without sound" exactly once and
nothing of the "Unexpected error encountered" box.

Exits 77 (skipped) when Xvfb, xdotool, xwininfo or xwd are not installed.
"""
import os
import shutil
import sys
import time

import splash_e2e as e2e

NO_DEVICE_LINE = "no sound device: playing without sound"


def play_without_sound(exe, env):
    game = e2e.start_game(exe, env)
    window = e2e.find_window(env, game)
    if not e2e.wait_for_picture(env, window, "")[0]:
        e2e.fail("the window stayed black")
    code, boxes = e2e.run(env, "xdotool", "search", "--onlyvisible", "--name", "Unexpected error")
    if code == 0 and boxes.split():
        e2e.fail("a message box is open over the game")
    e2e.run(env, "xdotool", "windowfocus", "--sync", window)
    e2e.run(env, "xdotool", "key", "space")
    time.sleep(2.0)  # level start, the one-second intro, then play
    if game.poll() is not None:
        e2e.fail("the program ended after a key on the splash (exit %d)" % game.returncode)
    e2e.run(env, "xdotool", "key", "alt+F4")
    code = e2e.wait_exit(game, "Alt+F4")
    output = game.stdout.read().decode(errors="replace")
    if code != 0:
        e2e.fail("exit code after Alt+F4 was %d\n%s" % (code, output))
    if "Unexpected error" in output:
        e2e.fail("a message box was shown:\n" + output)
    if output.count(NO_DEVICE_LINE) != 1:
        e2e.fail("expected the line %r once in the output:\n%s" % (NO_DEVICE_LINE, output))
    print("ok: no box, play started without sound, one line said so")


def main():
    tools = ("Xvfb", "xdotool", "xwininfo", "xwd")
    if len(sys.argv) != 2 or not all(shutil.which(t) for t in tools):
        print("SKIP: needs the program and %s (Debian packages xvfb, xdotool, x11-utils, x11-apps)"
              % ", ".join(tools))
        return e2e.SKIP if len(sys.argv) == 2 else 2
    with e2e.xvfb() as display:
        play_without_sound(os.path.abspath(sys.argv[1]),
                           dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="nonexistent"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
