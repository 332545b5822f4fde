#!/usr/bin/env python3
"""The soak's watch on the station and its remote operator, against stand-ins:
a panel that never answers fails the run, the log's events are read as they
are written, a station that ended is seen as ended, a client the station
refuses fails the run after a few tries, a dropped one logs in again, and
only the playback files the station has closed are removed."""
import os
import pathlib
import socket
import stat
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "scripts"))
import soak_remote  # noqa: E402
import soak_station  # noqa: E402
from soak_station import Failure, Station  # noqa: E402


class StationWatch(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = self.folder.name
        os.makedirs(f"{self.root}/run")

    def tearDown(self):
        self.folder.cleanup()

    def test_a_panel_that_takes_the_command_but_never_answers_fails_the_run(self):
        panel = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        panel.bind(f"{self.root}/run/panel.sock")
        panel.listen()
        taken = []
        threading.Thread(target=lambda: taken.append(panel.accept()), daemon=True).start()
        soak_station.PANEL_ANSWER_SECONDS, saved = 0.5, soak_station.PANEL_ANSWER_SECONDS
        try:
            with self.assertRaisesRegex(Failure, 'the station did not answer the panel command "press 4"'):
                Station(self.root, os.getpid(), "").press(4)
        finally:
            soak_station.PANEL_ANSWER_SECONDS = saved
            for connection, _ in taken:
                connection.close()
            panel.close()

    def test_events_and_readiness_are_read_as_the_log_grows(self):
        log_path = f"{self.root}/station.log"
        station = Station(self.root, os.getpid(), log_path)
        with open(log_path, "w") as log:
            log.write("[    13.934] syslog<6> Keyboard function entered\n[    14.220] EVENT bank 1: inter")
        station.read_log()
        self.assertTrue(station.keys_live)
        self.assertFalse(station.listening)
        self.assertEqual(station.events, [], "half a line is not an event yet")
        with open(log_path, "a") as log:
            log.write("face Generic\n[    15.935] syslog<6> Listening on port 6666\n"
                      "[    16.146] EVENT remote login: 127.0.0.1\n")
        station.read_log()
        self.assertTrue(station.listening)
        self.assertEqual(station.events, ["bank 1: interface Generic", "remote login: 127.0.0.1"])
        self.assertTrue(station.remote_logged_in)
        with open(log_path, "a") as log:
            log.write("[    66.173] EVENT remote logout: 127.0.0.1\n")
        station.read_log()
        self.assertFalse(station.remote_logged_in)
        self.assertEqual(station.remote_changes, 2)

    def test_a_station_that_ended_is_not_alive_even_before_it_is_reaped(self):
        child = subprocess.Popen(["sleep", "30"])
        self.assertTrue(Station(self.root, child.pid, "").alive())
        child.kill()
        while pathlib.Path(f"/proc/{child.pid}/stat").read_text().rsplit(")", 1)[1].split()[0] != "Z":
            time.sleep(0.01)
        self.assertFalse(Station(self.root, child.pid, "").alive(), "a zombie has ended")
        child.wait()
        self.assertFalse(Station(self.root, child.pid, "").alive())


class RemoteSessions(unittest.TestCase):
    """brisel-remote's stand-in prints what the real one prints and exits as it would."""

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = self.folder.name
        os.makedirs(f"{self.root}/tmp")

    def tearDown(self):
        self.folder.cleanup()

    def remote(self, script):
        client = f"{self.root}/client.sh"
        with open(client, "w") as file:
            file.write("#!/bin/sh\n" + script)
        os.chmod(client, stat.S_IRWXU)
        return soak_remote.RemoteOperator(client, self.root, 6666, "Secret7")

    def serve(self, remote, until, seconds=20):
        deadline = time.monotonic() + seconds
        while not until():
            self.assertLess(time.monotonic(), deadline, "not within the time")
            remote.service(os.getpid())
            time.sleep(0.05)

    def test_a_client_refused_every_time_fails_the_run_with_the_reason(self):
        remote = self.remote("echo 'brisel-remote: the station refused the pass phrase' >&2; exit 1\n")
        soak_remote.LOGIN_RETRY_SECONDS, saved = 0.1, soak_remote.LOGIN_RETRY_SECONDS
        try:
            with self.assertRaisesRegex(Failure, "could not log in, 3 times in a row: .*refused the pass phrase"):
                self.serve(remote, lambda: False)
        finally:
            soak_remote.LOGIN_RETRY_SECONDS = saved
        self.assertEqual(remote.sessions, 0)

    def test_a_dropped_client_logs_in_again(self):
        remote = self.remote(
            "echo 'ST band=20m  mode=1 att=0'\n"
            "echo 'brisel-remote: 120 audio chunks sent' >&2\n"
            "echo 'brisel-remote: the station closed the connection' >&2\n"
            "exit 1\n")
        self.serve(remote, lambda: remote.sessions >= 2)
        self.assertGreaterEqual(remote.dropped, 1)
        self.assertGreaterEqual(remote.chunks_sent, 120)
        remote.stop()

    def test_the_figures_wait_for_a_session_with_time_left(self):
        remote = self.remote("echo 'ST band=20m'; sleep 30\n")
        self.serve(remote, remote.in_session)
        remote.started -= soak_remote.SESSION_SECONDS
        self.assertFalse(remote.in_session(), "a session about to end")
        remote.stop()
        self.assertIsNotNone(remote.process.poll())

    def test_only_the_playback_files_the_station_closed_are_removed(self):
        with open(f"{self.root}/tmp/audio-out.raw", "wb"), open(f"{self.root}/tmp/audio-in.raw", "wb"):
            pass
        with open(f"{self.root}/tmp/audio-out.raw.0001", "wb"):
            remote = self.remote("sleep 30\n")
            remote.service(os.getpid())  # this process stands for the station
            self.assertEqual(sorted(os.listdir(f"{self.root}/tmp")), ["audio-in.raw", "audio-out.raw.0001"])
            remote.stop()


if __name__ == "__main__":
    unittest.main()
