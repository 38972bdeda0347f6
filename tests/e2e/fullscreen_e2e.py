#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Full screen and back under Xvfb (one 1280 x 1024 mode), driven by xdotool.

    fullscreen_e2e.py <glorbs3d> [window-manager]

Without a window manager nobody carries out a full-screen request; with one
(openbox, say) the manager does. Either way, in play:

1. Alt+Enter asks for 640 x 480, which the display does not offer: the
   window covers the screen, the 4:3 picture shows whole between black bars
   (HUD at its top, sea floor down to its bottom edge) and keeps moving, and
   stderr says once which mode was used instead. The configuration window
   opened from the Input menu shows scaled with the picture, and a click on
   its Close button where it shows closes it.
2. Alt+Enter returns to a 640 x 480 window, HUD shown, moving.
3. The Video menu's 1024x768, 800x600 and 640x480 each give the same whole,
   moving picture; its Windowed returns to the window.
4. The window resized to a wider and to a taller shape shows the picture
   undistorted between black bars.

Screenshots are read with xwd. Exits 77 (skipped) when a tool is missing.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from splash_e2e import fail, run, xvfb  # noqa: E402

SKIP = 77
SCREEN_W, SCREEN_H = 1280, 1024
# The 4:3 picture letterboxed on the 5:4 screen.
PICTURE = (0, 32, 1280, 960)


