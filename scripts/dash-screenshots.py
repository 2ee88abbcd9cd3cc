#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Saves pictures of the phone dash from a running Ostrelo: opens URL in headless chromium at
each screen size once the page shows live samples, through chromium's DevTools protocol.
Usage: scripts/dash-screenshots.py URL OUT_PREFIX"""
import base64, json, os, re, socket, struct, subprocess, sys, tempfile, time


class DevTools:
    def __init__(self, url):
        host, port, path = re.match(r"ws://([^:/]+):(\d+)(/.*)", url).groups()
        self.sock = socket.create_connection((host, int(port)))
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET {path} HTTP/1.1\r\nHost: {host}:{port}\r\nUpgrade: websocket\r\n"
                           f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                           "Sec-WebSocket-Version: 13\r\n\r\n").encode())
        head = b""
        while b"\r\n\r\n" not in head:
            head += self.sock.recv(1)
        self.last = 0
        self.session = None

    def _recv(self, n):
        data = b""
        while len(data) < n:
            data += self.sock.recv(n - len(data))
        return data

    def _message(self):
        payload = b""
        while True:
            first, second = self._recv(2)
            length = second & 0x7F
            if length == 126:
                length = struct.unpack(">H", self._recv(2))[0]
            elif length == 127:
                length = struct.unpack(">Q", self._recv(8))[0]
            payload += self._recv(length)
            if first & 0x80:
                return json.loads(payload)

    def call(self, method, params=None, in_page=True):
        self.last += 1
        command = {"id": self.last, "method": method, "params": params or {}}
        if in_page and self.session:
            command["sessionId"] = self.session
        data = json.dumps(command).encode()
        mask = os.urandom(4)
        header = bytes([0x81])
        if len(data) < 126:
            header += bytes([0x80 | len(data)])
        else:
            header += bytes([0x80 | 126]) + struct.pack(">H", len(data))
        self.sock.sendall(header + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))
        while True:
            answer = self._message()
            if answer.get("id") == self.last:
                return answer.get("result", {})

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True})
        return result.get("result", {}).get("value")


def main():
    url, prefix = sys.argv[1], sys.argv[2]
    profile = tempfile.mkdtemp()
    browser = subprocess.Popen(["chromium", "--headless=new", "--no-sandbox", "--disable-gpu",
                                "--hide-scrollbars", f"--user-data-dir={profile}",
                                "--remote-debugging-port=0", "about:blank"],
                               stderr=subprocess.PIPE, text=True)
    address = None
    while address is None:
        line = browser.stderr.readline()
        found = re.search(r"DevTools listening on (ws://\S+)", line)
        address = found and found.group(1)
    tools = DevTools(address)
    page = next(t for t in tools.call("Target.getTargets", in_page=False)["targetInfos"]
                if t["type"] == "page")
    tools.session = tools.call("Target.attachToTarget",
                               {"targetId": page["targetId"], "flatten": True},
                               in_page=False)["sessionId"]
    for width, height, name in [(844, 390, "landscape"), (390, 844, "portrait")]:
        tools.call("Emulation.setDeviceMetricsOverride",
                   {"width": width, "height": height, "deviceScaleFactor": 1,
                    "mobile": width < height})
        tools.call("Page.navigate", {"url": url})
        for _ in range(200):
            if tools.evaluate("!document.body.classList.contains('stale') && "
                              "document.querySelector('.tile.gear .v') !== null"):
                break
            time.sleep(0.1)
        time.sleep(1)
        shot = tools.call("Page.captureScreenshot", {"format": "png"})
        with open(f"{prefix}-{name}.png", "wb") as out:
            out.write(base64.b64decode(shot["data"]))
        print(f"saved {prefix}-{name}.png")
    tools.call("Browser.close", in_page=False)
    browser.wait()


if __name__ == "__main__":
    main()
