#!/usr/bin/env python3
"""The station's web page in a real browser (headless Chromium): the screen
arrives, a tripped protection is cleared with the page's control, the load
presets reach the emulator, the transceiver's controls are hidden without
it, the page fits a phone's width, a setting is changed with the page's keys
and reaches the screen and the setup file, and a held key repeats in the
manual tune screen. It prints the frames a second the page draws while the
meters move and the time from a key's release to the new screen.

Exits 77 (skipped) when Chromium, its driver or Selenium is not installed.
With --screenshots DIR it leaves the page at desktop and phone width there."""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
# The station runs this many times faster than real time: a short start-up
# countdown, while a click (held 0.1 s by the page) stays well under the
# 0.5 s of a long press.
TIME_SCALE = "2"
MENU_ROWS = (285, 365)  # the screen rows of the menu's value line
PHONE = (412, 915)  # a phone's viewport, CSS pixels
# While the drive changes every main-loop tick the page must keep up with
# the station: at least this share of its new images, and this many a second.
FRAME_SHARE = 0.5
FRAME_FLOOR = 10

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
except ImportError:
    webdriver = None


def wait_for(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"{what}: not within {seconds} s")


def ask(path, line):
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as channel:
        channel.settimeout(5)
        channel.connect(path)
        channel.sendall(line.encode() + b"\n")
        answer = b""
        while not answer.endswith(b"\n"):
            answer += channel.recv(65536)
        return answer.decode().strip()


def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as file:
            return file.read()
    except FileNotFoundError:
        return ""


class Station:
    """The emulator, the station and the web server under a new run root."""

    def __init__(self, args, root):
        self.root = root
        self.processes = []
        subprocess.run(["bash", "-c", 'source scripts/run-root.sh && prepare_run_root "$0"', root],
                       cwd=args.source, check=True)
        out = open(os.path.join(root, "amp-emulator.out"), "w")
        self.start([args.emulator, "--root", root], out, "amp-emulator.log")
        wait_for(lambda: "amp-emulator ready" in read(out.name), 10, "the emulator's pseudo-terminal")
        self.start([args.station, "--root", root, "--time-scale", TIME_SCALE], subprocess.DEVNULL, "station.log")
        web = subprocess.Popen([args.web, "--root", root, "--port", "0"], stdout=subprocess.PIPE,
                               stderr=open(os.path.join(root, "sim-web.log"), "w"), text=True)
        self.processes.append(web)
        ready = web.stdout.readline().split()
        if ready[:2] != ["brisel-sim-web", "ready"]:
            raise AssertionError(f"the web server did not start: {ready}")
        self.url = ready[2]

    def start(self, command, out, log):
        self.processes.append(subprocess.Popen(command, stdout=out,
                                               stderr=open(os.path.join(self.root, log), "w")))

    def log(self):
        return read(os.path.join(self.root, "station.log"))

    def emulator(self, line):
        return ask(os.path.join(self.root, "run/amp-emulator.sock"), line)

    def emulator_field(self, field):
        for pair in self.emulator("state").split():
            if pair.startswith(field + "="):
                return pair.split("=", 1)[1]
        return None

    def frame_number(self):
        """The number of the frame the station shows (it writes it as a PNG to ask)."""
        return int(ask(os.path.join(self.root, "run/panel.sock"),
                       "frame 0 " + os.path.join(self.root, "tmp/count.png")).split()[1])

    def stop(self):
        for process in reversed(self.processes):
            process.terminate()
        for process in self.processes:
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()


def browser(profile, extra_flags=()):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--hide-scrollbars", "--window-size=1400,1000", f"--user-data-dir={profile}", *extra_flags):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


# A fingerprint of screen rows [first, last) of the page's canvas, and the
# number of colours in them.
REGION_SCRIPT = """
const [first, last] = arguments;
const data = document.getElementById('screen').getContext('2d').getImageData(0, first, 800, last - first).data;
let hash = 2166136261;
const colours = new Set();
for (let i = 0; i < data.length; i += 4) {
  const colour = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
  colours.add(colour);
  hash = Math.imul(hash ^ colour, 16777619) >>> 0;
}
return [hash, colours.size];
"""


# Notes when each frame is drawn, with a fingerprint of it, and when a key is let go.
TIMING_SCRIPT = """
if (!window.timing) {
  window.timing = {draws: [], releases: []};
  const draw = CanvasRenderingContext2D.prototype.drawImage;
  CanvasRenderingContext2D.prototype.drawImage = function (...args) {
    const result = draw.apply(this, args);
    const data = this.getImageData(0, 0, 800, 480).data;
    let hash = 0;
    for (let i = 0; i < data.length; i += 4 * 97) hash = (Math.imul(hash, 31) + data[i] + (data[i + 1] << 8)) >>> 0;
    window.timing.draws.push([performance.now(), hash]);
    return result;
  };
  document.addEventListener("pointerup", () => window.timing.releases.push(performance.now()), true);
}
"""

