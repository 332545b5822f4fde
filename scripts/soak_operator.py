#!/usr/bin/env python3
"""The soak's operator, started by scripts/soak.sh once the station runs:
works the station as a person would (the transceiver's band every few
seconds, an automatic tune into a bad load, a bank change and a menu edit
that saves every minute) and keeps a remote operator logged in with audio
both ways. At the end of every minute it writes the station's figures to
soak.csv. Its last line starts with "soak: " and says whether the run passed;
it exits 1 when the station ended, stopped answering the panel, refused the
remote client, or a figure grew."""
import argparse
import re
import signal
import sys
import time

import soak_figures
from soak_remote import RemoteOperator
from soak_station import Failure, Station

# One frequency in each band row of the sample bank table.
BAND_FREQUENCIES = (1850000, 3600000, 5360000, 7100000, 10120000, 14100000, 18100000, 21200000,
                    24940000, 28500000, 50200000)
# The amplifier emulator's loads the tunes meet in turn, and the one left between tunes.
BAD_LOADS = ("z 12 25", "swr 3", "z 150 -60", "z 30 40")
PLAIN_LOAD = "swr 1.2"
BAND_CHANGE_SECONDS = 5
# When in each minute the operator acts, in seconds; the figures are taken at its end.
TUNE_AT, BANK_AT, MENU_AT = 10, 40, 45
# The settings item the menu edit steps: "Release Time" of the peak power meter, saved as Peak_Time.
RELEASE_TIME_ITEM = 7
RELEASE_TIME_KEY = "Peak_Time"
TUNE_END_SECONDS = 180
# A logout the station logs a moment after the figures were taken still makes them void.
SAMPLE_CHECK_SECONDS = 0.5
FIGURES_WITHIN_SECONDS = 300


class Operator:
    """The scripted operator at the panel and the radio, the remote operator beside."""

    def __init__(self, station, remote):
        self.station, self.remote = station, remote
        self.band = 0
        self.band_changes = self.tunes = self.bank_changes = self.menu_saves = 0
        self.tune_outcomes = {}
        self.menu_entered = False

    def tick(self):
        """Between two steps: the station must live; the remote operator is kept logged in once it can be."""
        self.station.read_log()
        if not self.station.alive():
            print("soak: the station's log ends:\n" + self.station.log_tail(8), flush=True)
            raise Failure("the station ended")
        if self.station.listening:
            self.remote.service(self.station.pid)

    def wait_until(self, condition, seconds):
        deadline = time.monotonic() + seconds
        while True:
            self.tick()
            if condition():
                return True
            if time.monotonic() > deadline:
                return False
            time.sleep(0.2)

    def new_event(self, since, *starts):
        return next((event for event in self.station.events[since:] if event.startswith(starts)), None)

    def change_band(self):
        self.band = (self.band + 1) % len(BAND_FREQUENCIES)
        self.station.control("qor-emulator", f"freq {BAND_FREQUENCIES[self.band]}")
        self.band_changes += 1

    def tune(self):
        """A complete tune from the tune menu into the next bad load, the radio sending the carrier."""
        self.station.control("amp-emulator", f"load {BAD_LOADS[self.tunes % len(BAD_LOADS)]}")
        self.tunes += 1
        # The tune is stored for the frequency the station knows: let it catch up with the radio first.
        frequency = str(BAND_FREQUENCIES[self.band])
        self.wait_until(lambda: self.station.amp_state("fa_hz") == frequency, 30)
        since = len(self.station.events)
        self.station.press(4)  # the tune menu
        self.station.press(3)  # complete tune
        ends = ("tune stored", "tune ended without storing", "tune refused")
        if self.wait_until(lambda: self.new_event(since, *ends), TUNE_END_SECONDS):
            outcome = self.new_event(since, *ends).split(":")[0]
        else:
            outcome = f"tune not ended within {TUNE_END_SECONDS} s"
            print(f"soak: {outcome}", flush=True)
        self.tune_outcomes[outcome] = self.tune_outcomes.get(outcome, 0) + 1
        # The radio goes back to receive a moment after the search.
        self.wait_until(lambda: self.station.amp_state("keyed") == "0", 30)
        self.station.press(1)  # back to the main screen
        self.station.control("amp-emulator", f"load {PLAIN_LOAD}")

    def change_bank(self):
        since = len(self.station.events)
        self.station.press(1)  # MEM: the next bank
        if self.wait_until(lambda: self.new_event(since, "bank "), 10):
            self.bank_changes += 1

    def edit_menu(self):
        """The peak meter's release time one step up, or back down, saved with ENTER."""
        setup = f"{self.station.root}/opt/set/setup.txt"

        def saved_value():
            with open(setup) as file:
                found = re.search(rf"^{RELEASE_TIME_KEY}: *(\S+)", file.read(), re.MULTILINE)
            return found.group(1) if found else ""

        before = saved_value()
        self.station.press(5)  # the settings menu, on the item the last visit left
        if not self.menu_entered:
            for _ in range(RELEASE_TIME_ITEM):
                self.station.press(4)
            self.menu_entered = True
        self.station.press(6)  # edit
        self.station.press(5 if self.menu_saves % 2 == 0 else 4)  # + or -
        self.station.press(6)  # ENTER saves
        self.station.press(1)  # back to the main screen
        if self.wait_until(lambda: saved_value() != before, 10):
            self.menu_saves += 1

    def work_minute(self, end):
        """The minute's steps; band changes every few seconds in between."""
        start = end - 60
        steps = [(start + TUNE_AT, self.tune), (start + BANK_AT, self.change_bank), (start + MENU_AT, self.edit_menu)]
        next_band = start + BAND_CHANGE_SECONDS
        while time.monotonic() < end:
            now = time.monotonic()
            if steps and now >= steps[0][0]:
                steps.pop(0)[1]()
                continue
            if now >= next_band:
                self.change_band()
                next_band = max(next_band, now) + BAND_CHANGE_SECONDS
            self.tick()
            time.sleep(0.2)

    def pause(self, seconds):
        self.wait_until(lambda: False, seconds)

    def figures(self, sampler, minute):
        """The station's figures in the middle of a remote session, a moment after the last key; taken
        again when a login or logout came meanwhile, so that every minute counts the same connections."""

        def logged_in():
            return self.remote.in_session() and self.station.remote_logged_in

        deadline = time.monotonic() + FIGURES_WITHIN_SECONDS
        while time.monotonic() < deadline:
            if not self.wait_until(logged_in, 60):
                raise Failure("the remote client was not logged in for 60 s")
            changes = self.station.remote_changes
            self.pause(1)
            sample = sampler.sample(minute)
            self.pause(SAMPLE_CHECK_SECONDS)
            if self.station.remote_changes == changes and logged_in():
                sampler.keep()
                return sample
        raise Failure(f"no remote session lasted the few seconds the figures take, for {FIGURES_WITHIN_SECONDS} s")

    def counts(self):
        tunes = "".join(f", {count} {outcome}" for outcome, count in sorted(self.tune_outcomes.items()))
        remote = self.remote
        return (f"{self.band_changes} band changes, {self.tunes} tunes{tunes}, {self.bank_changes} bank changes, "
                f"{self.menu_saves} menu saves; remote: {remote.sessions} sessions, {remote.dropped} dropped, "
                f"{remote.chunks_sent} audio chunks sent, {remote.frames_received} audio frames received "
                f"in the sessions that ran their time")


