#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What each way of looking at the dashboard adds at a scan (default 10 ms): the simulated game
and one server instance with its window shown and the web dashboard on, measured for a set
time with no viewer, with one headless chromium on the full page, one on the phone dash, and
with the overlays shown (no viewer). Prints the server's CPU (percent of one core) in each."""

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
ostrelo = os.path.join(build, "src/app/ostrelo")
simgame = os.path.join(build, "tools/simgame/ostrelo-simgame")


def measure(name, extra, page):
    work = tempfile.mkdtemp()
    port = free_port()
    server = serve(ostrelo, work, scan_ms, f"127.0.0.1:{port}", extra)
    viewer = None
    if page is not None:
        viewer = subprocess.Popen(["chromium", "--headless=new", "--no-sandbox", "--disable-gpu",
                                   f"--user-data-dir={work}/profile", "--window-size=844,390",
                                   f"http://127.0.0.1:{port}{page}?lang=English"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # The game's attach takes 3.5 s; the page then connects.
    time.sleep(8)
    start = cpu_seconds(server.pid)
    begin = time.time()
    time.sleep(seconds)
    cpu = 100 * (cpu_seconds(server.pid) - start) / (time.time() - begin)
    for process in (viewer, server):
        if process:
            process.send_signal(signal.SIGTERM)
            process.wait()
    shutil.rmtree(work, ignore_errors=True)
    print(f"{name}_cpu_percent {cpu:.2f}", flush=True)


game = subprocess.Popen([simgame], stdout=subprocess.DEVNULL)
time.sleep(1)
try:
    measure("alone", [], None)
    measure("page", [], "/")
    measure("dash", [], "/dash")
    measure("overlay", ["--overlay"], None)
finally:
    game.send_signal(signal.SIGTERM)
    game.wait()
