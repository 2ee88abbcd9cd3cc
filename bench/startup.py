#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Start-up: from exec to the first painted window, for Ostrelo (a complete settings file, no
game running) and for a bare Qt window with one label (the floor), taken in turns. Prints the
medians in milliseconds and their ratio. Needs an X server (DISPLAY).

Usage: startup.py BUILD_DIR [RUNS]"""

import os
import statistics
import subprocess
import sys
import tempfile
import time

build = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
work = tempfile.mkdtemp()
ini = os.path.join(work, "Ostrelo.ini")
environment = dict(os.environ, OSTRELO_QUIT_AFTER_FIRST_PAINT="1",
                   XDG_DATA_HOME=os.path.join(work, "data"), QT_QPA_PLATFORM="xcb")
commands = {
    "ostrelo": [os.path.join(build, "src/app/ostrelo"), "--config", ini],
    "bare": [os.path.join(build, "bench/bench_bare_window")],
}


def first_paint_ms(command):
    begin = time.perf_counter()
    process = subprocess.Popen(command, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL,
                               env=environment, text=True)
    for line in process.stderr:
        if "first paint" in line:
            elapsed = (time.perf_counter() - begin) * 1000
            break
    else:
        elapsed = float("nan")
    process.wait()
    return elapsed


# The first start writes the settings file and the lap history: measure the ones after.
first_paint_ms(commands["ostrelo"])
times = {name: [] for name in commands}
for _ in range(runs):
    for name, command in commands.items():
        times[name].append(first_paint_ms(command))
ostrelo = statistics.median(times["ostrelo"])
bare = statistics.median(times["bare"])
print(f"startup_ms {ostrelo:.0f}")
print(f"bare_window_ms {bare:.0f}")
print(f"startup_ratio {ostrelo / bare:.2f}")
