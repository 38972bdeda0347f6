#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs glorbs3d under Xvfb and drives it with xdotool.

1. The window is titled "Glorbs", the display has fitted its client area to
   640 x 480 (caption and sizing frame around it), it shows the splash
   picture stretched over it, and Escape ends the program with exit code 0.
2. Any other key leaves the splash; the program keeps running through the
   level start and intro into play, and Alt+F4 closes it with exit code 0.

Exits 77 (skipped) when Xvfb, xdotool, xwininfo or xwd are not installed.
"""
import contextlib
import os
import shutil
import struct
import subprocess
import sys
import time

SKIP = 77
CLIENT_W, CLIENT_H = 640, 480


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def start_xvfb(screen="1024x768"):
    # -noreset: the server would otherwise reset when the first program
    # disconnects, and refuse the next one while it does.
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen + "x24", "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as pipe:
        while not number.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                server.kill()
                fail("Xvfb did not start")
            number += chunk
    return server, ":" + number.decode().strip()


@contextlib.contextmanager
def xvfb(screen="1024x768"):
    """A private X server for the body of the with-block; yields its display."""
    server, display = start_xvfb(screen)
    try:
        yield display
    finally:
        server.terminate()
        server.wait(timeout=10)


def run(env, *args, timeout=20):
    done = subprocess.run(list(args), env=env, capture_output=True, timeout=timeout)
    return done.returncode, done.stdout.decode(errors="replace")


def skip_without(tools, packages="xvfb, xdotool, x11-utils, x11-apps"):
    """Says SKIP and returns True when one of `tools` is not installed."""
    missing = [t for t in tools if not shutil.which(t)]
    if missing:
        print("SKIP: %s not installed (Debian packages %s)" % (", ".join(missing), packages))
    return bool(missing)


def find_titled(env, game, title, what):
    """The id of the visible window titled `title`, waited for while the game runs."""
    deadline = time.time() + 30
    while time.time() < deadline:
        if game.poll() is not None:
            said = game.stdout.read().decode(errors="replace") if game.stdout else ""
            fail("the program ended before its %s appeared (exit %d)\n%s" % (what, game.returncode, said))
        code, out = run(env, "xdotool", "search", "--onlyvisible", "--name", "^%s$" % title)
        if code == 0 and out.split():
            return out.split()[0]
        time.sleep(0.2)
    fail("no %s titled %s appeared" % (what, title))


def find_window(env, game):
    return find_titled(env, game, "Glorbs", "window")


def client_size(env, window):
    _, out = run(env, "xwininfo", "-id", window)
    fields = dict(line.strip().split(":", 1) for line in out.splitlines() if ":" in line)
    return int(fields["Width"]), int(fields["Height"])


def screenshot(env, window):
    """The window's pixels as (width, height, rows of (r, g, b)) from xwd."""
    data = subprocess.run(["xwd", "-id", window, "-silent"], env=env, capture_output=True, timeout=20).stdout
    header = struct.unpack(">25I", data[:100])
    header_size, width, height = header[0], header[4], header[5]
    byte_order, bits_per_pixel, bytes_per_line = header[7], header[11], header[12]
    masks, ncolors = header[14:17], header[19]
    if bits_per_pixel != 32:
        fail("unexpected xwd pixel size %d" % bits_per_pixel)
    offset = header_size + 12 * ncolors
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    order = "little" if byte_order == 0 else "big"
    rows = []
    for y in range(height):
        line = data[offset + y * bytes_per_line: offset + y * bytes_per_line + 4 * width]
        row = []
        for x in range(width):
            v = int.from_bytes(line[4 * x: 4 * x + 4], order)
            row.append(tuple((v & m) >> s for m, s in zip(masks, shifts)))
        rows.append(row)
    return width, height, rows


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    offset = struct.unpack("<I", data[10:14])[0]
    width, height = struct.unpack("<ii", data[18:26])
    bits = struct.unpack("<H", data[28:30])[0]
    stride = (width * bits + 31) // 32 * 4
    step = bits // 8

    def pixel(x, y):
        row = y if height < 0 else abs(height) - 1 - y
        at = offset + row * stride + x * step
        return data[at + 2], data[at + 1], data[at]

    return width, abs(height), pixel


