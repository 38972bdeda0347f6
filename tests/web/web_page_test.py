#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Plays the web page in headless Chromium (WebGL 2 on SwiftShader).

Serves the built page (build-web/) on 127.0.0.1, opens it through the Chrome
DevTools protocol (spoken here with the standard library alone), and checks
from screenshots that:
1. the canvas shows the splash picture (compared with the generated BMP),
2. a key leaves it, and play shows the HUD's yellow text above the sea floor,
   which reaches the picture's lower corners,
3. the picture moves, and the page keeps counting frames (reported as the
   frame rate),
4. Alt+Enter puts the page in full screen, the game still playing at 4:3,
5. a file in the config folder (where the saved controls live) is still
   there after a reload,
6. a game recorded on the desktop (tests/replays/combat.glrp: every weapon,
   a pause, a death and the respawn) plays back in the page to its end, the
   world's checksums matching the desktop's all the way.

Exits 77 (skipped) when the page has not been built, or Chromium is missing:
run scripts/web-deps.sh and scripts/web-build.sh first.
"""
import base64
import contextlib
import functools
import http.server
import json
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request
import zlib

# The splash picture is compared as the desktop's end-to-end test does.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from splash_e2e import splash_matches  # noqa: E402

SKIP = 77
REPLAYS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "replays")


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


# ---------------------------------------------------------------- the server

class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript", ".data": "application/octet-stream"})

    def log_message(self, *args):
        pass

    def translate_path(self, path):
        # The committed replays are served beside the page, under /replays/.
        name = path.split("?", 1)[0]
        if name.startswith("/replays/"):
            return os.path.join(REPLAYS, os.path.basename(name))
        return super().translate_path(path)


def serve(folder):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(QuietHandler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


# ------------------------------------------------- a WebSocket client, minimal

class WebSocket:
    def __init__(self, url):
        assert url.startswith("ws://")
        hostport, path = url[5:].split("/", 1)
        host, port = hostport.split(":")
        self.sock = socket.create_connection((host, int(port)), timeout=60)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall(("GET /%s HTTP/1.1\r\nHost: %s\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                           "Sec-WebSocket-Key: %s\r\nSec-WebSocket-Version: 13\r\n\r\n" % (path, hostport, key)).encode())
        reply = b""
        while b"\r\n\r\n" not in reply:
            chunk = self.sock.recv(4096)
            if not chunk:
                fail("the browser closed the DevTools connection during the handshake")
            reply += chunk
        if b" 101 " not in reply.split(b"\r\n", 1)[0]:
            fail("DevTools refused the WebSocket: %r" % reply[:200])
        self.buffer = reply.split(b"\r\n\r\n", 1)[1]

    def send(self, text):
        data = text.encode()
        mask = os.urandom(4)
        n = len(data)
        if n < 126:
            header = struct.pack("!BB", 0x81, 0x80 | n)
        elif n < 65536:
            header = struct.pack("!BBH", 0x81, 0x80 | 126, n)
        else:
            header = struct.pack("!BBQ", 0x81, 0x80 | 127, n)
        self.sock.sendall(header + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))

    def _read(self, n):
        while len(self.buffer) < n:
            chunk = self.sock.recv(1 << 20)
            if not chunk:
                fail("the browser closed the DevTools connection")
            self.buffer += chunk
        data, self.buffer = self.buffer[:n], self.buffer[n:]
        return data

    def receive(self):
        message = b""
        while True:
            b0, b1 = self._read(2)
            n = b1 & 0x7F
            if n == 126:
                n = struct.unpack("!H", self._read(2))[0]
            elif n == 127:
                n = struct.unpack("!Q", self._read(8))[0]
            payload = self._read(n)
            if b0 & 0x0F == 0x8:
                fail("the browser closed the DevTools connection")
            if b0 & 0x0F in (0x9, 0xA):  # ping / pong
                continue
            message += payload
            if b0 & 0x80:
                return message.decode()


class DevTools:
    def __init__(self, url):
        self.ws = WebSocket(url)
        self.next_id = 0
        self.console = []
        # While the page reloads, an evaluation may meet the old page going
        # away ("Inspected target navigated or closed"): it then reads None.
        self.navigating = False

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.receive())
            if message.get("method") == "Runtime.consoleAPICalled":
                args = message["params"]["args"]
                self.console.append(" ".join(str(a.get("value", a.get("description", ""))) for a in args))
            elif message.get("method") == "Runtime.exceptionThrown":
                self.console.append("exception: " + json.dumps(message["params"]["exceptionDetails"])[:400])
            if message.get("id") == self.next_id:
                if "error" in message:
                    if self.navigating:
                        return None
                    fail("%s failed: %s" % (method, message["error"]))
                return message["result"]

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        return result["result"].get("value") if result else None


# ------------------------------------------------------------------ pictures

def decode_png(data):
    """(width, height, rows of (r, g, b)) of an 8-bit RGB or RGBA PNG."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail("the screenshot is not a PNG")
    at, idat = 8, b""
    while at < len(data):
        n, kind = struct.unpack("!I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + n]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack("!IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        at += 12 + n
    if depth != 8 or colour not in (2, 6):
        fail("unexpected screenshot format (depth %d, colour type %d)" % (depth, colour))
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * step
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            a = line[i - step] if i >= step else 0
            b = previous[i]
            c = previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append([tuple(line[x * step:x * step + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def is_hud(p):  # the HUD's yellow text
    return p[0] > 170 and p[1] > 170 and p[2] < 110


def is_black(p):
    return sum(p) < 24


def play_problem(shot):
    """None when the shot is a play frame: HUD text on black across the top,
    sea floor down to the lower corners; else what is wrong."""
    width, height, rows = shot
    band = [rows[y][x] for y in range(0, height // 8, 2) for x in range(0, width, 2)]
    if sum(map(is_hud, band)) < 20:
        return "no HUD text at the top (%d yellow samples)" % sum(map(is_hud, band))
    if sum(map(is_black, band)) < len(band) * 0.5:
        return "the top band is not the black above the sea floor"
    floor = [rows[height - 1 - height // 40][x] for x in (width // 40, width - 1 - width // 40)]
    if any(is_black(p) for p in floor):
        return "the sea floor does not reach the picture's lower corners"
    return None


def differing(a, b):
    return sum(1 for ra, rb in zip(a[2][::8], b[2][::8]) for pa, pb in zip(ra[::8], rb[::8])
               if sum(abs(x - y) for x, y in zip(pa, pb)) > 30)


# ------------------------------------------------------------------ the test

def start_chromium(browser, profile):
    args = [browser, "--headless", "--no-sandbox", "--disable-gpu", "--use-gl=swiftshader",
            "--enable-unsafe-swiftshader", "--ignore-gpu-blocklist",
            "--autoplay-policy=no-user-gesture-required", "--remote-debugging-port=0",
            "--user-data-dir=" + profile, "--window-size=800,700", "--no-first-run",
            "--disable-background-timer-throttling", "--disable-renderer-backgrounding", "about:blank"]
    log = open(os.path.join(profile, "chromium.log"), "wb")
    # A session of its own: the browser's helper processes go with it at the end.
    process = subprocess.Popen(args, stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
    port_file = os.path.join(profile, "DevToolsActivePort")
    deadline = time.time() + 60
    while not os.path.exists(port_file) or not open(port_file).read().strip():
        if process.poll() is not None or time.time() > deadline:
            fail("chromium did not start:\n" + open(os.path.join(profile, "chromium.log")).read()[-2000:])
        time.sleep(0.2)
    port = int(open(port_file).read().split()[0])
    deadline = time.time() + 30
    while True:
        try:
            with urllib.request.urlopen("http://127.0.0.1:%d/json/list" % port, timeout=10) as reply:
                pages = [t for t in json.load(reply) if t["type"] == "page"]
            if pages:
                return process, pages[0]["webSocketDebuggerUrl"]
        except (OSError, ValueError):
            pass
        if time.time() > deadline:
            fail("chromium offers no page to drive")
        time.sleep(0.3)


def canvas_shot(tools):
    box = tools.evaluate("(() => { const r = document.getElementById('canvas').getBoundingClientRect();"
                         " return [r.left, r.top, r.width, r.height]; })()")
    result = tools.call("Page.captureScreenshot", format="png",
                        clip={"x": box[0], "y": box[1], "width": box[2], "height": box[3], "scale": 1})
    return base64.b64decode(result["data"])


def press(tools, key, code, vk, text=""):
    for kind in ("keyDown", "keyUp"):
        params = {"type": kind, "key": key, "code": code, "windowsVirtualKeyCode": vk, "nativeVirtualKeyCode": vk}
        if text and kind == "keyDown":
            params["text"] = text
        tools.call("Input.dispatchKeyEvent", **params)


def frames(tools):
    return tools.evaluate("window.glorbsFrames") or 0


def main():
    if len(sys.argv) < 2:
        print("usage: web_page_test.py <build-web folder> [splash.bmp] [folder for screenshots]")
        return 2
    folder = os.path.abspath(sys.argv[1])
    splash_path = sys.argv[2] if len(sys.argv) > 2 else ""
    if splash_path and not os.path.exists(splash_path):
        print("note: no splash picture at %s; checking only that the canvas shows something" % splash_path)
        splash_path = ""
    keep = sys.argv[3] if len(sys.argv) > 3 else ""
    page = [os.path.join(folder, f) for f in ("index.html", "glorbs3d.js", "glorbs3d.wasm", "glorbs3d.data")]
    if not all(os.path.exists(p) for p in page):
        print("SKIP: no web page in %s: run scripts/web-deps.sh, then scripts/web-build.sh" % folder)
        return SKIP
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    if not browser:
        print("SKIP: chromium is not installed: run scripts/web-deps.sh")
        return SKIP

    def save(name, png):
        if keep:
            os.makedirs(keep, exist_ok=True)
            with open(os.path.join(keep, name + ".png"), "wb") as f:
                f.write(png)

    server = serve(folder)
    profile = tempfile.mkdtemp(prefix="glorbs3d-web-")
    process = None
    try:
        process, url = start_chromium(browser, profile)
        tools = DevTools(url)
        tools.call("Runtime.enable")
        tools.call("Page.enable")
        tools.call("Page.navigate", url="http://127.0.0.1:%d/index.html" % server.server_address[1])

        # 1. The splash, once the data is loaded and the game draws.
        deadline = time.time() + 180
        settled = False
        while time.time() < deadline:
            if frames(tools) > 0:
                png = canvas_shot(tools)
                shot = decode_png(png)
                if splash_path:
                    good, total = splash_matches(shot, splash_path)
                    settled = good >= total * 0.9
                else:
                    good, total = sum(1 for r in shot[2][::16] for p in r[::16] if sum(p) > 60), 1
                    settled = good > 0
                if settled:
                    break
            time.sleep(0.5)
        if not settled:
            print("\n".join(tools.console[-20:]))
            fail("the page never showed the splash (frames drawn: %d)" % frames(tools))
        save("splash", png)
        print("splash: %d of %d sampled pixels match the picture (%dx%d canvas)" % (good, total, shot[0], shot[1]))

        # 2. A key leaves it; play shows HUD and sea floor.
        problem = "no key pressed yet"
        for _ in range(4):
            press(tools, " ", "Space", 32, " ")
            deadline = time.time() + 30
            while time.time() < deadline:
                png = canvas_shot(tools)
                shot = decode_png(png)
                problem = play_problem(shot)
                if problem is None:
                    break
                time.sleep(0.5)
            if problem is None:
                break
        if problem:
            save("unlike", png)
            print("\n".join(tools.console[-20:]))
            fail("play did not show: " + problem)
        save("play", png)
        print("play: HUD and sea floor shown")

        # 3. It moves (turning, the whole sea floor turns), and the frame rate.
        start_frames, start = frames(tools), time.time()
        turn = {"key": "j", "code": "KeyJ", "windowsVirtualKeyCode": 74, "nativeVirtualKeyCode": 74}
        tools.call("Input.dispatchKeyEvent", type="keyDown", text="j", **turn)
        time.sleep(3)
        later_png = canvas_shot(tools)
        tools.call("Input.dispatchKeyEvent", type="keyUp", **turn)
        time.sleep(2)
        later = decode_png(later_png)
        fps = (frames(tools) - start_frames) / (time.time() - start)
        moved = differing(shot, later)
        save("play-later", later_png)
        if moved < 20:
            fail("the picture did not move in play (%d samples changed)" % moved)
        print("ok: the page plays: %d samples moved; %.1f frames a second in headless chromium" % (moved, fps))
        # Play asks for pointer lock (mouse steering); browsers grant it only
        # after a click on the page, which this test does not make.
        errors = [line for line in tools.console
                  if ("exception" in line or "Aborted" in line) and "pointer lock" not in line]
        if errors:
            fail("the page reported errors:\n" + "\n".join(errors[:10]))

        # 4. Alt+Enter is the page's: the browser's full screen, the game
        # keeps playing in a 4:3 canvas.
        enter = {"key": "Enter", "code": "Enter", "windowsVirtualKeyCode": 13, "nativeVirtualKeyCode": 13,
                 "modifiers": 1}
        tools.call("Input.dispatchKeyEvent", type="keyDown", **enter)
        tools.call("Input.dispatchKeyEvent", type="keyUp", **enter)
        deadline = time.time() + 10
        while tools.evaluate("!!document.fullscreenElement") is not True:
            if time.time() > deadline:
                fail("Alt+Enter did not make the page full screen")
            time.sleep(0.2)
        before = frames(tools)
        time.sleep(2)
        shape = tools.evaluate("(() => { const r = document.getElementById('canvas').getBoundingClientRect();"
                               " return r.width / r.height; })()")
        if frames(tools) <= before or abs(shape - 4 / 3) > 0.02:
            fail("in full screen the game stopped or lost its shape (width / height %.3f)" % shape)
        print("ok: Alt+Enter made the page full screen; the game plays on at 4:3")

        # 5. The config folder survives a reload (the saved controls live there).
        path = "/home/web_user/.config/glorbs3d/web-test.txt"
        tools.call("Runtime.evaluate", awaitPromise=True,
                   expression="FS.writeFile('%s', 'kept'); new Promise(r => FS.syncfs(false, r))" % path)
        tools.evaluate("window.glorbsOldPage = true")
        tools.call("Page.reload")
        deadline = time.time() + 180
        tools.navigating = True
        while tools.evaluate("!window.glorbsOldPage && window.glorbsFrames > 0") is not True:
            if time.time() > deadline:
                fail("the page did not start again after a reload")
            time.sleep(0.5)
        tools.navigating = False
        kept = tools.evaluate("(() => { try { return FS.readFile('%s', {encoding: 'utf8'}); }"
                              " catch (e) { return String(e); } })()" % path)
        if kept != "kept":
            fail("a file in the config folder did not survive a reload: %r" % kept)
        print("ok: the config folder kept its file across a reload")

        # 6. A recorded game plays back in the page, as fast as it goes.
        tools.console.clear()
        tools.navigating = True
        tools.call("Page.navigate", url="http://127.0.0.1:%d/index.html?replay=replays/combat.glrp&speed=max"
                   % server.server_address[1])
        deadline = time.time() + 400
        verdict = None
        while verdict is None:
            if time.time() > deadline:
                print("\n".join(tools.console[-20:]))
                fail("the replay did not end in the page (frames drawn: %d)" % frames(tools))
            time.sleep(1)
            frames(tools)  # a call, so that the page's console messages arrive
            for line in tools.console:
                if "replay played to its end" in line:
                    verdict = line
                elif "glorbs3d:" in line and ("replay" in line or "diverged" in line):
                    print("\n".join(tools.console[-20:]))
                    fail("the replay did not play back in the page: " + line)
        tools.navigating = False
        print("ok: in the page, " + verdict[verdict.index("replay"):])
    finally:
        if process:
            with contextlib.suppress(ProcessLookupError):
                os.killpg(process.pid, signal.SIGTERM)
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        server.shutdown()
        shutil.rmtree(profile, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