# The page's keys and screen as laid out: each one's left and right edge, and the viewport's width.
LAYOUT_SCRIPT = """
const box = (element) => { const r = element.getBoundingClientRect(); return [r.left, r.right]; };
return {width: document.documentElement.clientWidth,
        screen: box(document.getElementById('screen')),
        keys: [...document.querySelectorAll('.key')].map(box)};
"""


class Page:
    def __init__(self, driver, url):
        self.driver = driver
        driver.get(url)

    def frames(self):
        return self.driver.execute_script("return window.brisel.frames")

    def region(self, first=0, last=480):
        return self.driver.execute_script(REGION_SCRIPT, first, last)

    def key(self, number):
        return self.driver.find_element(By.CSS_SELECTOR, f'.key[data-key="{number}"]')

    def press(self, number):
        self.key(number).click()
        # The page holds a click 0.1 s and lets it up; then the station acts on it.
        time.sleep(0.6)

    def type(self, number):
        """The same key from the computer's keyboard."""
        ActionChains(self.driver).key_down(str(number)).pause(0.15).key_up(str(number)).perform()
        time.sleep(0.6)

    def state(self, field):
        return self.driver.find_element(By.ID, f"state-{field}").text

    def click(self, element_id):
        self.driver.find_element(By.ID, element_id).click()

    def shown(self, element_id):
        return self.driver.find_element(By.ID, element_id).is_displayed()


def frames_while_meters_move(page, station, seconds=4.0):
    """The drive changes every main-loop tick: the page's frames a second and the station's new images a second."""
    drawn, made, start = page.frames(), station.frame_number(), time.monotonic()
    for step in range(int(seconds / 0.04)):
        station.emulator(f"key {1 + step % 10} 14074000")
        time.sleep(0.04)
    elapsed = time.monotonic() - start
    rates = ((page.frames() - drawn) / elapsed, (station.frame_number() - made) / elapsed)
    station.emulator("unkey")
    return rates


def key_latencies(page, presses=5):
    """Milliseconds from letting key 6 go (the next window) to the page drawing the changed screen."""
    page.driver.execute_script(TIMING_SCRIPT)
    latencies = []
    for _ in range(presses):
        ActionChains(page.driver).move_to_element(page.key(6)).click_and_hold().pause(0.15).release().perform()
        time.sleep(1.0)
        timing = page.driver.execute_script("return window.timing")
        released = timing["releases"][-1]
        before = [fingerprint for when, fingerprint in timing["draws"] if when <= released]
        changed = [when for when, fingerprint in timing["draws"]
                   if when > released and (not before or fingerprint != before[-1])]
        if changed:
            latencies.append(changed[0] - released)
    return latencies


def check_protection_cleared(page, station):
    """A carrier into a bad load trips the reflected-power protection; the page's control clears it."""
    station.emulator("load swr 20")
    station.emulator("key 5 14074000")
    wait_for(lambda: station.emulator_field("protection") not in (None, "00"), 10, "a tripped protection")
    station.emulator("unkey")
    station.emulator("load swr 1")
    page.click("clear-protection")
    wait_for(lambda: station.emulator_field("protection") == "00", 10, "the protection cleared by key 6")
    wait_for(lambda: page.driver.find_element(By.ID, "protection-bits").text == "none", 5,
             "the page showing no latches")


def save_screenshots(page, station, folder):
    """The page with a carrier into a dipole a little off resonance, at desktop and at phone width."""
    page.click("load-dipole-off")
    station.emulator("key 4 14074000")
    time.sleep(2)
    for name, size in (("screenshot.png", (1380, 1000)), ("screenshot-phone.png", PHONE)):
        page.driver.set_window_size(*size)
        height = page.driver.execute_script("return document.documentElement.scrollHeight")
        page.driver.set_window_size(size[0], height if name == "screenshot.png" else size[1])
        time.sleep(1)
        page.driver.save_screenshot(os.path.join(folder, name))
    station.emulator("unkey")
    page.driver.set_window_size(1400, 1000)


def check_presets(page, station):
    for preset, expected in (("SWR 3", "load_swr=3.00"), ("SWR 1.5", "load_swr=1.50")):
        page.driver.find_element(By.XPATH, f'//button[text()="{preset}"]').click()
        wait_for(lambda: expected in station.emulator("state"), 5, f"the preset {preset}")
    page.click("load-dipole-off")
    # 3 % above the page's frequency of 14074000 Hz.
    wait_for(lambda: "load=dipole:14496220" in station.emulator("state"), 5, "the dipole off resonance")
    page.driver.find_element(By.XPATH, '//button[text()="50 Ω"]').click()


def check_phone_width(driver):
    driver.set_window_size(*PHONE)
    time.sleep(0.5)
    layout = driver.execute_script(LAYOUT_SCRIPT)
    width = layout["width"]
    outside = [number for number, (left, right) in enumerate(layout["keys"], 1) if left < 0 or right > width + 0.5]
    driver.set_window_size(1400, 1000)
    if len(layout["keys"]) != 6 or outside or layout["screen"][1] > width + 0.5:
        raise AssertionError(f"at {width} px: keys {outside} or the screen {layout['screen']} off the page")
    return width


