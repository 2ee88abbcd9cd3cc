#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End to end at a 10 ms scan (or the one given): the simulated game, a server instance and a
client instance on loopback, both with their windows shown, for a set time. Prints CPU (percent of one core) and peak memory of each instance,
the samples the server acquired, the frames the client received and displayed, and the
latency from the server's acquisition to the client's display (from the two CSV logs)."""

import os
import signal
import subprocess
import sys
import tempfile
import time

from measure import cpu_seconds, free_port, memory_kilobytes, rows

build = sys.argv[1] if len(sys.argv) > 1 else "build/bench"
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 30
scan_ms = int(sys.argv[3]) if len(sys.argv) > 3 else 10
ostrelo = os.path.join(build, "src/app/ostrelo")
simgame = os.path.join(build, "tools/simgame/ostrelo-simgame")


def peak_kilobytes(pid):
    return memory_kilobytes(pid, "VmHWM")


def log_rows(path):
    return rows(path)[1:]


work = tempfile.mkdtemp()
port = free_port()
with open(f"{work}/server.ini", "w") as ini:
    ini.write(f"[Opcions]\nTipusConexio=1\nScanTime={scan_ms}\nPort={port}\n")
with open(f"{work}/client.ini", "w") as ini:
    ini.write(f"[Opcions]\nTipusConexio=2\nScanTime={scan_ms}\nIP=127.000.000.001\n"
              f"Port={port}\n")

qt = ["-platform", "offscreen"]
game = subprocess.Popen([simgame], stdout=subprocess.DEVNULL)
time.sleep(1)
server = subprocess.Popen([ostrelo, *qt, "--config", f"{work}/server.ini", "--log",
                           f"{work}/server.csv"], stderr=subprocess.DEVNULL)
client = subprocess.Popen([ostrelo, *qt, "--config", f"{work}/client.ini", "--log",
                           f"{work}/client.csv"], stderr=subprocess.DEVNULL)
# The attach takes 3.5 s; measure once frames flow.
deadline = time.time() + 20
while time.time() < deadline and len(log_rows(f"{work}/client.csv")) < min(10, 2000 // scan_ms):
    time.sleep(0.2)
start = {p.pid: cpu_seconds(p.pid) for p in (server, client)}
server_rows_before = len(log_rows(f"{work}/server.csv"))
client_rows_before = len(log_rows(f"{work}/client.csv"))
begin = time.time()
time.sleep(seconds)
elapsed = time.time() - begin
cpu = {p.pid: 100 * (cpu_seconds(p.pid) - start[p.pid]) / elapsed for p in (server, client)}
peak = {p.pid: peak_kilobytes(p.pid) / 1024 for p in (server, client)}
for process in (client, server, game):
    process.send_signal(signal.SIGTERM)
    process.wait()

server_rows = log_rows(f"{work}/server.csv")
client_rows = log_rows(f"{work}/client.csv")
acquired = len(server_rows) - server_rows_before
received = len(client_rows) - client_rows_before
sent_at = {}
for row in server_rows:
    sent_at.setdefault(tuple(row[2:-1]), []).append(int(row[0]))
latencies = []
for row in client_rows[client_rows_before:]:
    times = [t for t in sent_at.get(tuple(row[2:-1]), []) if t <= int(row[0])]
    if times:
        latencies.append(int(row[0]) - max(times))
latencies.sort()


def percentile(share):
    return latencies[min(len(latencies) - 1, int(share * len(latencies)))] if latencies else -1


print(f"e2e_seconds {elapsed:.1f}")
print(f"server_cpu_percent {cpu[server.pid]:.2f}")
print(f"server_cpu_us_per_sample {cpu[server.pid] / 100 * elapsed / max(1, acquired) * 1e6:.0f}")
print(f"client_cpu_percent {cpu[client.pid]:.2f}")
print(f"server_peak_mb {peak[server.pid]:.1f}")
print(f"client_peak_mb {peak[client.pid]:.1f}")
print(f"samples_acquired {acquired}")
print(f"frames_received_and_displayed {received}")
print(f"frames_matched {len(latencies)}")
print(f"latency_p50_ms {percentile(0.50)}")
print(f"latency_p99_ms {percentile(0.99)}")