def splash_matches(shot, splash_path):
    width, height, rows = shot
    sw, sh, pixel = read_bmp(splash_path)
    good = total = 0
    for gy in range(30):
        for gx in range(40):
            x, y = gx * width // 40 + 3, gy * height // 30 + 3
            expected = pixel(int((x + 0.5) * sw / width), int((y + 0.5) * sh / height))
            total += 1
            good += all(abs(a - b) <= 8 for a, b in zip(rows[y][x], expected))
    return good, total


def lit(shot):
    _, _, rows = shot
    return sum(1 for row in rows[::16] for p in row[::16] if sum(p) > 60)


def wait_for_picture(env, window, splash_path):
    """Looks at the window until it shows the splash (or, with no picture to
    compare with, anything at all). A slow build (the sanitizers) may still be
    starting up, fitting the window or painting it; keys pressed before the
    splash is up are not for the splash."""
    deadline = time.time() + 20
    while True:
        shot = screenshot(env, window)
        good, total = splash_matches(shot, splash_path) if splash_path else (0, 1)
        settled = good >= total * 0.95 if splash_path else lit(shot) > 0
        if settled or time.time() > deadline:
            return settled, good, total
        time.sleep(0.3)


def wait_exit(game, what):
    try:
        return game.wait(timeout=20)
    except subprocess.TimeoutExpired:
        game.kill()
        fail("the program did not end after " + what)


def start_game(exe, env):
    return subprocess.Popen([exe], env=env, cwd=os.path.dirname(exe), stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT)


def splash_then_escape(exe, splash_path, env):
    game = start_game(exe, env)
    window = find_window(env, game)
    _, title = run(env, "xdotool", "getwindowname", window)
    if title.strip() != "Glorbs":
        fail("window title is %r" % title.strip())
    have_splash = bool(splash_path) and os.path.exists(splash_path)
    settled, good, total = wait_for_picture(env, window, splash_path if have_splash else "")
    size = client_size(env, window)
    if size != (CLIENT_W, CLIENT_H):
        fail("client area is %dx%d, expected %dx%d" % (size + (CLIENT_W, CLIENT_H)))
    if have_splash:
        print("splash: %d of %d sampled pixels match the picture" % (good, total))
        if not settled:
            fail("the window does not show the splash picture")
    else:
        print("note: no splash picture file to compare with; checked only that the window shows something")
        if not settled:
            fail("the window stayed black")
    run(env, "xdotool", "windowfocus", "--sync", window)
    run(env, "xdotool", "key", "Escape")
    code = wait_exit(game, "Escape")
    if code != 0:
        fail("exit code after Escape was %d\n%s" % (code, game.stdout.read().decode(errors="replace")))
    print("ok: splash shown, Escape ended the program with exit code 0")


def key_starts_play(exe, env):
    game = start_game(exe, env)
    window = find_window(env, game)
    if not wait_for_picture(env, window, "")[0]:
        fail("the window stayed black")
    run(env, "xdotool", "windowfocus", "--sync", window)
    run(env, "xdotool", "key", "space")
    time.sleep(2.0)  # level start, the one-second intro, then play
    if game.poll() is not None:
        fail("the program ended after a key on the splash (exit %d)" % game.returncode)
    run(env, "xdotool", "key", "Escape")  # ignored outside the splash
    time.sleep(0.5)
    if game.poll() is not None:
        fail("Escape during play ended the program")
    run(env, "xdotool", "key", "alt+F4")
    code = wait_exit(game, "Alt+F4")
    if code != 0:
        fail("exit code after Alt+F4 was %d" % code)
    print("ok: a key started play, Alt+F4 ended the program with exit code 0")


def main():
    if len(sys.argv) < 2:
        print("usage: splash_e2e.py <glorbs3d> [splash.bmp]")
        return 2
    if skip_without(("Xvfb", "xdotool", "xwininfo", "xwd")):
        return SKIP
    exe = os.path.abspath(sys.argv[1])
    splash_path = sys.argv[2] if len(sys.argv) > 2 else ""
    with xvfb() as display:
        env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy")
        splash_then_escape(exe, splash_path, env)
        key_starts_play(exe, env)
    return 0


if __name__ == "__main__":
    sys.exit(main())