def run(args):
    if webdriver is None or not (os.access(CHROMIUM, os.X_OK) and os.access(CHROMEDRIVER, os.X_OK)):
        print("skipped: chromium, chromium-driver or python3-selenium is not installed")
        return SKIPPED
    failures = []
    with tempfile.TemporaryDirectory(prefix="brisel-browser-") as work:
        root = os.path.join(work, "root")
        station = Station(args, root)
        driver = None
        try:
            driver = browser(os.path.join(work, "profile"))
            page = Page(driver, station.url)
            wait_for(page.frames, 20, "the first frame")
            # The keys are live once the countdown and the menu set-up are over.
            wait_for(lambda: "Keyboard function entered" in station.log(), 60, "the main screen")
            time.sleep(1)
            colours = page.region()[1]
            if colours < 8:
                raise AssertionError(f"the screen is blank: {colours} colours")
            print(f"screen with {colours} colours after {page.frames()} frames")

            if not page.shown("radio-absent") or page.shown("radio-row"):
                failures.append("the transceiver's controls show without its emulator")
            for check in (check_protection_cleared, check_presets):
                try:
                    check(page, station)
                    print(f"{check.__name__}: done")
                except AssertionError as error:
                    failures.append(f"{check.__name__}: {error}")
            try:
                print(f"keys 1 to 6 and the screen fit {check_phone_width(driver)} px")
            except AssertionError as error:
                failures.append(f"phone width: {error}")

            page_rate, station_rate = frames_while_meters_move(page, station)
            print(f"while the meters move: the page drew {page_rate:.1f} frames a second, "
                  f"the station made {station_rate:.1f} new images a second")
            if page_rate < min(FRAME_FLOOR, FRAME_SHARE * station_rate):
                failures.append(f"the page fell behind: {page_rate:.1f} frames a second of {station_rate:.1f}")
            latencies = key_latencies(page)
            if latencies:
                print(f"from a key's release to the new screen: {sorted(latencies)[len(latencies) // 2]:.0f} ms "
                      f"(median of {[round(value) for value in latencies]}; the station's clock at x{TIME_SCALE})")
            else:
                failures.append("key 6 never changed the screen")
            # Back to window 1, as the first start shows it.
            for _ in range(5):
                if "ViewType: 1" in read(os.path.join(root, "opt/set/setup.txt")):
                    break
                page.press(6)
            if args.screenshots:
                save_screenshots(page, station, args.screenshots)

            try:
                page.press(5)  # SET
                page.press(4)  # down
                page.press(3)  # up again: the first item, the number of banks
                page.press(6)  # edit
                before = page.region(*MENU_ROWS)
                page.press(5)  # +
                wait_for(lambda: page.region(*MENU_ROWS) != before, 5, "the new value on the screen")
                page.press(6)  # ENTER saves
                setup = os.path.join(root, "opt/set/setup.txt")
                wait_for(lambda: "MAXbank: 4\n" in read(setup), 10, "MAXbank: 4 in the setup file")
                print("the menu: the value changed on the screen and in the setup file")
            except AssertionError as error:
                failures.append(f"the menu: {error}")
            page.press(1)  # BACK to the main screen

            page.type(4)  # the tune menu, from the keyboard
            # The first press of 6 may only take the start-up warnings down.
            for _ in range(3):
                page.press(6)
                try:
                    wait_for(lambda: "MT;" in station.emulator("received"), 3, "the manual tune screen")
                    break
                except AssertionError:
                    continue
            else:
                raise AssertionError("the manual tune screen never opened: " + station.emulator("received"))
            start = int(page.state("tuner_l") or 0)
            frames_before = page.frames()
            seen = []
            hold = ActionChains(driver).move_to_element(page.key(3)).click_and_hold()
            hold.perform()
            held_until = time.monotonic() + 2.0
            while time.monotonic() < held_until:
                value = int(page.state("tuner_l") or 0)
                if not seen or value != seen[-1]:
                    seen.append(value)
                time.sleep(0.05)
            ActionChains(driver).release().perform()
            print(f"{(page.frames() - frames_before) / 2.0:.0f} frames a second while L changed")
            steps = [value for value in seen if value > start]
            print(f"L while key 3 was held: {seen}")
            if len(steps) < 3 or steps != sorted(steps):
                failures.append(f"holding up L did not step L repeatedly: {seen}")
        finally:
            if driver:
                driver.quit()
            station.stop()
            if failures:
                print(station.log()[-3000:], file=sys.stderr)
    for failure in failures:
        print("FAILED:", failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for name in ("station", "emulator", "web", "source"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--screenshots", help="a folder for the page at desktop and phone width")
    sys.exit(run(parser.parse_args()))
