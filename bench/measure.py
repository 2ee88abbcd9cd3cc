# SPDX-License-Identifier: GPL-3.0-or-later
"""What the end-to-end measurements read off a running instance and its logs."""

import csv
import os
import socket
import subprocess
import time
import urllib.request

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """User and system time the process has used so far."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def memory_kilobytes(pid, field):
    """A line of /proc/PID/status in kB: "VmRSS" now, "VmHWM" at its peak."""
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def rows(path):
    """Every line of a CSV log, its header first; none when there is no log yet."""
    if not os.path.exists(path):
        return []
    with open(path, newline="", encoding="utf-8") as log:
        return list(csv.reader(log))


def serve(ostrelo, work, scan_ms, web, extra=()):
    """One instance reading the game at `scan_ms` with its web dashboard on `web` ([ADDRESS:]PORT
    on 127.0.0.1), its settings in `work`; returned once its page answers (at most 20 s)."""
    with open(f"{work}/Ostrelo.ini", "w") as ini:
        ini.write(f"[Opcions]\nScanTime={scan_ms}\nIdioma=English\n")
    server = subprocess.Popen([ostrelo, "--config", f"{work}/Ostrelo.ini", "--web", web, *extra],
                              stderr=subprocess.DEVNULL)
    port = web.rsplit(":", 1)[-1]
    deadline = time.time() + 20
    while time.time() < deadline:
        try:
            urllib.request.urlopen(f"http://127.0.0.1:{port}/", timeout=1).read()
            break
        except OSError:
            time.sleep(0.2)
    return server


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]
