#!/usr/bin/python3
"""The phone view in a real browser: headless Chromium (through Selenium) against valdoria-cli monitor
running the built-in simulator. Run by CTest as test_webbrowser:

    /usr/bin/python3 browser_test.py --cli PATH/valdoria-cli --out BUILD_FOLDER

The phone-sized screenshots are left in the output folder (phone-390x844.png, phone-390x844-dark.png,
desktop-1280x900.png)."""

import argparse
import json
import os
import re
import select
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

TOKEN = "5f1c0e9a7b3d4e2f8a6c1b0d9e7f3a21"
FAILURES = []
SKIPPED = []
# CTest reports a test that ends with this code as skipped.
SKIP_CODE = 77


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        FAILURES.append(what)


class Monitor:
    """valdoria-cli monitor --simulate with the phone view on a free port; its JSON lines and stderr."""

    def __init__(self, cli, folder):
        config = os.path.join(folder, "config")
        os.makedirs(os.path.join(config, "Valdoria2052"))
        with open(os.path.join(config, "Valdoria2052", "Pro.ini"), "w") as ini:
            ini.write("[Config]\nWeb_Token=%s\n" % TOKEN)
        self.log = os.path.join(folder, "simulator.log")
        env = dict(os.environ, XDG_CONFIG_HOME=config)
        self.process = subprocess.Popen(
            [cli, "monitor", "--simulate", "--json", "--data-dir", os.path.join(folder, "data"),
             "--remote-port", "0", "--web-port", "0", "--simulator-log", self.log],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
        self.lines = []
        self.err = b""
        self.out = b""
        self.url = None
        deadline = time.monotonic() + 30
        while self.url is None and time.monotonic() < deadline:
            self.pump(0.2)
            found = re.search(rb"phone view on (http://127\.0\.0\.1:\d+/)", self.err)
            if found:
                self.url = found.group(1).decode()
        if self.url is None:
            raise RuntimeError("valdoria-cli did not open the phone view: " + self.err.decode(errors="replace"))

    def pump(self, timeout):
        """Reads what the monitor printed; JSON lines land in self.lines with the time they arrived."""
        streams = [self.process.stdout, self.process.stderr]
        ready, _, _ = select.select(streams, [], [], timeout)
        for stream in ready:
            chunk = os.read(stream.fileno(), 65536)
            if stream is self.process.stderr:
                self.err += chunk
                continue
            self.out += chunk
            while b"\n" in self.out:
                line, self.out = self.out.split(b"\n", 1)
                self.lines.append((time.monotonic(), json.loads(line)))

    def next_line(self, accept, timeout):
        """The first JSON line from now on that accept() takes, with its arrival time."""
        start = len(self.lines)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for arrived, line in self.lines[start:]:
                if accept(line):
                    return arrived, line
            start = len(self.lines)
            self.pump(0.1)
        return None, None

    def keys_received(self):
        with open(self.log) as log:
            return [line.strip() for line in log if line.startswith("KEY")]

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()


def browser(width=390, height=844, mobile=True):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"):
        options.add_argument(argument)
    if mobile:
        options.add_experimental_option(
            "mobileEmulation", {"deviceMetrics": {"width": width, "height": height, "pixelRatio": 2.0}})
    else:
        options.add_argument("--window-size=%d,%d" % (width, height))
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def shown(driver):
    return driver.execute_script(
        "return {frequency: document.getElementById('frequency').textContent,"
        " names: document.getElementById('names').textContent,"
        " mode: document.getElementById('mode').textContent,"
        " link: document.getElementById('link').textContent};")


def wait_for(driver, condition, timeout):
    try:
        WebDriverWait(driver, timeout, poll_frequency=0.02).until(lambda d: condition(shown(d)))
        return True
    except TimeoutException:
        return False


def frequency_and_name(line):
    """What a monitor line shows: the frequency as the display writes it and the first name, or Nones. Lines
    are the monitor's readings (frequency_hz, channel_name, talkgroup_name) or its older display fields."""
    if "frequency_hz" in line:
        hz = line["frequency_hz"]
        frequency = "%.4f" % (hz / 1e6) if hz else None
        name = line.get("channel_name") or line.get("talkgroup_name")
    else:
        frequency = line.get("frequency") or None
        name = (line.get("names") or [None])[0]
    return frequency, name


def monitor_gives_readings(monitor):
    """A monitor whose parsers fill no readings prints its display fields ("frequency") instead: then
    nothing reaches the page either, and the checks that follow the scanner cannot be made."""
    _, line = monitor.next_line(lambda l: True, 30)
    return line is not None and "frequency_hz" in line


def follows_the_scanner(monitor, driver):
    # The simulator's script stops on named channels a few seconds apart; each stop the monitor prints
    # must be on the page within a second of the line.
    if not monitor_gives_readings(monitor):
        SKIPPED.append("the page following the scanner: this monitor gives no readings")
        return
    followed = []
    for _ in range(2):
        previous = followed[-1] if followed else None
        arrived, line = monitor.next_line(
            lambda l: all(frequency_and_name(l)) and frequency_and_name(l)[0] != previous, 40)
        check(line is not None, "the simulator stops on a named channel")
        if line is None:
            return
        frequency, name = frequency_and_name(line)
        seen = wait_for(driver, lambda s: s["frequency"] == frequency and name in s["names"],
                        max(0.05, arrived + 1.0 - time.monotonic()))
        check(seen, "the page shows %s %s within a second" % (frequency, name))
        if seen:
            followed.append(frequency)
    check(len(set(followed)) == 2, "the page followed a change of channel")


def keys_refused_without_token(monitor, driver):
    disabled = driver.execute_script(
        "return Array.from(document.querySelectorAll('#keypad button')).every(b => b.disabled);")
    check(disabled, "without the token the keypad is disabled")
    check(driver.find_element(By.ID, "keys-note").is_displayed(), "and says the token is needed")
    before = monitor.keys_received()
    answer = driver.execute_async_script("""
        const done = arguments[arguments.length - 1];
        const ws = new WebSocket('ws://' + location.host + '/ws');
        ws.onmessage = (e) => { const m = JSON.parse(e.data);
            if (m.type === 'hello') ws.send(JSON.stringify({type: 'key', key: 'btnHOLD'}));
            if (m.type === 'error') { done(m.error); ws.close(); } };
        setTimeout(() => done('no answer'), 3000);""")
    check("token" in answer, "a key sent without the token is refused: " + answer)
    check(monitor.keys_received() == before, "and never reaches the scanner")


def key_reaches_scanner(monitor, url):
    driver = browser()
    try:
        driver.get(url + "?token=" + TOKEN)
        check(driver.current_url == url, "the token moves into a cookie and out of the address")
        WebDriverWait(driver, 5).until(
            lambda d: d.execute_script("return !document.querySelector('[data-key=btnHOLD]').disabled;"))
        before = len(monitor.keys_received())
        driver.find_element(By.CSS_SELECTOR, "[data-key=btnHOLD]").click()
        deadline = time.monotonic() + 3
        while len(monitor.keys_received()) == before and time.monotonic() < deadline:
            time.sleep(0.05)
        check(monitor.keys_received()[before:] == ["KEY07"], "HOLD on the page reaches the scanner as KEY07")
        if not SKIPPED:
            check(wait_for(driver, lambda s: s["mode"] == "MANUAL", 5), "and the page shows the scanner in MANUAL")
    finally:
        driver.quit()


# arguments[0]: the width the page must fit (a phone's viewport widens to fit a page that overflows it).
LAYOUT = """
const width = arguments[0] || window.innerWidth;
const problems = [];
if (document.documentElement.scrollWidth > width) problems.push('page scrolls sideways: ' +
    document.documentElement.scrollWidth);
for (const el of document.querySelectorAll('header, main, main *')) {
  const r = el.getBoundingClientRect();
  if (r.width === 0 || getComputedStyle(el).display === 'none') continue;
  if (r.left < -0.5 || r.right > width + 0.5) problems.push((el.id || el.tagName + '.' + el.className) +
      ' spans ' + r.left + '..' + r.right);
}
const keys = Array.from(document.querySelectorAll('#keypad button')).filter(b => !b.hidden);
const rows = new Map();
for (const k of keys) {
  const r = k.getBoundingClientRect();
  if (r.height < 40 || r.width < 40) problems.push(k.textContent + ' is too small to press: ' + r.width + 'x' + r.height);
  const top = Math.round(r.top);
  rows.set(top, (rows.get(top) || 0) + 1);
}
for (const [top, count] of rows) if (count > 5) problems.push(count + ' keys in the row at ' + top);
const display = document.getElementById('display').getBoundingClientRect();
const keypad = document.getElementById('keypad').getBoundingClientRect();
if (display.bottom > keypad.top && display.right > keypad.left && keypad.right > display.left)
  problems.push('the keypad overlaps the display');
if (display.top > 120) problems.push('the display starts at ' + display.top);
const frequency = document.getElementById('frequency').getBoundingClientRect();
if (frequency.height > 80) problems.push('the frequency wraps: ' + frequency.height);
return {width: window.innerWidth, problems: problems, keys: keys.length, rows: rows.size};
"""


def phone_layout(url, out):
    driver = browser()
    try:
        driver.get(url + "?token=" + TOKEN)
        wait_for(driver, lambda s: re.match(r"^\d+\.\d{4}$", s["frequency"]) is not None, 30)
        WebDriverWait(driver, 10).until(
            lambda d: d.execute_script("return document.getElementById('chart').children.length === 24;"))
        layout = driver.execute_script(LAYOUT, 390)
        check(layout["width"] == 390, "the phone's viewport is 390 pixels wide (%s)" % layout["width"])
        check(not layout["problems"], "nothing overflows or overlaps at 390x844: %s" % layout["problems"])
        check(layout["keys"] == 25 and layout["rows"] == 5,
              "the PRO-2052's 25 keys stand in five rows (%d keys, %d rows)" % (layout["keys"], layout["rows"]))
        driver.save_screenshot(os.path.join(out, "phone-390x844.png"))
        driver.execute_cdp_cmd("Emulation.setEmulatedMedia",
                               {"features": [{"name": "prefers-color-scheme", "value": "dark"}]})
        dark = driver.execute_script("return getComputedStyle(document.body).backgroundColor;")
        check(dark == "rgb(17, 21, 19)", "the page follows a dark system theme (%s)" % dark)
        driver.save_screenshot(os.path.join(out, "phone-390x844-dark.png"))
    finally:
        driver.quit()
    driver = browser(1280, 900, mobile=False)
    try:
        driver.get(url)
        layout = driver.execute_script(LAYOUT)
        check(not layout["problems"], "nothing overflows on a desktop: %s" % layout["problems"])
        driver.save_screenshot(os.path.join(out, "desktop-1280x900.png"))
    finally:
        driver.quit()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        monitor = Monitor(args.cli, folder)
        try:
            driver = browser()
            try:
                driver.get(monitor.url)
                check(wait_for(driver, lambda s: s["link"] == "Scanner connected", 20),
                      "the page shows the scanner connected")
                follows_the_scanner(monitor, driver)
                keys_refused_without_token(monitor, driver)
            finally:
                driver.quit()
            key_reaches_scanner(monitor, monitor.url)
            phone_layout(monitor.url, args.out)
        finally:
            monitor.stop()
    if FAILURES:
        print("%d checks failed" % len(FAILURES))
        return 1
    for what in SKIPPED:
        print("SKIP " + what)
    return SKIP_CODE if SKIPPED else 0


if __name__ == "__main__":
    sys.exit(main())
