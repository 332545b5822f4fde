"""The soak's view of the station: its process, its log, its panel channel and
the emulators' control channels, each command bounded in time."""
import re
import socket

PANEL_ANSWER_SECONDS = 30
CONTROL_ANSWER_SECONDS = 10


class Failure(Exception):
    """What ends the soak as failed."""


def ask(path, line, timeout):
    """One command line to a channel of the station or an emulator, and its answer line."""
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as channel:
        channel.settimeout(timeout)
        channel.connect(path)
        channel.sendall(line.encode() + b"\n")
        answer = b""
        while not answer.endswith(b"\n"):
            data = channel.recv(4096)
            if not data:
                break
            answer += data
    return answer.decode(errors="replace").strip()


class Station:
    """The station process, its log and its panel, and the emulators' control channels."""

    def __init__(self, root, pid, log_path):
        self.root, self.pid, self.log_path = root, pid, log_path
        self.log_offset, self.log_rest = 0, b""
        self.events = []  # the text after "EVENT " of every event line so far
        self.keys_live = self.listening = False
        self.remote_logged_in = False
        self.remote_changes = 0  # remote logins and logouts so far

    def alive(self):
        try:
            with open(f"/proc/{self.pid}/stat") as stat:
                return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
        except FileNotFoundError:
            return False

    def read_log(self):
        with open(self.log_path, "rb") as log:
            log.seek(self.log_offset)
            data = log.read()
        self.log_offset += len(data)
        lines = (self.log_rest + data).split(b"\n")
        self.log_rest = lines.pop()
        for line in lines:
            text = line.decode(errors="replace")
            at = text.find("] EVENT ")
            if at >= 0:
                event = text[at + 8 :]
                self.events.append(event)
                if event.startswith(("remote login:", "remote logout:")):
                    self.remote_logged_in = event.startswith("remote login:")
                    self.remote_changes += 1
            self.keys_live = self.keys_live or "Keyboard function entered" in text
            self.listening = self.listening or "Listening on port" in text

    def log_tail(self, lines):
        with open(self.log_path, "rb") as log:
            log.seek(max(0, self.log_offset - 4000))
            return "\n".join(log.read().decode(errors="replace").splitlines()[-lines:])

    def press(self, key):
        command = f"press {key}"
        try:
            answer = ask(f"{self.root}/run/panel.sock", command, PANEL_ANSWER_SECONDS)
        except OSError as error:
            raise Failure(f'the station did not answer the panel command "{command}" ({error})') from None
        if answer != "ok":
            raise Failure(f'the station answered the panel command "{command}" with "{answer}"')

    def control(self, emulator, command):
        try:
            answer = ask(f"{self.root}/run/{emulator}.sock", command, CONTROL_ANSWER_SECONDS)
        except OSError as error:
            raise Failure(f'the {emulator} did not answer "{command}" ({error})') from None
        if not answer.startswith("ok"):
            raise Failure(f'the {emulator} answered "{command}" with "{answer}"')
        return answer

    def amp_state(self, key):
        state = self.control("amp-emulator", "state")
        found = re.search(rf" {key}=(\S*)", state)
        return found.group(1) if found else ""
