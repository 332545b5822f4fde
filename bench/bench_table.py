#!/usr/bin/env python3
"""The one table of bench.sh: each figure beside its anchor, both taken from
one run of the benchmark program (its JSON output) and from the key=value
lines of the station's own measurements (bench/station_idle.sh and others). A figure that is missing reads "not
measured".

usage: bench_table.py BENCH_JSON KEY_LOG... [--out FILE]
"""
import json
import re
import sys

NOT_MEASURED = "not measured"
TO_US = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}


# What the benchmark program adds to a name after its arguments.
RUN_OPTIONS = re.compile(r"/(iterations|repeats|min_time|min_warmup_time|threads):[^/]*|/(real|manual)_time")


def load_runs(path):
    """Benchmark name (with its arguments) -> its entry: the median of
    repetitions when there are several, else the last run."""
    try:
        with open(path) as source:
            entries = json.load(source).get("benchmarks", [])
    except (OSError, ValueError):
        return {}
    runs = {}
    for entry in entries:
        name = RUN_OPTIONS.sub("", entry.get("run_name", entry.get("name", "")))
        if entry.get("run_type") == "aggregate":
            if entry.get("aggregate_name") == "median":
                runs[name] = dict(entry, median=True)
        elif not runs.get(name, {}).get("median"):
            runs[name] = entry
    return runs


def load_keys(path):
    """key=value lines of the idle station's report; its older plain lines
    give the CPU share and the peak memory too."""
    keys = {}
    try:
        with open(path) as source:
            lines = source.read().splitlines()
    except OSError:
        return keys
    for line in lines:
        match = re.fullmatch(r"\s*([A-Za-z_][\w.]*)=\s*(-?[0-9.]+)\s*", line)
        if match:
            keys[match.group(1)] = float(match.group(2))
            continue
        match = re.search(r"= ([0-9.]+) % of one core", line)
        if match:
            keys.setdefault("idle_cpu_percent", float(match.group(1)))
        match = re.search(r"Maximum resident set size \(kbytes\): ([0-9]+)", line)
        if match:
            keys.setdefault("idle_rss_kb", float(match.group(1)))
    return keys


def number(value, digits=2):
    return NOT_MEASURED if value is None else f"{value:.{digits}f}"


def ratio(value, anchor):
    if value is None or not anchor:
        return "—"
    return f"{value / anchor:.2f}×"


def time_us(run):
    if run is None or "real_time" not in run:
        return None
    return run["real_time"] * TO_US.get(run.get("time_unit", "ns"), 1e-3)


def counter(run, name):
    return None if run is None else run.get(name)


def benchmark_rows(runs):
    rows = []
    floor = runs.get("BM_FrameFloor")
    for name, label in (("BM_FrameMeterScreen", "Meter screen frame (µs)"),
                        ("BM_FrameMeterScreenMoving", "Meter screen frame, readings moving (µs)")):
        frame = runs.get(name)
        if frame is None and name != "BM_FrameMeterScreen":
            continue
        floors = counter(frame, "floors")
        rows.append((label, number(time_us(frame), 1), "three full-frame copies (µs)", number(time_us(floor), 1),
                     NOT_MEASURED if floors is None else f"{floors:.2f}×", "≤ 1.5×"))

    fft = runs.get("fftCalcAgainstFftw")
    own, fftw = counter(fft, "fftCalc_us"), counter(fft, "fftw_us")
    rows.append(("fftCalc, 4096 points (µs)", number(own, 1), "FFTW, same work (µs)", number(fftw, 1),
                 ratio(own, fftw), "≤ 1.3×"))

    tune = runs.get("BM_TuneQuality")
    swr, best = counter(tune, "mean_swr"), counter(tune, "mean_best_swr")
    rows.append(("Tune search, mean SWR at its end (22 loads)", number(swr), "exhaustive optimum, mean SWR",
                 number(best), ratio(swr, best), "—"))
    share = counter(tune, "within_0.1")
    rows.append(("Tune search, loads within 0.1 of the optimum", number(None if share is None else 100 * share, 0)
                 + ("" if share is None else " %"), "all loads", "100 %",
                 "—" if share is None else f"{share:.2f}×", "—"))

    status = runs.get("BM_RemoteStatusAtTheTickRate")
    records, tick = counter(status, "records_per_s"), counter(status, "tick_rate")
    rows.append(("Status records to the remote client (per s)", number(records, 1), "main loop tick rate (per s)",
                 number(tick, 1), ratio(records, tick), "25 a second (1.00×)"))

    playback = {n: r for n, r in runs.items() if n.startswith("BM_RemoteAudioClientToPlayback/")}
    if not playback:
        rows.append(("Remote audio client → playback (ms)", NOT_MEASURED, "ring depth asked for (ms)", NOT_MEASURED,
                     "—", "the least the depth allows"))
    for name in sorted(playback, key=lambda n: int(n.split("/")[1]) if n.split("/")[1].isdigit() else 0):
        run = playback[name]
        depth = counter(run, "ring_depth_ms")
        lost = counter(run, "marks_lost")
        note = f", {lost:.0f} of the marked chunks lost" if lost else ""
        for key, what in (("first_chunk_ms", "first chunk after login"),
                          ("before_wrap_ms", "before the ring's first wrap"),
                          ("latency_ms", "after it")):
            value = counter(run, key)
            rows.append((f"Remote audio client → playback, depth {number(depth, 0)} ms, {what} (ms)",
                         number(value, 1) + (note if key == "latency_ms" else ""), "ring depth asked for (ms)",
                         number(depth, 0), ratio(value, depth), "the least the depth allows"))
    capture = runs.get("BM_RemoteAudioCaptureToClient")
    value, chunk = counter(capture, "latency_ms"), counter(capture, "chunk_ms")
    rows.append(("Remote audio capture → client (ms)", number(value, 1), "one chunk (ms)", number(chunk, 0),
                 ratio(value, chunk), "the least the chunk allows"))
    return rows


