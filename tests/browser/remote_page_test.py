#!/usr/bin/env python3
"""The unit's remote page in a real browser (headless Chromium), against the
simulated station in remote operation (the amplifier, the maker's transceiver
and its CAT port emulated): the page loads from the station's remote port, a
wrong pass phrase is refused, the right one shows the band and the emulator's
forward power, a bank command from the page reaches the amplifier's wire, the
station's audio arrives and is decoded, the browser's (fake) microphone held
on "Push to talk" reaches the playback device, and the page logs in again by
itself after the station restarts. It prints the status records a second the
page shows and the page's size.

Exits 77 (skipped) when Chromium, its driver or Selenium is not installed.
With --screenshots DIR it leaves the page at desktop and phone width there."""
import argparse
import os
import re
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request
from array import array

from station_page_test import CHROMEDRIVER, CHROMIUM, PHONE, SKIPPED, ask, browser, read, wait_for, webdriver

PHRASE = "Asecret7"
STATS = "return window.remoteStats"

if webdriver:
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By

# Audio without a click's autoplay grant, and a microphone that beeps, granted at once.
AUDIO_FLAGS = ("--autoplay-policy=no-user-gesture-required", "--use-fake-ui-for-media-stream",
               "--use-fake-device-for-media-stream")


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Station:
    """The emulators and the station under a new run root, with a pass
    phrase and a free remote port of their own, in remote operation: audio
    both ways and CAT enabled, every bank on the maker's transceiver."""

    def __init__(self, args, root):
        self.args, self.root, self.station, self.emulators = args, root, None, []
        subprocess.run(["bash", "-c", 'source scripts/run-root.sh && prepare_run_root "$0"', root],
                       cwd=args.source, check=True)
        self.port = free_port()
        setup = os.path.join(root, "opt/set/setup.txt")
        text = read(setup)
        text = re.sub(r"(?m)^Passphrase:.*$", "Passphrase: " + PHRASE, text)
        text = re.sub(r"(?m)^TcpPort:.*$", f"TcpPort: {self.port}", text)
        for key in ("EnableRead", "EnableWrite", "EnableCAT"):
            text = re.sub(rf"(?m)^{key}:.*$", key + ": 1", text)
        with open(setup, "w", encoding="utf-8") as file:
            file.write(text)
        subprocess.run(["bash", "-c", 'source scripts/run-root.sh && match_banks_to_radio "$0" qor', root],
                       cwd=args.source, check=True)

    def launch(self):
        self.emulate(self.args.emulator, "amp-emulator")
        self.emulate(self.args.qor_emulator, "qor-emulator")
        self.emulate(self.args.cat_emulator, "cat-emulator")
        self.start()

    def emulate(self, program, name):
        out = open(os.path.join(self.root, name + ".out"), "w")
        self.emulators.append(subprocess.Popen([program, "--root", self.root], stdout=out,
                                               stderr=open(os.path.join(self.root, name + ".log"), "w")))
        wait_for(lambda: name + " ready" in read(out.name), 10, f"the {name}'s pseudo-terminal")

    def start(self):
        self.log_file = os.path.join(self.root, "station.log")
        self.station = subprocess.Popen([self.args.station, "--root", self.root], stdout=subprocess.DEVNULL,
                                        stderr=open(self.log_file, "a"))
        wait_for(lambda: read(self.log_file).count("Listening on port") >= self.starts + 1, 60,
                 "the station's remote port")
        self.starts += 1

    starts = 0

    def restart(self):
        self.station.terminate()
        self.station.wait(15)
        self.start()

    def emulator(self, line):
        return ask(os.path.join(self.root, "run/amp-emulator.sock"), line)

    def radio(self, line):
        return ask(os.path.join(self.root, "run/qor-emulator.sock"), line)

    def played(self):
        """The loudest sample the playback device has played."""
        samples = array("h")
        path = os.path.join(self.root, "tmp/audio-out.raw")
        if os.path.exists(path):
            with open(path, "rb") as file:
                data = file.read()
            samples.frombytes(data[:len(data) - len(data) % 2])
        return max(map(abs, samples), default=0)

    def field(self, name):
        for pair in self.emulator("state").split():
            if pair.startswith(name + "="):
                return pair.split("=", 1)[1]
        return None

    def stop(self):
        for process in [self.station] + self.emulators:
            if process and process.poll() is None:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()


def log_in(driver, phrase):
    field = driver.find_element(By.ID, "phrase")
    field.clear()
    field.send_keys(phrase)
    driver.find_element(By.CSS_SELECTOR, "#loginForm button").click()


def text_of(driver, element_id):
    return driver.find_element(By.ID, element_id).text


def hear_and_talk(driver, station):
    """The station's audio decoded and played on the page; the microphone
    held on "Push to talk" played by the station's playback device."""
    driver.find_element(By.ID, "listen").click()
    wait_for(lambda: driver.execute_script(STATS)["decoded"] > 50, 10, "the station's audio decoded on the page")
    before = driver.execute_script(STATS)
    time.sleep(1)
    after = driver.execute_script(STATS)
    print(f"audio ({text_of(driver, 'audioState')}): {after['audio'] - before['audio']} frames a second arrive, "
          f"{after['decoded'] - before['decoded']} are decoded and played")
    if text_of(driver, "audioState").startswith("decoder"):
        raise AssertionError("the page's decoder failed: " + text_of(driver, "audioState"))

    quiet = station.played()
    talk = driver.find_element(By.ID, "ptt")
    ActionChains(driver).click_and_hold(talk).perform()
    try:
        loudest = wait_for(lambda: station.played() > max(quiet, 1000) and station.played(), 10,
                           "the microphone on the playback device")
    finally:
        ActionChains(driver).release(talk).perform()
    print(f"the microphone held on Push to talk: the playback device played samples up to {loudest}")
    heard = driver.execute_script(STATS)["decoded"]
    wait_for(lambda: driver.execute_script(STATS)["decoded"] > heard + 50, 5, "the station's audio after talking")


