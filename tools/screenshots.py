#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Takes the pictures of the game that the README and the AppStream
metadata show, from the real program under Xvfb:

  screenshot-title.png  the title picture as the window shows it
  screenshot-menu.png   the game menu (F1) open over play

Usage: tools/screenshots.py <glorbs3d> <outdir>
(docs/screenshot.png, a frame of play, was taken the same way.)
Needs Xvfb, xdotool, xwininfo and xwd, like the end-to-end tests whose
helpers it uses.
"""
import os
import struct
import subprocess
import sys
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import splash_e2e as e2e  # noqa: E402


def write_png(path, shot):
    width, height, rows = shot
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    print("wrote", path)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    exe, out = os.path.abspath(sys.argv[1]), sys.argv[2]
    with e2e.xvfb() as display:
        env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy")
        game = e2e.start_game(exe, env)
        window = e2e.find_window(env, game)
        e2e.wait_for_picture(env, window, "")
        time.sleep(1.0)
        write_png(os.path.join(out, "screenshot-title.png"), e2e.screenshot(env, window))
        e2e.run(env, "xdotool", "windowfocus", "--sync", window)
        e2e.run(env, "xdotool", "key", "space")
        time.sleep(3.0)  # the level intro, then play
        e2e.run(env, "xdotool", "keydown", "Right")  # aim up into the Glorbs
        time.sleep(0.6)
        e2e.run(env, "xdotool", "keyup", "Right")
        for _ in range(6):
            e2e.run(env, "xdotool", "key", "space")
            time.sleep(0.25)
        e2e.run(env, "xdotool", "key", "F1")
        time.sleep(1.5)
        write_png(os.path.join(out, "screenshot-menu.png"), e2e.screenshot(env, window))
        game.kill()
        game.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main())
