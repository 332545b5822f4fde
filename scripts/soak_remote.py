"""The soak's remote operator: brisel-remote logged in with audio both ways."""
import array
import math
import os
import re
import subprocess
import time
import wave

from soak_station import Failure

# A session lasts as long as the operator's audio; then the next one logs in.
SESSION_SECONDS = 50
# The figures are taken inside a session, not this close to its end.
SESSION_END_MARGIN_SECONDS = 5
LOGIN_ATTEMPTS = 3
LOGIN_RETRY_SECONDS = 2
TONE_HZ = 440  # a whole number of periods in a second, so the seconds join without a click


def write_tone(path, seconds):
    """A 48 kHz stereo 16-bit WAV file of a steady tone."""
    second = array.array("h")
    for frame in range(48000):
        value = int(6000 * math.sin(2 * math.pi * TONE_HZ * frame / 48000))
        second.extend((value, value))
    with wave.open(path, "wb") as file:
        file.setnchannels(2)
        file.setsampwidth(2)
        file.setframerate(48000)
        file.writeframes(second.tobytes() * seconds)


class RemoteOperator:
    """brisel-remote logged in with audio both ways, one session after another,
    logging in again at once when the station drops it."""

    def __init__(self, client, root, port, pass_phrase):
        self.root = root
        self.arguments = [client, "--port", str(port), "--pass", pass_phrase, "--seconds", str(SESSION_SECONDS),
                          "--audio-in", f"{root}/operator.wav", "--audio-out", f"{root}/received.wav"]
        write_tone(f"{root}/operator.wav", SESSION_SECONDS)
        self.process = None
        self.started = 0.0
        self.logged_in = False
        self.sessions = self.dropped = self.failed_logins = 0
        self.frames_received = self.chunks_sent = 0
        self.retry_at = 0.0

    def _start(self, station_pid):
        self._remove_played_files(station_pid)
        with open(f"{self.root}/client.out", "wb") as out, open(f"{self.root}/client.err", "wb") as err:
            self.process = subprocess.Popen(self.arguments, stdout=out, stderr=err)
        self.started = time.monotonic()
        self.logged_in = False

    def _remove_played_files(self, station_pid):
        """Each session's playback lands in a file of its own under the run root: those the station has closed go."""
        folder = f"{self.root}/tmp"
        fd_folder = f"/proc/{station_pid}/fd"
        open_files = set()
        for fd in os.listdir(fd_folder):
            try:
                open_files.add(os.readlink(f"{fd_folder}/{fd}"))
            except OSError:
                pass
        for name in os.listdir(folder):
            if name.startswith("audio-out.raw") and f"{folder}/{name}" not in open_files:
                os.remove(f"{folder}/{name}")

    def _read(self, name):
        with open(f"{self.root}/{name}", errors="replace") as file:
            return file.read()

    def service(self, station_pid):
        """Notes the login, and starts the next session when this one has ended."""
        if self.process is None:
            if time.monotonic() >= self.retry_at:
                self._start(station_pid)
            return
        # Polled first: a client that has ended has written all it will.
        status = self.process.poll()
        if not self.logged_in and re.search(r"^ST ", self._read("client.out"), re.MULTILINE):
            self.logged_in = True
            self.sessions += 1
            self.failed_logins = 0
        if status is None:
            return
        self.process = None
        said = self._read("client.err")
        for count, what in re.findall(r"(\d+) audio (frames received|chunks sent)", said):
            if what == "chunks sent":
                self.chunks_sent += int(count)
            else:
                self.frames_received += int(count)
        if status == 0:
            return
        reasons = [line for line in said.splitlines() if line and not re.search(r"audio (chunks|frames)", line)]
        reason = reasons[-1] if reasons else f"exit status {status}"
        if self.logged_in:
            self.dropped += 1
            print(f"soak: the remote client was dropped ({reason}); it logs in again", flush=True)
            return
        self.failed_logins += 1
        if self.failed_logins >= LOGIN_ATTEMPTS:
            raise Failure(f"the remote client could not log in, {LOGIN_ATTEMPTS} times in a row: {reason}")
        self.retry_at = time.monotonic() + LOGIN_RETRY_SECONDS

    def in_session(self):
        """Logged in, with a few seconds left before the session ends."""
        return (self.process is not None and self.logged_in
                and time.monotonic() - self.started < SESSION_SECONDS - SESSION_END_MARGIN_SECONDS)

    def stop(self):
        if self.process is None:
            return
        self.process.terminate()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