def save_screenshots(driver, folder):
    os.makedirs(folder, exist_ok=True)
    driver.save_screenshot(os.path.join(folder, "remote-page.png"))
    driver.set_window_size(*PHONE)
    time.sleep(0.5)
    driver.save_screenshot(os.path.join(folder, "remote-page-phone.png"))
    driver.set_window_size(1400, 1000)


def run(args):
    if not (webdriver and os.access(CHROMIUM, os.X_OK) and os.access(CHROMEDRIVER, os.X_OK)):
        print("skipped: Chromium, chromedriver or Selenium is not installed")
        return SKIPPED
    failures = []
    with tempfile.TemporaryDirectory(prefix="brisel-remote-page-") as root:
        station = Station(args, root)
        driver = None
        try:
            station.launch()
            url = f"http://127.0.0.1:{station.port}/"
            with urllib.request.urlopen(url, timeout=10) as response:
                page = response.read()
            print(f"the page: {len(page)} bytes, {response.headers['Content-Type']}")
            if PHRASE.encode() in page:
                failures.append("the pass phrase is in the page")

            profile = os.path.join(root, "profile")
            driver = browser(profile, AUDIO_FLAGS)
            driver.get(url)
            log_in(driver, "Awrong00")
            wait_for(lambda: "Refused" in text_of(driver, "message"), 10, "the refusal of a wrong pass phrase")
            print("a wrong pass phrase: " + text_of(driver, "message"))

            if "Remote GO!" not in read(station.log_file):
                failures.append("the station is not in remote operation")
            station.radio("freq 14074000")
            station.radio("tx on")
            log_in(driver, PHRASE)
            started = time.monotonic()
            wait_for(lambda: text_of(driver, "bandText") == "20m", 2, "20m on the page")
            watts = wait_for(lambda: float(text_of(driver, "fwd") or 0), 2, "forward power on the page")
            print(f"20m and {watts:.1f} W forward within {time.monotonic() - started:.2f} s "
                  f"(the emulator: {station.field('forward')} W)")

            before = driver.execute_script(STATS)["status"]
            time.sleep(2)
            rate = (driver.execute_script(STATS)["status"] - before) / 2
            print(f"{rate:.1f} status records a second on the page")
            if rate < 10:
                failures.append(f"the page kept up with only {rate:.1f} status records a second")

            hear_and_talk(driver, station)
            if args.screenshots:
                # The carrier's tune search ends before the pictures are taken.
                wait_for(lambda: "tuning" not in text_of(driver, "tuner"), 60, "the end of the tune")
                time.sleep(2)
                save_screenshots(driver, args.screenshots)

            station.radio("tx off")
            bank = text_of(driver, "bank")
            station.emulator("clear-received")
            driver.find_element(By.CSS_SELECTOR, '[data-command="QELTBANK"]').click()
            wait_for(lambda: text_of(driver, "bank") != bank, 10, "the next bank on the page")
            received = wait_for(lambda: [c for c in station.emulator("received").split()[1:]
                                         if not c.startswith("ST")], 10, "the bank's commands on the wire")
            print(f"bank {bank} -> {text_of(driver, 'bank')}; on the amplifier's wire: {' '.join(received[:8])}")

            # A page on the LAN over plain http has no WebCodecs: it asks for raw sound from the next login.
            driver.execute_script("delete window.AudioDecoder")
            connects = driver.execute_script(STATS)["connects"]
            station.restart()
            wait_for(lambda: driver.execute_script(STATS)["connects"] > connects, 30,
                     "the page logged in again after the station restarted")
            after = driver.execute_script(STATS)["status"]
            wait_for(lambda: driver.execute_script(STATS)["status"] > after + 5, 5, "status records again")
            print("the page logged in again by itself after the station restarted")
            decoded = driver.execute_script(STATS)["decoded"]
            wait_for(lambda: driver.execute_script(STATS)["decoded"] > decoded + 50, 10,
                     "raw sound decoded and played after the new login")
            if text_of(driver, "audioState") != "raw PCM":
                failures.append("the page without WebCodecs shows " + text_of(driver, "audioState"))
            print("without WebCodecs the page asks for raw sound and plays it")
        except AssertionError as error:
            failures.append(str(error))
            if driver:
                print("the page:", driver.execute_script(STATS), text_of(driver, "audioState"),
                      text_of(driver, "link"), file=sys.stderr)
        finally:
            if driver:
                driver.quit()
            station.stop()
            if failures:
                print(read(os.path.join(root, "station.log"))[-int(os.environ.get("LOG_TAIL", 3000)):], file=sys.stderr)
    for failure in failures:
        print("FAILED:", failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for name in ("station", "emulator", "qor-emulator", "cat-emulator", "source"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--screenshots", help="a folder for the page at desktop and phone width")
    sys.exit(run(parser.parse_args()))
