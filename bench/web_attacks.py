#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The web dashboard's port under attack, on loopback: for each attack a fresh instance reads
the simulated game at a 50 ms scan (or the one given) with the web dashboard on, the attack runs for a set time,
and the script prints the instance's resident memory (before and at its peak during the
attack), the samples it read a second (from its CSV log), its CPU, and what the attack got.

Usage: web_attacks.py OSTRELO SIMGAME [SECONDS [SCAN_MS]] [ATTACK ...]
(10 seconds, a 50 ms scan and every attack unless told)
Needs an X server (DISPLAY): run it under xvfb-run."""

import base64
import os
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

from measure import cpu_seconds, free_port, memory_kilobytes, rows

ostrelo, simgame = sys.argv[1], sys.argv[2]
numbers = [a for a in sys.argv[3:5] if a.replace(".", "", 1).isdigit()]
seconds = float(numbers[0]) if numbers else 10
scan_ms = int(numbers[1]) if len(numbers) > 1 else 50
chosen = sys.argv[3 + len(numbers):]


def masked(first, payload):
    """A frame as a browser sends it."""
    mask = os.urandom(4)
    length = len(payload)
    head = bytes([first])
    if length < 126:
        head += bytes([0x80 | length])
    else:
        head += bytes([0x80 | 126]) + length.to_bytes(2, "big")
    return head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload))


def handshake(port, origin=None):
    key = base64.b64encode(os.urandom(16)).decode()
    extra = f"Origin: {origin}\r\n" if origin else ""
    return (f"GET /live?lang=English HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\n{extra}"
            "Upgrade: websocket\r\nConnection: Upgrade\r\n"
            f"Sec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n").encode()


def status_of(port, request, timeout=5):
    """The status line the server answers `request` with; "" for none."""
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=timeout) as sock:
            sock.sendall(request)
            data = b""
            while b"\r\n" not in data:
                more = sock.recv(4096)
                if not more:
                    break
                data += more
            return data.split(b"\r\n")[0].decode(errors="replace")
    except OSError:
        return ""


def flooder(port, frame, stop, figures, reconnect):
    """A viewer that sends `frame` as fast as the server takes it and reads nothing."""
    batch = frame * max(1, 65536 // len(frame))
    while not stop.is_set():
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1) as sock:
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
                sock.sendall(handshake(port))
                figures["connections"] = figures.get("connections", 0) + 1
                while not stop.is_set():
                    try:
                        figures["sent"] = figures.get("sent", 0) + sock.send(batch)
                    except socket.timeout:
                        continue
        except OSError:
            figures["dropped"] = figures.get("dropped", 0) + 1
        if not reconnect:
            return
        time.sleep(0.01)


def ping_flood(port, stop, figures, viewers=1):
    frame = masked(0x89, b"p" * 125)
    threads = [threading.Thread(target=flooder, args=(port, frame, stop, figures, True))
               for _ in range(viewers)]
    for thread in threads:
        thread.start()
    return threads


def message_flood(port, stop, figures):
    frame = masked(0x81, b"m" * 1024)
    threads = [threading.Thread(target=flooder, args=(port, frame, stop, figures, False))
               for _ in range(8)]
    for thread in threads:
        thread.start()
    return threads


def trickler(port, stop, figures):
    """A request head a header line a second, again when dropped."""
    while not stop.is_set():
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1) as sock:
                figures["connections"] = figures.get("connections", 0) + 1
                sock.sendall(b"GET / HTTP/1.1\r\nHost: x\r\n")
                while not stop.wait(1):
                    sock.sendall(b"X-a: b\r\n")
        except OSError:
            pass


def slow_loris(port, stop, figures):
    threads = [threading.Thread(target=trickler, args=(port, stop, figures)) for _ in range(64)]
    for thread in threads:
        thread.start()

    def browser():
        # 60 tries spread over the attack, each given 5 s.
        served = 0
        tries = 0
        while tries < 60 and not stop.is_set():
            tries += 1
            began = time.time()
            if status_of(port, b"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n") == \
                    "HTTP/1.1 200 OK":
                served += 1
            stop.wait(max(0.0, seconds / 60 - (time.time() - began)))
        figures["page_served"] = f"{served}/{tries}"

    threads.append(threading.Thread(target=browser))
    threads[-1].start()
    return threads


def unread_answers(port, stop, figures):
    """Requests whose answers are never read, 400 connections kept open, the oldest closed."""
    def run():
        held = []
        while not stop.is_set():
            try:
                sock = socket.create_connection(("127.0.0.1", port), timeout=1)
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
                sock.sendall(b"GET /car.png HTTP/1.1\r\nHost: x\r\n\r\n")
                held.append(sock)
                figures["requests"] = figures.get("requests", 0) + 1
            except OSError:
                pass
            if len(held) > 400:
                held.pop(0).close()
        for sock in held:
            sock.close()

    threads = [threading.Thread(target=run) for _ in range(4)]
    for thread in threads:
        thread.start()
    return threads


def other_origin(port, stop, figures):
    figures["other_origin"] = status_of(port, handshake(port, "http://attacker.example"))
    figures["own_origin"] = status_of(port, handshake(port, f"http://127.0.0.1:{port}"))
    socks = []
    accepted = 0
    for _ in range(17):
        sock = socket.create_connection(("127.0.0.1", port), timeout=5)
        sock.sendall(handshake(port))
        if sock.recv(4096).startswith(b"HTTP/1.1 101"):
            accepted += 1
        socks.append(sock)
    figures["viewers_from_one_address"] = f"{accepted}/17"
    stop.wait()
    for sock in socks:
        sock.close()
    return []


def start_thread(target, *args):
    thread = threading.Thread(target=target, args=args)
    thread.start()
    return [thread]


attacks = {
    "none": lambda port, stop, figures: [],
    "ping_flood": ping_flood,
    "ping_flood_16": lambda port, stop, figures: ping_flood(port, stop, figures, 16),
    "message_flood": message_flood,
    "slow_loris": slow_loris,
    "unread_answers": unread_answers,
    "other_origin": lambda port, stop, figures: start_thread(other_origin, port, stop, figures),
}


def run(name):
    work = tempfile.mkdtemp()
    port = free_port()
    with open(f"{work}/server.ini", "w") as ini:
        ini.write(f"[Opcions]\nScanTime={scan_ms}\n")
    env = dict(os.environ, XDG_DATA_HOME=f"{work}/data")
    game = subprocess.Popen([simgame], stdout=subprocess.DEVNULL)
    time.sleep(1)
    server = subprocess.Popen([ostrelo, "-platform", "offscreen", "--config",
                               f"{work}/server.ini", "--log", f"{work}/server.csv", "--web",
                               f"127.0.0.1:{port}"], stderr=subprocess.DEVNULL, env=env)
    log = f"{work}/server.csv"
    deadline = time.time() + 30
    while time.time() < deadline and len(rows(log)) < 20:
        time.sleep(0.2)
    stop = threading.Event()
    figures = {}
    rss_before = memory_kilobytes(server.pid, "VmRSS")
    rows_before = len(rows(log))
    cpu_before = cpu_seconds(server.pid)
    begin = time.time()
    threads = attacks[name](port, stop, figures)
    peak = rss_before
    while time.time() - begin < seconds:
        time.sleep(0.1)
        peak = max(peak, memory_kilobytes(server.pid, "VmRSS"))
    elapsed = time.time() - begin
    samples = (len(rows(log)) - rows_before) / elapsed
    cpu = 100 * (cpu_seconds(server.pid) - cpu_before) / elapsed
    stop.set()
    for thread in threads:
        thread.join(timeout=10)
    for process in (server, game):
        process.send_signal(signal.SIGTERM)
        process.wait(timeout=20)
    extra = " ".join(f"{key}={value}" for key, value in sorted(figures.items()))
    print(f"{name}: rss {rss_before / 1024:.1f} MB -> peak {peak / 1024:.1f} MB, "
          f"{samples:.1f} samples/s, cpu {cpu:.0f} % | {extra}", flush=True)


for attack in chosen or attacks:
    run(attack)
