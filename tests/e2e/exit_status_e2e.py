#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""What shells and launchers see of glorbs3d: its arguments and exit status.

1. --help prints the usage (exit 0), --version the version (exit 0); any
   other argument is one line on stderr and exit 2, decided before a display
   is looked for (the runs below have none).
2. Without its data (the program copied alone into a scratch folder, with
   no display but SDL_VIDEODRIVER=offscreen asked for, which is honoured) the
   fatal error box leads to exit 1, and stderr names the missing file and
   every folder searched; a damaged sprite sheet is named with its path,
   and so are missing models.
3. With no video driver asked for and no display, the program says so and
   exits 1 instead of running unseen.

Usage: exit_status_e2e.py <glorbs3d> <version>
"""
import os
import shutil
import subprocess
import sys
import tempfile


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def headless_env(**extra):
    """No display at all and no driver asked for, unless `extra` asks."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    env["SDL_AUDIODRIVER"] = "dummy"
    env.update(extra)
    return env


def run(args, env, cwd=None):
    try:
        done = subprocess.run(args, env=env, cwd=cwd, capture_output=True, timeout=120)
    except subprocess.TimeoutExpired:
        fail("%s did not end" % " ".join(args))
    return done.returncode, done.stdout.decode(errors="replace"), done.stderr.decode(errors="replace")


def expect(args, env, code, cwd=None):
    got, out, err = run(args, env, cwd)
    if got != code:
        fail("%s: exit %d, expected %d\nstdout: %s\nstderr: %s" % (" ".join(args[1:]) or "(none)", got, code,
                                                                 out, err))
    return out, err


def command_line(exe, version):
    env = headless_env()
    out, err = expect([exe, "--help"], env, 0)
    if not out.startswith("Usage: glorbs3d") or "--version" not in out or err:
        fail("--help printed %r / %r" % (out, err))
    out, err = expect([exe, "--version"], env, 0)
    if out != "glorbs3d %s\n" % version or err:
        fail("--version printed %r / %r" % (out, err))
    for bad in (["--bogus"], ["-v"], ["level7"], ["--help", "--bogus"], [""]):
        out, err = expect([exe] + bad, env, 2)
        lines = err.splitlines()
        if out or len(lines) != 1 or "glorbs3d: unknown argument" not in lines[0]:
            fail("%r printed %r / %r" % (bad, out, err))
    print("ok: --help and --version exit 0, bad arguments exit 2 with one line")


def missing_and_damaged_data(exe, scratch):
    bin_dir = os.path.join(scratch, "games")
    os.makedirs(bin_dir)
    alone = os.path.join(bin_dir, "glorbs3d")
    shutil.copy(exe, alone)
    env = headless_env(SDL_VIDEODRIVER="offscreen")
    _, err = expect([alone], env, 1, cwd=scratch)
    wanted = "Glorbs1.bmp not found; searched %s, %s" % (
        scratch, os.path.join(bin_dir, "..", "share", "glorbs3d", "Media"))
    if wanted not in err:
        fail("stderr does not name the file and the folders searched: %r" % err)
    if "Couldn't load game textures" not in err:
        fail("the fatal error box text is missing: %r" % err)
    print("ok: missing data exits 1 and names the folders searched")

    # A Media folder beside the program is the data folder of a build tree.
    media = os.path.join(bin_dir, "Media")
    os.makedirs(media)
    built_media = os.path.join(os.path.dirname(exe), "Media")
    shutil.copy(os.path.join(built_media, "Glorbs2.bmp"), media)
    with open(os.path.join(media, "Glorbs1.bmp"), "wb") as f:
        f.write(b"BM" + b"\x00" * 40)
    _, err = expect([alone], env, 1, cwd=scratch)
    if os.path.join(media, "Glorbs1.bmp") + " is damaged or unreadable" not in err:
        fail("stderr does not name the damaged file: %r" % err)
    print("ok: a damaged sprite sheet exits 1 and is named")

    # Good sprite sheets but no models: the models' box, and each missing
    # model named (all are tried, so the sea floor is named as well).
    shutil.copy(os.path.join(built_media, "Glorbs1.bmp"), media)
    _, err = expect([alone], env, 1, cwd=scratch)
    if "Couldn't load game geometry" not in err:
        fail("the models' fatal error box text is missing: %r" % err)
    if "SeaFloor.x not found; searched %s, %s" % (scratch, media) not in err:
        fail("stderr does not name the missing sea floor: %r" % err)
    print("ok: missing models exit 1 and are named")


def no_display(exe, scratch):
    # An empty runtime folder: no Wayland compositor socket to find either.
    runtime = os.path.join(scratch, "runtime")
    os.makedirs(runtime, mode=0o700)
    _, err = expect([exe], headless_env(XDG_RUNTIME_DIR=runtime), 1)
    if "glorbs3d: no display found (is DISPLAY or WAYLAND_DISPLAY set?)" not in err:
        fail("no display: stderr was %r" % err)
    print("ok: no display exits 1 with the reason")


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    exe = os.path.abspath(sys.argv[1])
    command_line(exe, sys.argv[2])
    with tempfile.TemporaryDirectory(prefix="glorbs-exit-") as scratch:
        scratch = os.path.realpath(scratch)
        missing_and_damaged_data(exe, scratch)
        no_display(exe, scratch)
    return 0


if __name__ == "__main__":
    sys.exit(main())
