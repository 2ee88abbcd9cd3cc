#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A long race, accelerated: the simulated game races for RACE_MINUTES of game time at SPEED
times real time, read at a 10 ms scan by a server that logs, records, keeps the lap history
and serves the web dashboard to three viewers, with a client connected to it that logs too.
Afterwards it checks that no sample was lost between server and client, that every lap is in
the history, that the log and the recording hold every sample, and that the resident memory
of each instance stayed flat after warm-up. Prints one "name value" line per figure and
"soak passed" or the failures; exits 1 on a failure.

Usage: soak.py BUILD_DIR RACE_MINUTES SPEED [--timeline FILE.csv] [--plot FILE.png]
Needs an X server (DISPLAY): run it under xvfb-run."""

import base64
import csv
import os
import shutil
import signal
import socket
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import threading
import time

from measure import cpu_seconds, free_port, memory_kilobytes, rows

build, race_minutes, speed = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
options = dict(zip(sys.argv[4::2], sys.argv[5::2]))
ostrelo = os.path.join(build, "src/app/ostrelo")
simgame = os.path.join(build, "tools/simgame/ostrelo-simgame")
seconds = race_minutes * 60 / speed
failures = []


def check(condition, text):
    if not condition:
        failures.append(text)


def viewer(port, query, counts, key, stop):
    """A browser's part, by hand: the WebSocket handshake, then every text message read."""
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=5) as sock:
            nonce = base64.b64encode(os.urandom(16)).decode()
            sock.sendall((f"GET /live?{query} HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\n"
                          "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                          f"Sec-WebSocket-Key: {nonce}\r\nSec-WebSocket-Version: 13\r\n\r\n")
                         .encode())
            data = b""
            while b"\r\n\r\n" not in data:
                data += sock.recv(4096)
            head, data = data.split(b"\r\n\r\n", 1)
            if b" 101 " not in head.split(b"\r\n")[0]:
                counts[key] = -1
                return

            def take(count):
                nonlocal data
                while len(data) < count:
                    more = sock.recv(65536)
                    if not more:
                        raise ConnectionError("closed")
                    data += more
                piece, data = data[:count], data[count:]
                return piece

            while not stop.is_set():
                first, second = take(2)
                length = second & 0x7F
                if length == 126:
                    length = int.from_bytes(take(2), "big")
                elif length == 127:
                    length = int.from_bytes(take(8), "big")
                take(length)
                if first & 0x0F == 1:
                    counts[key] += 1
                elif first & 0x0F == 8:
                    break
    except (OSError, ConnectionError):
        if not stop.is_set():
            counts[key + " dropped"] = 1


def recorded_samples(path):
    """The samples of a session file, checked record by record; None where it is damaged."""
    with open(path, "rb") as session:
        data = session.read()
    if not data.startswith(b"OSTRELO-SESSION\n"):
        return None
    at = data.index(b"\n\n", 16) + 2
    count = 0
    while at < len(data):
        kind = data[at]
        length, shift, at = 0, 0, at + 1
        while True:
            byte = data[at]
            at += 1
            length |= (byte & 0x7F) << shift
            shift += 7
            if byte < 0x80:
                break
        payload = data[at:at + length]
        a = b = 0
        for byte in payload:
            a = (a + byte) % 255
            b = (b + a) % 255
        if len(payload) != length or data[at + length:at + length + 2] != bytes([a, b]):
            return None
        at += length + 2
        count += kind in (1, 2)
    return count


work = tempfile.mkdtemp()
port, web_port = free_port(), free_port()
with open(f"{work}/server.ini", "w") as ini:
    ini.write(f"[Opcions]\nTipusConexio=1\nScanTime=10\nPort={port}\n")
with open(f"{work}/client.ini", "w") as ini:
    ini.write(f"[Opcions]\nTipusConexio=2\nScanTime=10\nIP=127.000.000.001\nPort={port}\n")


def environment(name):
    return dict(os.environ, XDG_DATA_HOME=f"{work}/{name}-data")


qt = ["-platform", "offscreen"]
game = subprocess.Popen([simgame, "--speed", str(speed)], stdout=subprocess.DEVNULL)
time.sleep(1)
server = subprocess.Popen([ostrelo, *qt, "--config", f"{work}/server.ini", "--log",
                           f"{work}/server.csv", "--record", f"{work}/race.ostrelo", "--web",
                           f"127.0.0.1:{web_port}"], stderr=subprocess.DEVNULL,
                          env=environment("server"))
client = subprocess.Popen([ostrelo, *qt, "--config", f"{work}/client.ini", "--log",
                           f"{work}/client.csv"], stderr=subprocess.DEVNULL,
                          env=environment("client"))
# The attach takes about 3.5 s; the race is measured once frames flow.
deadline = time.time() + 30
while time.time() < deadline and len(rows(f"{work}/client.csv")) < 10:
    time.sleep(0.2)
check(len(rows(f"{work}/client.csv")) >= 10, "the client never received a sample")

stop = threading.Event()
counts = {}
viewers = []
for query in ("lang=English", "lang=Deutsch&units=Imperial", "lang=Espa%C3%B1ol"):
    counts[query] = 0
    viewers.append(threading.Thread(target=viewer, args=(web_port, query, counts, query, stop),
                                    daemon=True))
    viewers[-1].start()

processes = {"server": server, "client": client, "game": game}
timeline = []
begin = time.time()
last = {name: cpu_seconds(p.pid) for name, p in processes.items()}
while time.time() - begin < seconds:
    time.sleep(1)
    now = time.time() - begin
    point = {"t": now}
    for name, process in processes.items():
        spent = cpu_seconds(process.pid)
        point[f"{name}_cpu"] = 100 * (spent - last[name])
        point[f"{name}_rss_mb"] = memory_kilobytes(process.pid, "VmRSS") / 1024
        last[name] = spent
    timeline.append(point)

# The game ends first, so that the client takes every sample the server sent before the
# server and the client are closed.
game.send_signal(signal.SIGTERM)
game.wait()
time.sleep(1.5)
stop.set()
for process in (client, server):
    process.send_signal(signal.SIGTERM)
for process in (client, server):
    process.wait(timeout=20)

server_rows = rows(f"{work}/server.csv")
client_rows = rows(f"{work}/client.csv")
header = server_rows[0] if server_rows else []
server_rows, client_rows = server_rows[1:], client_rows[1:]
# Every value and the status, without the time and the source.
server_values = [tuple(row[2:]) for row in server_rows]
client_values = [tuple(row[2:]) for row in client_rows]
# The client must hold every sample the server acquired from its first received to its last;
# what the server read after that, while the game and the link were being closed, is counted
# apart (the very last read of an exiting game gives a frame of no use to anyone).
first = server_values.index(client_values[0]) if client_values and \
    client_values[0] in server_values else -1
check(first >= 0, "the client's first sample is not one the server acquired")
sent = server_values[first:first + len(client_values)] if first >= 0 else []
lost = sum(1 for a, b in zip(sent, client_values) if a != b) + len(client_values) - len(sent)
check(client_values == sent, f"the client's samples differ from the server's ({lost} lost)")
after_last = len(server_values) - first - len(client_values) if first >= 0 else 0
check(after_last <= 5, f"{after_last} samples acquired after the client's last")

lap_column = header.index("LapNumber") if "LapNumber" in header else -1
laps_seen = sorted({int(row[lap_column]) for row in server_rows}) if lap_column >= 0 else []
# A lap is complete when the next one was seen, and whole when the one before was seen too
# (the server may start in the middle of one); the game's lap time comes a few samples late.
completed = set(laps_seen[1:-1])
if server_rows and lap_column >= 0:
    tail = [int(row[lap_column]) for row in server_rows[-20:]]
    completed -= {lap for lap in completed if lap + 1 in tail and tail.count(lap + 1) < 15}
history = f"{work}/server-data/Ostrelo/history.sqlite"
stored = set()
if os.path.exists(history):
    with sqlite3.connect(history) as db:
        stored = {number for (number,) in db.execute("SELECT number FROM laps")}
missing = sorted(completed - stored)
check(not missing, f"laps missing from the history: {missing}")
check(len(stored) >= 10, f"only {len(stored)} laps in the history")

recorded = recorded_samples(f"{work}/race.ostrelo")
check(recorded is not None, "the recording is damaged")
check(recorded == len(server_rows),
      f"the recording holds {recorded} samples, the log {len(server_rows)}")
for query in counts:
    check(not query.endswith("dropped"), f"viewer {query.split()[0]} was dropped")
    check(query.endswith("dropped") or counts[query] > seconds * 20,
          f"viewer {query} had {counts[query]} messages")

quarter = max(1, len(timeline) // 4)
for name in processes:
    before = statistics.median(p[f"{name}_rss_mb"] for p in timeline[:quarter])
    after = statistics.median(p[f"{name}_rss_mb"] for p in timeline[-quarter:])
    cpu = statistics.mean(p[f"{name}_cpu"] for p in timeline)
    print(f"{name}_rss_first_quarter_mb {before:.1f}")
    print(f"{name}_rss_last_quarter_mb {after:.1f}")
    print(f"{name}_cpu_percent {cpu:.2f}")
    if name != "game":
        check(after - before < 2, f"{name} memory grew {after - before:.1f} MB")

print(f"race_minutes {race_minutes:g}")
print(f"speed {speed:g}")
print(f"seconds {seconds:.0f}")
print(f"samples_acquired {len(server_rows)}")
print(f"samples_received {len(client_values)}")
print(f"samples_lost {lost}")
print(f"samples_after_the_last_received {after_last}")
print(f"laps_completed {len(completed)}")
print(f"laps_in_history {len(stored)}")
print(f"samples_recorded {recorded}")
print(f"recording_mb {os.path.getsize(f'{work}/race.ostrelo') / 1e6:.1f}")
for query, count in counts.items():
    print(f"viewer_messages {count} {query}")

if "--timeline" in options:
    with open(options["--timeline"], "w", newline="") as out:
        writer = csv.DictWriter(out, fieldnames=list(timeline[0]))
        writer.writeheader()
        writer.writerows(timeline)
if "--plot" in options and "--timeline" in options and shutil.which("gnuplot"):
    script = f"""
set terminal pngcairo size 1000,700 font "DejaVu Sans,10"
set output "{options['--plot']}"
set datafile separator ","
set key top left
set multiplot layout 2,1 title "Soak: {race_minutes:g} minutes of racing at {speed:g}x"
set ylabel "resident memory (MB)"
plot "{options['--timeline']}" using 1:3 with lines lw 2 title "server", \\
     "" using 1:5 with lines lw 2 title "client"
set xlabel "seconds"
set ylabel "CPU (% of a core)"
plot "{options['--timeline']}" using 1:2 with lines title "server", \\
     "" using 1:4 with lines title "client", "" using 1:6 with lines title "simulated game"
unset multiplot
"""
    subprocess.run(["gnuplot"], input=script.encode(), check=True)

shutil.rmtree(work, ignore_errors=True)
for failure in failures:
    print(f"FAILED: {failure}")
print("soak passed" if not failures else "soak failed")
sys.exit(1 if failures else 0)