def start_window_manager(env, name):
    manager = subprocess.Popen([name], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.time() + 15
    while time.time() < deadline:
        _, out = run(env, "xprop", "-root", "_NET_SUPPORTING_WM_CHECK")
        if "window id" in out:
            return manager
        time.sleep(0.2)
    manager.kill()
    fail("%s did not come up" % name)


class Shot:
    """One xwd picture of a window; pixels are read on demand."""

    def __init__(self, env, window):
        data = subprocess.run(["xwd", "-id", window, "-silent"], env=env, capture_output=True,
                              timeout=20).stdout
        if len(data) < 100:
            fail("xwd gave no picture")
        header = struct.unpack(">25I", data[:100])
        self.width, self.height = header[4], header[5]
        self.bytes_per_pixel = header[11] // 8
        self.bytes_per_line = header[12]
        self.order = "little" if header[7] == 0 else "big"
        self.masks = header[14:17]
        self.shifts = [(m & -m).bit_length() - 1 for m in self.masks]
        self.offset = header[0] + 12 * header[19]
        if self.bytes_per_pixel not in (3, 4):
            fail("unexpected xwd pixel size %d" % header[11])
        self.data = data

    def pixel(self, x, y):
        at = self.offset + y * self.bytes_per_line + x * self.bytes_per_pixel
        v = int.from_bytes(self.data[at: at + self.bytes_per_pixel], self.order)
        return tuple((v & m) >> s for m, s in zip(self.masks, self.shifts))

    def samples(self, box, step):
        x0, y0, w, h = box
        for y in range(y0, y0 + h, step):
            for x in range(x0, x0 + w, step):
                yield x, y, self.pixel(x, y)


def keep(shot, name):
    """Saves a screenshot that failed a check where GLORBS_E2E_SHOTS names a
    folder, for a person to look at."""
    folder = os.environ.get("GLORBS_E2E_SHOTS")
    if folder:
        with open(os.path.join(folder, name + ".xwd"), "wb") as f:
            f.write(shot.data)


def is_hud(p):  # the HUD's yellow text
    return p[0] > 170 and p[1] > 170 and p[2] < 110


def is_black(p):
    return sum(p) < 24


def geometry(env, window):
    _, out = run(env, "xwininfo", "-id", window)
    f = dict(line.strip().split(":", 1) for line in out.splitlines() if ":" in line)
    return (int(f["Absolute upper-left X"]), int(f["Absolute upper-left Y"]), int(f["Width"]),
            int(f["Height"]))


def check_picture(env, window, what, picture, settle):
    """The window shows the whole picture at `picture` (x, y, w, h in the
    window), black outside it, HUD at its top, and it moves."""
    deadline = time.time() + settle
    while True:
        problem = None
        shot = Shot(env, window)
        x0, y0, w, h = picture
        if (shot.width, shot.height) != (x0 * 2 + w, y0 * 2 + h):
            problem = "window is %dx%d" % (shot.width, shot.height)
        else:
            band = max(1, h // 8)
            left = sum(is_hud(p) for _, _, p in shot.samples((x0, y0, w // 2, band), 2))
            right = sum(is_hud(p) for _, _, p in shot.samples((x0 + w // 2, y0, w // 2, band), 2))
            # The sea floor reaches the picture's lower corners.
            floor = [shot.pixel(x, y0 + h - 1 - h // 40) for x in (x0 + w // 40, x0 + w - 1 - w // 40)]
            bars = [p for _, _, p in shot.samples((0, 0, shot.width, y0), 4)]
            bars += [p for _, _, p in shot.samples((0, y0 + h, shot.width, shot.height - y0 - h), 4)]
            if left < 20 or right < 20:
                problem = "HUD not shown (yellow samples: %d left, %d right)" % (left, right)
            elif any(is_black(p) for p in floor):
                problem = "the picture's lower corners are black: cropped or misplaced"
            elif not all(is_black(p) for p in bars):
                problem = "the bars around the picture are not black"
        if problem is None:
            break
        if time.time() > deadline:
            keep(shot, "unlike")
            fail("%s: %s" % (what, problem))
        time.sleep(0.3)
    # The Glorbs drift out of view at times; the ship's shots always move.
    # Fire while looking, for a while before calling the picture still.
    box = (x0, y0 + h // 4, w, h * 3 // 4)
    run(env, "xdotool", "keydown", "space")
    try:
        for _ in range(6):
            time.sleep(0.5)
            later = Shot(env, window)
            moved = sum(1 for x, y, p in shot.samples(box, 4)
                        if sum(abs(a - b) for a, b in zip(p, later.pixel(x, y))) > 60)
            if moved >= 10:
                break
            shot = later
    finally:
        run(env, "xdotool", "keyup", "space")
    if moved < 10:
        keep(later, "still")
        fail("%s: the picture does not move (%d samples changed in 3 s)" % (what, moved))
    print("ok: %s: whole picture with HUD, %d moving samples" % (what, moved))


def key(env, window, *keys):
    """Presses each key long enough for the game's per-frame input polling
    to see it, even when frames are slow."""
    run(env, "xdotool", "windowfocus", "--sync", window)
    for k in keys:
        run(env, "xdotool", "keydown", k)
        time.sleep(0.35)
        run(env, "xdotool", "keyup", k)
        time.sleep(0.35)


# A mode change rebuilds the device and everything on it, and a window
# manager answers in its own time: on a loaded machine that takes seconds.
SETTLE = 30


def check_full_screen(env, window, what):
    deadline = time.time() + SETTLE
    while geometry(env, window) != (0, 0, SCREEN_W, SCREEN_H):
        if time.time() > deadline:
            fail("%s: the window does not cover the screen: %s" % (what, geometry(env, window)))
        time.sleep(0.2)
    check_picture(env, window, what, PICTURE, SETTLE)


def check_windowed(env, window, what):
    deadline = time.time() + SETTLE
    while geometry(env, window)[2:] != (640, 480):
        if time.time() > deadline:
            fail("%s: the window is not 640x480 again: %s" % (what, geometry(env, window)))
        time.sleep(0.2)
    check_picture(env, window, what, (0, 0, 640, 480), SETTLE)


def hud_shown(shot):
    """Play's HUD: yellow text on the black above the sea floor (the splash's
    orange title sits on blue)."""
    band = [p for _, _, p in shot.samples((0, 0, shot.width, shot.height // 8), 2)]
    return sum(map(is_hud, band)) >= 20 and sum(map(is_black, band)) >= len(band) * 0.6


def config_shown(shot):
    """The configuration window's title bar (0x203A70), right of its title
    text, along the top of the letterboxed picture."""
    x0, y0, w, h = PICTURE
    band = [p for _, _, p in shot.samples((x0 + w * 11 // 20, y0 + 2, w * 2 // 5, 10), 6)]
    return sum(1 for p in band if abs(p[0] - 0x20) < 12 and abs(p[1] - 0x3A) < 12 and abs(p[2] - 0x70) < 12) \
        >= len(band) * 0.8


def wait_for(env, window, what, test):
    deadline = time.time() + SETTLE
    while True:
        shot = Shot(env, window)
        if test(shot):
            return
        if time.time() > deadline:
            keep(shot, what.replace(" ", "-"))
            fail(what)
        time.sleep(0.3)


def click_config_close(env, window):
    """The configuration window drawn over full-screen play, scaled with the
    picture: its Close button is clicked where it shows, at (320, 429) of
    the 640 x 480 picture, and the window closes."""
    key(env, window, "F1", "Down", "Down", "Return", "Return")  # Input Menu, View Devices
    wait_for(env, window, "the configuration window did not show in full screen", config_shown)
    x0, y0, w, h = PICTURE
    run(env, "xdotool", "mousemove", "--sync", str(x0 + 320 * w // 640), str(y0 + 429 * h // 480))
    run(env, "xdotool", "click", "1")
    wait_for(env, window, "a click on Close where it shows did not close the configuration window",
             lambda shot: not config_shown(shot) and hud_shown(shot))
    print("ok: a click on the scaled configuration window's Close closed it")


def leave_splash(env, window):
    """A key leaves the splash once it is up; a slow start (a loaded machine,
    the sanitizers) may still be drawing it, so press again until the HUD of
    play shows. In play the key only fires."""
    deadline = time.time() + 60
    while not any(sum(p) > 60 for _, _, p in Shot(env, window).samples((0, 0, 640, 480), 16)):
        if time.time() > deadline:
            fail("the window stayed black")
        time.sleep(0.3)
    for _ in range(4):
        key(env, window, "space")
        wait_until = time.time() + 8  # level start, the intro, then play
        while time.time() < wait_until:
            if hud_shown(Shot(env, window)):
                return
            time.sleep(0.3)
    fail("play did not start after a key on the splash")


def play(exe, env, errors):
    game = subprocess.Popen([exe], env=env, cwd=os.path.dirname(exe), stdout=subprocess.DEVNULL, stderr=errors)
    window = None
    deadline = time.time() + 30
    while window is None:
        if game.poll() is not None:
            fail("the program ended before its window appeared (exit %d)" % game.returncode)
        code, out = run(env, "xdotool", "search", "--onlyvisible", "--name", "^Glorbs$")
        if code == 0 and out.split():
            window = out.split()[0]
        elif time.time() > deadline:
            fail("no window titled Glorbs appeared")
        else:
            time.sleep(0.2)
    leave_splash(env, window)
    try:
        check_windowed(env, window, "windowed play")
        key(env, window, "alt+Return")
        check_full_screen(env, window, "Alt+Enter")
        key(env, window, "alt+Return")
        check_windowed(env, window, "Alt+Enter back")
        # Video menu: F1, Return opens it on "Windowed"; it remembers the
        # highlight, so each later visit starts on the last mode chosen.
        key(env, window, "F1", "Return", "Down", "Down", "Down", "Return")
        check_full_screen(env, window, "Video menu 1024x768")
        for mode in ("800x600", "640x480"):
            key(env, window, "F1", "Return", "Up", "Return")
            check_full_screen(env, window, "Video menu " + mode)
        click_config_close(env, window)  # leaves the main menu on its Input entry
        key(env, window, "F1", "Up", "Up", "Return", "Up", "Return")
        check_windowed(env, window, "Video menu Windowed")
        # A window dragged to another shape letterboxes instead of stretching.
        for w, h, picture in ((960, 480, (160, 0, 640, 480)), (640, 600, (0, 60, 640, 480))):
            run(env, "xdotool", "windowsize", "--sync", window, str(w), str(h))
            check_picture(env, window, "window resized to %dx%d" % (w, h), picture, SETTLE)
    finally:
        if game.poll() is None:
            game.terminate()
        try:
            game.wait(timeout=20)
        except subprocess.TimeoutExpired:
            game.kill()
            fail("the program did not end on SIGTERM")


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    manager_name = sys.argv[2] if len(sys.argv) > 2 else ""
    tools = ["Xvfb", "xdotool", "xwininfo", "xwd", "xprop"] + ([manager_name] if manager_name else [])
    missing = [t for t in tools if not shutil.which(t)]
    if missing:
        print("SKIP: %s not installed (Debian packages xvfb, xdotool, x11-utils, x11-apps%s)"
              % (", ".join(missing), ", " + manager_name if manager_name else ""))
        return SKIP
    exe = os.path.abspath(sys.argv[1])
    with xvfb("%dx%d" % (SCREEN_W, SCREEN_H)) as display:
        env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy")
        manager = None
        try:
            if manager_name:
                manager = start_window_manager(env, manager_name)
            print("window manager: %s" % (manager_name or "none"))
            with tempfile.TemporaryFile() as errors:
                play(exe, env, errors)
                errors.seek(0)
                lines = errors.read().decode(errors="replace").splitlines()
            # Each full-screen request was for a mode the display lacks.
            notes = [l for l in lines if "is not offered by the display" in l and "1280x1024" in l]
            if len(notes) != 4:
                fail("expected one stderr line per full-screen request (4), got %d:\n%s" % (len(notes), "\n".join(lines)))
            print("ok: stderr named the mode used instead: %s" % notes[0])
        finally:
            if manager:
                manager.terminate()
                manager.wait(timeout=10)
    return 0


if __name__ == "__main__":
    sys.exit(main())