def soak(arguments, station, operator):
    if not operator.wait_until(lambda: station.keys_live and station.listening, 120):
        raise Failure("the station did not reach its keys and its remote port within 120 s")
    sampler = soak_figures.Sampler(station.pid)
    samples = []
    start = time.monotonic()
    with open(f"{arguments.out}/soak.csv", "w") as table:
        print(soak_figures.CSV_HEADER, file=table, flush=True)
        for minute in range(1, arguments.minutes + 1):
            operator.work_minute(start + 60 * minute)
            samples.append(operator.figures(sampler, minute))
            print(soak_figures.csv_row(samples[-1]), file=table, flush=True)
            last = samples[-1]
            print(f"soak: minute {minute} of {arguments.minutes}: {last.fds} descriptors, {last.threads} threads, "
                  f"{last.rss_kb} kB resident, CPU {last.cpu_percent:.1f} %", flush=True)
    return soak_figures.verdict(samples)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--root", required=True)
    parser.add_argument("--station-pid", type=int, required=True)
    parser.add_argument("--station-log", required=True)
    parser.add_argument("--client", required=True, help="the brisel-remote program")
    parser.add_argument("--port", type=int, required=True, help="the station's remote port")
    parser.add_argument("--minutes", type=int, required=True)
    parser.add_argument("--out", required=True)
    arguments = parser.parse_args()
    # soak.sh ends the operator with SIGTERM on an interrupt: the client goes with it.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))

    with open(f"{arguments.root}/opt/set/setup.txt") as file:
        pass_phrase = re.search(r"^Passphrase: (\S+)", file.read(), re.MULTILINE).group(1)
    station = Station(arguments.root, arguments.station_pid, arguments.station_log)
    remote = RemoteOperator(arguments.client, arguments.root, arguments.port, pass_phrase)
    operator = Operator(station, remote)
    begun = time.monotonic()
    try:
        passed, text = soak(arguments, station, operator)
    except Failure as failure:
        passed, text = False, str(failure)
    except KeyboardInterrupt:
        passed, text = False, "interrupted"
    finally:
        remote.stop()
    print(f"soak: operator: {operator.counts()}")
    if passed:
        print(f"soak: passed, {arguments.minutes} minutes: {text}")
        return 0
    print(f"soak: failed after {(time.monotonic() - begun) / 60:.1f} of {arguments.minutes} minutes: {text}")
    return 1


if __name__ == "__main__":
    sys.exit(main())
