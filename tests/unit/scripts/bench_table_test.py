#!/usr/bin/env python3
"""bench.sh's table: figures taken from the benchmark program's JSON and the
idle station's lines, each beside its anchor, and "not measured" for what
is missing rather than a failure."""
import json
import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[3] / "bench"))
import bench_table  # noqa: E402


def row(rows, figure):
    return next(r for r in rows if r[0] == figure)


class Table(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def write(self, name, text):
        path = pathlib.Path(self.folder.name) / name
        path.write_text(text)
        return str(path)

    def test_nothing_measured_is_said_so_in_every_row(self):
        rows = bench_table.benchmark_rows(bench_table.load_runs(self.write("bench.json", "{truncated")))
        rows += bench_table.idle_rows(bench_table.load_keys("/nonexistent/station-idle.log"))
        self.assertTrue(all("not measured" in r[1] for r in rows), rows)
        self.assertIn("| Figure | Value | Anchor | Anchor value | Ratio | Goal |", bench_table.table(rows))

    def test_repetitions_give_their_median_and_run_options_leave_the_name(self):
        runs = [
            {"name": "BM_FrameFloor", "run_name": "BM_FrameFloor", "run_type": "iteration", "real_time": 90000,
             "time_unit": "ns"},
            {"name": "BM_FrameMeterScreen", "run_name": "BM_FrameMeterScreen", "run_type": "iteration",
             "real_time": 250000, "time_unit": "ns", "floors": 2.9},
            {"name": "BM_FrameMeterScreen_median", "run_name": "BM_FrameMeterScreen", "run_type": "aggregate",
             "aggregate_name": "median", "real_time": 120000, "time_unit": "ns", "floors": 1.3},
            {"name": "BM_FrameMeterScreen", "run_name": "BM_FrameMeterScreen", "run_type": "iteration",
             "real_time": 100000, "time_unit": "ns", "floors": 1.1},
            {"name": "BM_RemoteStatusAtTheTickRate/iterations:1", "run_name": "BM_RemoteStatusAtTheTickRate/"
             "iterations:1", "run_type": "iteration", "records_per_s": 24.5, "tick_rate": 25},
            {"name": "BM_RemoteAudioClientToPlayback/10/iterations:1", "run_name":
             "BM_RemoteAudioClientToPlayback/10/iterations:1", "run_type": "iteration", "ring_depth_ms": 100,
             "first_chunk_ms": 98, "before_wrap_ms": 97, "latency_ms": 180, "marks_lost": 1},
        ]
        rows = bench_table.benchmark_rows(
            bench_table.load_runs(self.write("bench.json", json.dumps({"benchmarks": runs}))))
        self.assertEqual(row(rows, "Meter screen frame (µs)")[1:5], ("120.0", "three full-frame copies (µs)",
                                                                      "90.0", "1.30×"))
        self.assertEqual(row(rows, "Status records to the remote client (per s)")[4], "0.98×")
        after = row(rows, "Remote audio client → playback, depth 100 ms, after it (ms)")
        self.assertEqual((after[1], after[4]), ("180.0, 1 of the marked chunks lost", "1.80×"))
        self.assertEqual(row(rows, "Remote audio client → playback, depth 100 ms, first chunk after login (ms)")[1],
                         "98.0")

    def test_idle_figures_from_key_lines_or_the_older_plain_lines(self):
        keys = bench_table.load_keys(self.write("idle.log", "idle_cpu_percent=1.8\nradio_to_wire_ms_median=52\n"
                                                "radio_to_wire_ms_max=71.5\nidle_thread_percent_timer=0.9\n"
                                                "bank_to_wire_commands=20\nnoise = 3\n"))
        rows = bench_table.idle_rows(keys)
        self.assertEqual(row(rows, "Idle station, CPU (% of one core)")[1], "1.8")
        self.assertEqual(row(rows, "Idle station, peak resident memory (kB)")[1], "not measured")
        self.assertEqual(row(rows, "Radio moves → frequency on the amplifier wire (ms), max")[1], "71.5")
        self.assertEqual(row(rows, "Radio moves → frequency on the amplifier wire (ms), median")[1], "52.0")
        self.assertEqual(row(rows, "Radio moves → tune word on the amplifier wire (ms)")[1], "not measured")
        self.assertEqual(row(rows, "Idle station, thread (% of one core), timer")[1], "0.9")
        self.assertEqual(row(rows, "bank_to_wire_commands")[1], "20.00")
        self.assertEqual(row(rows, "Idle station, CPU (% of one core)")[3:5], ("not measured", "—"))
        floor = {"BM_IdlePollFloor": {"floor_percent": 1.2, "tick_percent": 0.3}}
        rows = bench_table.idle_rows(keys, floor)
        self.assertEqual(row(rows, "Idle station, CPU (% of one core)")[2:5], (bench_table.FLOOR, "1.20", "1.50×"))
        self.assertEqual(row(rows, "Idle station, thread (% of one core), timer")[3:5], ("0.30", "3.00×"))
        plain = bench_table.load_keys(self.write("old.log", "idle main screen: 0.95 s CPU in 20 s = 4.7 % of one "
                                                 "core\n\tMaximum resident set size (kbytes): 21372\n"))
        self.assertEqual(plain, {"idle_cpu_percent": 4.7, "idle_rss_kb": 21372.0})


if __name__ == "__main__":
    unittest.main()
