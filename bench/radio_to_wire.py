#!/usr/bin/env python3
"""How long the simulated station takes to put a change on the amplifier wire.

    bench/radio_to_wire.py [--moves N] [--programs DIR] [--no-bank]

Starts the amplifier emulator, the FT-817 emulator and the station (real
time) under a run root of its own, on a bank that follows the FT-817, waits
for the start-up, then moves the radio N times within the 20 m band, each
time at a random point of the station's cycles. A move's time runs from the
control command to the FT-817 emulator to the moment the amplifier emulator
has received the new frequency ("FA...;"), and to the first tune word
("MT1...;") after it when the move sends one. The emulator's list of received
payloads is read every millisecond, so each figure may be up to about 1 ms late.

Then a remote client logs in and sends the bank command ("QELTBANK") N times;
a bank's time runs from the client's sending to the first command the new
bank puts on the wire (any but the two polls; the banks differ in the 20 m
antenna).

Prints a line per move and then key=value lines, for other scripts to take:
  radio_to_wire_ms_median=X  radio_to_wire_ms_max=X  radio_to_wire_moves=N
  radio_to_tune_word_ms_median=X  radio_to_tune_word_ms_max=X  (moves with a tune word)
  bank_to_wire_ms_median=X  bank_to_wire_ms_max=X  bank_to_wire_commands=N
Run from the repository after a release build; exits 1 when a move never
reaches the wire.
"""
import argparse
import os
import random
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

READY_SECONDS = 10
START_SECONDS = 90
MOVE_SECONDS = 5
PASS = "Bench7"


def ask(path, line, timeout=5.0):
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as channel:
        channel.settimeout(timeout)
        channel.connect(path)
        channel.sendall(line.encode() + b"\n")
        answer = b""
        while not answer.endswith(b"\n"):
            part = channel.recv(65536)
            if not part:
                break
            answer += part
    return answer.decode().strip()


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Run:
    def __init__(self, programs):
        self.programs = programs
        self.root = tempfile.mkdtemp(prefix="brisel-wire-")
        self.processes = []
        self.port = free_port()

    def start(self, name, ready=None):
        out = open(os.path.join(self.root, name + ".out"), "w")
        err = open(os.path.join(self.root, name + ".log"), "w")
        process = subprocess.Popen([os.path.join(self.programs, "brisel-" + name if name != "brisel" else name),
                                    "--root", self.root], stdout=out, stderr=err)
        self.processes.append(process)
        if ready is None:
            return process
        deadline = time.monotonic() + READY_SECONDS
        while time.monotonic() < deadline:
            with open(out.name) as text:
                if ready in text.read():
                    return process
            if process.poll() is not None:
                break
            time.sleep(0.05)
        sys.exit(f"{name} did not become ready; see {err.name}")

    def socket(self, name):
        return os.path.join(self.root, "run", name + ".sock")

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.send_signal(signal.SIGINT if process.args[0].endswith("brisel") else signal.SIGTERM)
        for process in reversed(self.processes):
            try:
                process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        shutil.rmtree(self.root, ignore_errors=True)


def received(run):
    return ask(run.socket("amp-emulator"), "received").split()[1:]


def wait_for(run, condition, seconds, pause=0.001):
    """The payload list once condition(list) holds, and the time then; None on time-out."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        payloads = received(run)
        now = time.monotonic()
        if condition(payloads):
            return payloads, now
        time.sleep(pause)
    return None, None


def measure_moves(run, moves):
    radio = run.socket("ft817-emulator")
    ask(radio, "freq 14250000")
    payloads, _ = wait_for(run, lambda p: "FA00014250000;" in p, START_SECONDS, 0.2)
    if payloads is None:
        sys.exit("the station never sent the radio's frequency to the amplifier")
    time.sleep(1)
    to_wire, to_tune = [], []
    for move in range(moves):
        hertz = 14_010_000 + 7_000 * move
        fa = f"FA{hertz:011d};"
        ask(run.socket("amp-emulator"), "clear-received")
        start = time.monotonic()
        ask(radio, f"freq {hertz}")
        payloads, at = wait_for(run, lambda p: fa in p, MOVE_SECONDS)
        if payloads is None:
            print(f"move {move + 1}: {hertz} Hz never reached the wire")
            return None
        to_wire.append((at - start) * 1000)
        # The band's commands follow the frequency one per status poll; the tune word is the last.
        after, at = wait_for(run, lambda p: any(x.startswith("MT1") for x in p[p.index(fa):]), 0.5)
        line = f"move {move + 1}: {hertz} Hz on the wire after {to_wire[-1]:.1f} ms"
        if after is not None:
            to_tune.append((at - start) * 1000)
            line += f", tune word after {to_tune[-1]:.1f} ms"
        print(line)
        time.sleep(random.uniform(0.2, 0.3))
    return to_wire, to_tune


def measure_banks(run, count):
    times = []
    for command in range(count):
        ask(run.socket("amp-emulator"), "clear-received")
        client = subprocess.Popen(["stdbuf", "-oL", os.path.join(run.programs, "brisel-remote"), "--port",
                                   str(run.port), "--pass", PASS, "--count", "3", "--command", "QELTBANK"],
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        # The client sends its commands as soon as it has printed the first status record.
        start = None
        for line in client.stdout:
            if line.startswith("ST "):
                start = time.monotonic()
                break
        payloads, at = (None, None) if start is None else wait_for(
            run, lambda p: any(x not in ("ST;", "FM;") for x in p), MOVE_SECONDS)
        client.stdout.read()
        client.wait(timeout=30)
        if payloads is None:
            print(f"bank {command + 1}: never reached the wire")
            continue
        times.append((at - start) * 1000)
        first = next(x for x in payloads if x not in ("ST;", "FM;"))
        print(f"bank {command + 1}: {first} on the wire {times[-1]:.1f} ms after the command")
        time.sleep(random.uniform(0.2, 0.3))
    return times


def figures(name, values):
    if not values:
        return [f"{name}_count=0"]
    return [f"{name}_median={statistics.median(values):.1f}", f"{name}_max={max(values):.1f}"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--moves", type=int, default=20)
    parser.add_argument("--programs", default="build/release")
    parser.add_argument("--no-bank", action="store_true")
    args = parser.parse_args()
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    run = Run(args.programs)
    try:
        os.makedirs(os.path.join(run.root, "opt/set"))
        for name, antenna in (("antenna", 2), ("antenna_b1", 3), ("antenna_b2", 1)):
            with open(os.path.join(run.root, f"opt/set/{name}.txt"), "w") as bank:
                bank.write(f"!817\n20m 14000000 14350000 1 {antenna} 0 0 0.0\n40m 7000000 7300000 1 3 0 0 0.0\n")
        with open(os.path.join(run.root, "opt/set/setup.txt"), "w") as setup:
            setup.write(f"Passphrase: {PASS}\nTcpPort: {run.port}\nMAXbank: 3\n")
        run.start("amp-emulator", "amp-emulator ready")
        run.start("ft817-emulator", "ft817-emulator ready")
        run.start("brisel")
        moved = measure_moves(run, args.moves)
        if moved is None:
            return 1
        banks = [] if args.no_bank else measure_banks(run, args.moves)
    finally:
        run.stop()
    to_wire, to_tune = moved
    print("\n".join(figures("radio_to_wire_ms", to_wire)))
    print(f"radio_to_wire_moves={len(to_wire)}")
    print("\n".join(figures("radio_to_tune_word_ms", to_tune)))
    if not args.no_bank:
        print("\n".join(figures("bank_to_wire_ms", banks)))
        print(f"bank_to_wire_commands={len(banks)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
