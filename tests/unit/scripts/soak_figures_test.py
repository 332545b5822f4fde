#!/usr/bin/env python3
"""The soak's figures and its verdict: what /proc says is read right, and a
run fails exactly when a figure grew past the settled minute."""
import os
import pathlib
import sys
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[3] / "scripts"))
import soak_figures  # noqa: E402
from soak_figures import Sample  # noqa: E402


def run(*rows):
    """Samples of minutes 1, 2, ...: (fds, threads, rss_kb) each."""
    return [Sample(minute, fds, threads, rss, 10.0) for minute, (fds, threads, rss) in enumerate(rows, start=1)]


class ProcText(unittest.TestCase):
    def test_cpu_ticks_count_from_after_the_command_name(self):
        # A name with spaces and a ")" of its own must not shift the fields.
        stat = "4242 (brisel) x (y) S 1 4242 4242 0 -1 4194560 900 0 0 0 1234 567 0 0 20 0 19 0 100 200 300"
        self.assertEqual(soak_figures.cpu_ticks(stat), 1234 + 567)

    def test_resident_memory_is_the_vmrss_line(self):
        status = "Name:\tbrisel\nVmPeak:\t  99999 kB\nVmRSS:\t   25088 kB\nThreads:\t18\n"
        self.assertEqual(soak_figures.resident_kb(status), 25088)
        with self.assertRaises(ValueError):
            soak_figures.resident_kb("Name:\tzombie\n")

    def test_this_process_can_be_sampled(self):
        sampler = soak_figures.Sampler(os.getpid())
        sample = sampler.sample(1)
        self.assertGreater(sample.fds, 2)
        self.assertGreaterEqual(sample.threads, 1)
        self.assertGreater(sample.rss_kb, 0)
        self.assertGreaterEqual(sample.cpu_percent, 0.0)
        self.assertEqual(soak_figures.csv_row(Sample(3, 17, 18, 25088, 14.44)), "3,17,18,25088,14.4")

    def test_the_cpu_share_runs_from_the_last_sample_kept(self):
        sampler = soak_figures.Sampler(os.getpid())
        burn = time.process_time() + 0.3
        while time.process_time() < burn:
            pass
        first = sampler.sample(1)
        self.assertGreater(first.cpu_percent, 0.0)
        again = sampler.sample(1)  # the first one was not kept: the same busy stretch counts
        self.assertAlmostEqual(again.cpu_percent, first.cpu_percent, delta=10.0)


class Verdict(unittest.TestCase):
    def test_flat_figures_pass(self):
        passed, text = soak_figures.verdict(run((17, 18, 25000), (17, 18, 25100)))
        self.assertTrue(passed, text)
        self.assertIn("minute 1 to minute 2", text)

    def test_one_more_descriptor_or_thread_at_the_end_fails_naming_it(self):
        passed, text = soak_figures.verdict(run((17, 18, 25000), (18, 18, 25000)))
        self.assertFalse(passed)
        self.assertIn("open descriptors grew from 17 to 18 (+1)", text)
        passed, text = soak_figures.verdict(run((17, 18, 25000), (17, 20, 25000)))
        self.assertFalse(passed)
        self.assertIn("threads grew from 18 to 20 (+2)", text)
        self.assertNotIn("descriptors", text)

    def test_memory_may_grow_by_a_tenth(self):
        self.assertTrue(soak_figures.verdict(run((17, 18, 20000), (17, 18, 22000)))[0])
        passed, text = soak_figures.verdict(run((17, 18, 20000), (17, 18, 22001)))
        self.assertFalse(passed)
        self.assertIn("resident memory grew from 20000 kB to 22001 kB (+10.0 %, more than 10 %)", text)

    def test_a_long_run_compares_with_minute_five(self):
        start_up = [(12, 15, 15000), (14, 16, 18000), (15, 17, 20000), (16, 18, 21000)]
        passed, text = soak_figures.verdict(run(*start_up, (17, 18, 25000), (17, 18, 25000), (17, 18, 26000)))
        self.assertTrue(passed, text)
        self.assertIn("minute 5 to minute 7", text)
        passed, text = soak_figures.verdict(run(*start_up, (17, 18, 25000), (17, 18, 25000), (17, 19, 25000)))
        self.assertFalse(passed)
        self.assertIn("threads grew from 18 to 19 (+1), minute 5 to minute 7", text)

    def test_a_short_run_compares_with_minute_one(self):
        passed, text = soak_figures.verdict(run((16, 18, 25000), (17, 18, 25000), (17, 18, 25000)))
        self.assertFalse(passed)
        self.assertIn("open descriptors grew from 16 to 17 (+1), minute 1 to minute 3", text)

    def test_a_figure_back_down_by_the_end_passes(self):
        passed, text = soak_figures.verdict(run((17, 18, 25000), (19, 20, 29000), (17, 18, 25000)))
        self.assertTrue(passed, text)


if __name__ == "__main__":
    unittest.main()
