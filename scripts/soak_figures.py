"""The soak's figures of the station process, read from /proc once a minute,
and the verdict on them: open descriptors and threads must not grow, resident
memory not by more than a tenth, after the first five minutes (after the
first minute in a run shorter than six)."""
import collections
import os
import time

Sample = collections.namedtuple("Sample", "minute fds threads rss_kb cpu_percent")
CSV_HEADER = ",".join(Sample._fields)
MEMORY_GROWTH_LIMIT = 0.10
# Runs at least this long compare with the end of the fifth minute: by then
# every path the operator takes has run a few times and caches are warm.
SETTLED_RUN_MINUTES = 6
SETTLED_MINUTE = 5


def cpu_ticks(stat_text):
    """User and system time in clock ticks from /proc/PID/stat's text."""
    # The command name, field 2, may hold spaces and parentheses: count from after its last ")".
    fields = stat_text[stat_text.rindex(")") + 2 :].split()
    return int(fields[11]) + int(fields[12])  # fields 14 (utime) and 15 (stime)


def resident_kb(status_text):
    """VmRSS of /proc/PID/status, in kB."""
    for line in status_text.splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    raise ValueError("no VmRSS line in the process status")


def csv_row(sample):
    return f"{sample.minute},{sample.fds},{sample.threads},{sample.rss_kb},{sample.cpu_percent:.1f}"


class Sampler:
    """The figures of one process; the CPU share is over the time since the last sample kept."""

    def __init__(self, pid):
        self.proc = f"/proc/{pid}"
        self.ticks_per_second = os.sysconf("SC_CLK_TCK")
        self.kept = self.taken = (self._ticks(), time.monotonic())

    def _read(self, name):
        with open(f"{self.proc}/{name}") as file:
            return file.read()

    def _ticks(self):
        return cpu_ticks(self._read("stat"))

    def sample(self, minute):
        ticks, now = self.taken = (self._ticks(), time.monotonic())
        cpu = 100.0 * (ticks - self.kept[0]) / self.ticks_per_second / (now - self.kept[1])
        return Sample(
            minute,
            len(os.listdir(f"{self.proc}/fd")),
            len(os.listdir(f"{self.proc}/task")),
            resident_kb(self._read("status")),
            cpu,
        )

    def keep(self):
        """The last sample stands: the next CPU share starts from it."""
        self.kept = self.taken


def baseline_minute(minutes):
    return SETTLED_MINUTE if minutes >= SETTLED_RUN_MINUTES else 1


def verdict(samples):
    """(passed, text): the last sample against the baseline minute's, one clause per figure that grew."""
    last = samples[-1]
    base = next(sample for sample in samples if sample.minute == baseline_minute(last.minute))
    growth = (last.rss_kb - base.rss_kb) / base.rss_kb
    grew = []
    if last.fds > base.fds:
        grew.append(f"open descriptors grew from {base.fds} to {last.fds} (+{last.fds - base.fds})")
    if last.threads > base.threads:
        grew.append(f"threads grew from {base.threads} to {last.threads} (+{last.threads - base.threads})")
    if growth > MEMORY_GROWTH_LIMIT:
        grew.append(
            f"resident memory grew from {base.rss_kb} kB to {last.rss_kb} kB "
            f"(+{100 * growth:.1f} %, more than {100 * MEMORY_GROWTH_LIMIT:.0f} %)"
        )
    span = f"minute {base.minute} to minute {last.minute}"
    if grew:
        return False, "; ".join(grew) + f", {span}"
    cpu = sum(sample.cpu_percent for sample in samples) / len(samples)
    return True, (
        f"flat from {span}: descriptors {base.fds} -> {last.fds}, threads {base.threads} -> {last.threads}, "
        f"resident memory {base.rss_kb} -> {last.rss_kb} kB ({100 * growth:+.1f} %), CPU {cpu:.1f} % on average"
    )
