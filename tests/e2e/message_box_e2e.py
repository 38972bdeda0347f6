#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The fatal error box under Xvfb: the program started from a folder without
its data cannot load its textures and says so in a box of its own.

    message_box_e2e.py <glorbs3d>

1. A window titled "Glorbs3D" appears, showing the heading band, white
   caption, dark text and the OK button; Return closes it and the program
   ends.
2. Escape does the same; so does a click on OK.
3. SIGTERM while the box is up ends the program.

Exits 77 (skipped) when Xvfb, xdotool or xwd is missing.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fullscreen_e2e import Shot  # noqa: E402
from splash_e2e import fail, find_titled, run, skip_without, xvfb  # noqa: E402

SKIP = 77
HEADING = (0x27, 0x45, 0x73)


def find_box(env, game):
    return find_titled(env, game, "Glorbs3D", "box")


def check_box(env, box):
    deadline = time.time() + 10
    while True:
        shot = Shot(env, box)
        band = shot.pixel(shot.width - 4, 4)
        caption = sum(1 for _, _, p in shot.samples((0, 0, shot.width // 2, 36), 1) if min(p) > 230)
        text = sum(1 for _, _, p in shot.samples((0, 40, shot.width, shot.height - 90), 2) if max(p) < 100)
        ok = band == HEADING and caption > 30 and text > 50
        if ok or time.time() > deadline:
            break
        time.sleep(0.3)
    if not ok:
        fail("the box does not show its heading and text (band %s, caption %d, text %d)" % (band, caption, text))
    print("ok: box %dx%d with heading, caption and %d text samples" % (shot.width, shot.height, text))
    return shot


def wait_end(game, what):
    try:
        code = game.wait(timeout=20)
    except subprocess.TimeoutExpired:
        game.kill()
        fail("the program did not end after " + what)
    print("ok: %s ended the program (exit %d)" % (what, code))


def answer(exe, env, how):
    game = subprocess.Popen([exe], env=env, cwd=os.path.dirname(exe), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    box = find_box(env, game)
    shot = check_box(env, box)
    if how == "SIGTERM":
        game.send_signal(signal.SIGTERM)
    elif how == "click":
        # The OK button sits at the middle of the box's bottom edge.
        run(env, "xdotool", "mousemove", "--window", box, str(shot.width // 2), str(shot.height - 30))
        run(env, "xdotool", "click", "1")
    else:
        run(env, "xdotool", "windowfocus", "--sync", box)
        run(env, "xdotool", "key", how)
    wait_end(game, how)


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    if skip_without(("Xvfb", "xdotool", "xwd"), "xvfb, xdotool, x11-apps"):
        return SKIP
    with xvfb() as display:
        env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy")
        with tempfile.TemporaryDirectory() as folder:
            # The program alone, without the data it looks for beside itself.
            exe = os.path.join(folder, "glorbs3d")
            shutil.copy(sys.argv[1], exe)
            for how in ("Return", "Escape", "click", "SIGTERM"):
                answer(exe, env, how)
    return 0


if __name__ == "__main__":
    sys.exit(main())