# The figures of the station's own scripts (bench/station_idle.sh,
# bench/radio_to_wire.py) by the start of their keys; any other key they
# print is listed after them as it comes.
IDLE_FIGURES = [
    ("idle_cpu_percent", "Idle station, CPU (% of one core)", "≤ 2 %"),
    ("idle_rss_kb", "Idle station, peak resident memory (kB)", "≤ 24 MB"),
    ("idle_thread_percent", "Idle station, thread (% of one core)", "—"),
    ("radio_to_wire_ms", "Radio moves → frequency on the amplifier wire (ms)", "measured"),
    ("radio_to_tune_word_ms", "Radio moves → tune word on the amplifier wire (ms)", "≤ 60 ms"),
    ("bank_to_wire_ms", "Remote bank command → amplifier wire (ms)", "measured"),
]
ALWAYS_SHOWN = {"idle_cpu_percent", "idle_rss_kb", "radio_to_tune_word_ms", "bank_to_wire_ms"}

# The idle station's shares beside BM_IdlePollFloor's: threads that only wake
# at the rates the station's loops are bound to (its counter for each).
FLOOR = "wakeups alone at the loops' fixed rates (% of one core)"
FLOOR_COUNTERS = {
    "idle_cpu_percent": "floor_percent",
    "idle_thread_percent_GPIO": "panel_percent",
    "idle_thread_percent_Linear": "link_percent",
    "idle_thread_percent_timer": "tick_percent",
}


def idle_rows(keys, runs=None):
    floor = (runs or {}).get("BM_IdlePollFloor")
    rows = []
    shown = set()
    for key, label, goal in IDLE_FIGURES:
        matching = sorted(k for k in keys if k == key or k.startswith(key + "_") or k.startswith(key + "."))
        if not matching and key in ALWAYS_SHOWN:
            rows.append((label, NOT_MEASURED, "—", "—", "—", goal))
        for k in matching:
            suffix = k[len(key):].lstrip("_.")
            anchor, anchor_value, anchor_ratio = "—", "—", "—"
            if k in FLOOR_COUNTERS:
                value = counter(floor, FLOOR_COUNTERS[k])
                anchor, anchor_value, anchor_ratio = FLOOR, number(value), ratio(keys[k], value)
            rows.append((label + (f", {suffix}" if suffix else ""), number(keys[k], 1), anchor, anchor_value,
                         anchor_ratio, goal))
            shown.add(k)
    for k in sorted(set(keys) - shown):
        rows.append((k, number(keys[k], 2), "—", "—", "—", "—"))
    return rows


def table(rows):
    head = ("Figure", "Value", "Anchor", "Anchor value", "Ratio", "Goal")
    lines = ["| " + " | ".join(head) + " |", "|" + "|".join("---" for _ in head) + "|"]
    lines += ["| " + " | ".join(row) + " |" for row in rows]
    return "\n".join(lines) + "\n"


def main(argv):
    args = argv[1:]
    out = None
    if "--out" in args:
        at = args.index("--out")
        if at + 1 >= len(args):
            sys.exit("bench_table.py: --out needs a file")
        out = args[at + 1]
        del args[at:at + 2]
    if len(args) < 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    keys = {}
    for path in args[1:]:
        keys.update(load_keys(path))
    runs = load_runs(args[0])
    text = table(benchmark_rows(runs) + idle_rows(keys, runs))
    sys.stdout.write(text)
    if out:
        with open(out, "w") as target:
            target.write(text)


if __name__ == "__main__":
    main(sys.argv)
