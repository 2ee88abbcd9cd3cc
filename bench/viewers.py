#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What browsers cost the server, and how long a sample takes to reach their screens: the
simulated game and one server instance (window shown, web dashboard on every address) at a
scan (default 10 ms), measured for a set time with 0, 1, 8 and 16 viewers. The viewers are
pages of one headless chromium, driven over its DevTools pipe, each a window of its own on
the full page; four come from each loopback address (127.0.0.2, .3, ...), as the server
serves at most four viewers from one address. Each page keeps, for every sample, the time
from its read in the server to the frame that drew it; their p50 and p99 are printed with
the server's CPU (percent of one core) and chromium's.

Usage: viewers.py BUILD_DIR [SECONDS] [SCAN_MS] [COUNTS, default 0,1,8,16]"""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from measure import cpu_seconds, free_port, serve

build = sys.argv[1] if len(sys.argv) > 1 else "build/bench"
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 30
scan_ms = int(sys.argv[3]) if len(sys.argv) > 3 else 10
counts = [int(n) for n in (sys.argv[4] if len(sys.argv) > 4 else "0,1,8,16").split(",")]
ostrelo = os.path.join(build, "src/app/ostrelo")
simgame = os.path.join(build, "tools/simgame/ostrelo-simgame")


class Chromium:
    """One headless chromium driven over --remote-debugging-pipe (fd 3 in, fd 4 out)."""

    def __init__(self, profile):
        to_chromium, self.commands = os.pipe()
        self.answers, from_chromium = os.pipe()

        def pipes():
            # Copied out of the way first: either end may be 3 or 4 already.
            reading, writing = os.dup(to_chromium), os.dup(from_chromium)
            os.dup2(reading, 3)
            os.dup2(writing, 4)

        self.process = subprocess.Popen(
            ["chromium", "--headless=new", "--no-sandbox", "--disable-gpu",
             "--remote-debugging-pipe", f"--user-data-dir={profile}", "--window-size=1024,768",
             "about:blank"],
            close_fds=False, preexec_fn=pipes,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_chromium)
        os.close(from_chromium)
        self.next_id = 0
        self.pending = b""

    def call(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.commands, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self.pending:
                chunk = os.read(self.answers, 65536)
                if not chunk:
                    raise RuntimeError("chromium ended")
                self.pending += chunk
            text, self.pending = self.pending.split(b"\0", 1)
            answer = json.loads(text)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError(f"{method}: {answer['error']}")
                return answer["result"]

    def open(self, url):
        target = self.call("Target.createTarget", {"url": url, "newWindow": True})["targetId"]
        return self.call("Target.attachToTarget", {"targetId": target, "flatten": True})[
            "sessionId"]

    def evaluate(self, session, expression):
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True},
                           session)
        return result["result"].get("value")

    def close(self):
        self.process.send_signal(signal.SIGTERM)
        self.process.wait()


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))] if ordered else float("nan")


def measure(viewers):
    work = tempfile.mkdtemp()
    port = free_port()
    server = serve(ostrelo, work, scan_ms, str(port))
    browser = Chromium(f"{work}/profile") if viewers else None
    sessions = [browser.open(f"http://127.0.0.{2 + i // 4}:{port}/?lang=English&latency")
                for i in range(viewers)]
    # The game's attach takes 3.5 s; the pages then connect and draw.
    time.sleep(8)
    for session in sessions:
        browser.evaluate(session, "ostreloLive.delays.length = 0")
    start = cpu_seconds(server.pid)
    browser_start = chromium_cpu(browser)
    begin = time.time()
    time.sleep(seconds)
    elapsed = time.time() - begin
    cpu = 100 * (cpu_seconds(server.pid) - start) / elapsed
    browser_cpu = 100 * (chromium_cpu(browser) - browser_start) / elapsed
    delays = []
    for session in sessions:
        delays += browser.evaluate(session, "ostreloLive.delays") or []
    if browser:
        browser.close()
    server.send_signal(signal.SIGTERM)
    server.wait()
    shutil.rmtree(work, ignore_errors=True)
    line = f"viewers_{viewers}_server_cpu_percent {cpu:.2f}"
    if viewers:
        line += (f"\nviewers_{viewers}_chromium_cpu_percent {browser_cpu:.1f}"
                 f"\nviewers_{viewers}_frames {len(delays)}"
                 f"\nviewers_{viewers}_latency_p50_ms {percentile(delays, 0.5):.1f}"
                 f"\nviewers_{viewers}_latency_p99_ms {percentile(delays, 0.99):.1f}")
    print(line, flush=True)


def chromium_cpu(browser):
    """CPU seconds of chromium and every process it started."""
    if not browser:
        return 0
    total = 0
    pending = [browser.process.pid]
    while pending:
        pid = pending.pop()
        try:
            total += cpu_seconds(pid)
            with open(f"/proc/{pid}/task/{pid}/children") as children:
                pending += [int(child) for child in children.read().split()]
        except OSError:
            pass
    return total


game = subprocess.Popen([simgame], stdout=subprocess.DEVNULL)
try:
    for count in counts:
        measure(count)
finally:
    game.send_signal(signal.SIGTERM)
    game.wait()
