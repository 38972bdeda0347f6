#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The packaging files agree with each other and with the project:

- the metainfo names the desktop entry that exists, with the same id, and
  its newest release is the project's version, as are the changelog's top
  entry and the manual page's header;
- every screenshot it lists is a file in docs/ of the size it states, and
  the README shows the first one;
- the desktop entry's icon is the application id (the installed icons'
  name) and it starts the program the metainfo provides.

Usage: metadata_check.py <source dir> <version> <app id>
"""
import os
import re
import struct
import sys
import xml.etree.ElementTree as ET

failures = []


def check(ok, message):
    if not ok:
        failures.append(message)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    return struct.unpack(">II", head[16:24]) if head[:8] == b"\x89PNG\r\n\x1a\n" else None


def main():
    source, version, app_id = sys.argv[1:4]
    packaging = os.path.join(source, "packaging")
    meta = ET.parse(os.path.join(packaging, app_id + ".metainfo.xml")).getroot()
    check(meta.findtext("id") == app_id, "metainfo id is %r" % meta.findtext("id"))
    launchable = meta.findtext("launchable")
    check(launchable == app_id + ".desktop", "launchable is %r" % launchable)
    check(os.path.exists(os.path.join(packaging, launchable or "-")), "no desktop entry %r" % launchable)
    releases = meta.findall("releases/release")
    check(releases and releases[0].get("version") == version,
          "newest metainfo release is not %s" % version)
    binary = meta.findtext("provides/binary")

    shots = meta.findall("screenshots/screenshot")
    check(len(shots) >= 3, "%d screenshots listed, three wanted" % len(shots))
    with open(os.path.join(source, "README.md")) as f:
        readme = f.read()
    for i, shot in enumerate(shots):
        image = shot.find("image")
        name = image.text.strip().rsplit("/", 1)[-1]
        path = os.path.join(source, "docs", name)
        size = png_size(path) if os.path.exists(path) else None
        check(size == (int(image.get("width")), int(image.get("height"))),
              "screenshot %s: file size %s, metainfo says %sx%s" % (name, size, image.get("width"),
                                                                    image.get("height")))
        if i == 0:
            check(shot.get("type") == "default", "the first screenshot is not the default")
            check("docs/" + name in readme, "the README does not show docs/%s" % name)

    entry = {}
    with open(os.path.join(packaging, app_id + ".desktop")) as f:
        for line in f:
            if "=" in line and not line.startswith("#"):
                key, value = line.rstrip("\n").split("=", 1)
                entry[key] = value
    check(entry.get("Icon") == app_id, "desktop Icon is %r" % entry.get("Icon"))
    check(entry.get("Exec", "").split(" ")[0] == binary, "desktop Exec %r is not %r" % (entry.get("Exec"), binary))

    with open(os.path.join(packaging, "changelog")) as f:
        top = f.readline()
    check(re.match(r"glorbs3d \(%s\) " % re.escape(version), top) is not None, "changelog starts %r" % top)
    with open(os.path.join(source, "docs", "glorbs3d.6")) as f:
        th = next((line for line in f if line.startswith(".TH")), "")
    check(('"Glorbs3D %s"' % version) in th, "manual page header is %r" % th.strip())

    for message in failures:
        print("FAIL: " + message)
    if not failures:
        print("ok: metainfo, desktop entry, changelog, manual page and screenshots agree on %s" % version)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
