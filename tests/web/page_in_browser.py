#!/usr/bin/python3
"""The live page in a real browser: Debian's chromium, headless, driven by
selenium, on a recorder of the simulated meter at 127.0.0.1. The reading
appears and changes with the meter, the trend zooms, a file downloads, and
the page reads well on a phone's width in the dark.

usage: page_in_browser.py TARNIX_LOG [SHOTS_DIR]   (exit 77: no browser here)
"""
import os
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
except ImportError:
    sys.exit(77)
if not os.path.exists("/usr/bin/chromedriver"):
    sys.exit(77)

tarnix_log = sys.argv[1]
shots = sys.argv[2] if len(sys.argv) > 2 else None


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def until(what, seconds=10.0):
    """The first true value of what() within the time, else a failure."""
    end = time.monotonic() + seconds
    while True:
        value = what()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what.__doc__)
        time.sleep(0.05)


work = tempfile.mkdtemp(prefix="tarnix-page-")
port = free_port()
base = "http://127.0.0.1:%d" % port
recorder = subprocess.Popen(
    [tarnix_log, "record", "--simulate", "--interval", "1",
     "--http", "127.0.0.1:%d" % port, os.path.join(work, "bench.dat")],
    stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "recorder.log"), "w"))
driver = None
try:
    def answers():
        """the recorder's server"""
        try:
            return urllib.request.urlopen(base + "/api/status", timeout=1).status == 200
        except OSError:
            return False
    until(answers)

    options = webdriver.ChromeOptions()
    for flag in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                 "--window-size=1200,900"):
        options.add_argument(flag)
    downloads = os.path.join(work, "downloads")
    options.add_experimental_option("prefs", {"download.default_directory": downloads})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.get(base + "/")

    def shown():
        """a reading on the page"""
        text = driver.find_element(By.ID, "display").text
        return text if text not in ("", "—") else None
    until(shown)
    first_sample = driver.find_element(By.ID, "last").text

    def next_sample():
        """the next sample on the page"""
        return driver.find_element(By.ID, "last").text != first_sample
    until(next_sample, 5)
    assert driver.find_element(By.ID, "answers").text == "meter answers"
    assert driver.find_element(By.ID, "function").text not in ("", "—")

    # The trend zooms in on a wheel turn over it.
    def spanned():
        """a trend of at least 2 s"""
        text = driver.find_element(By.ID, "trendSpan").text
        return text if text and not text.startswith("· 1 s") else None
    until(spanned)
    span = lambda: float(driver.execute_script("return document.getElementById('trend').dataset.span"))
    before = span()
    driver.execute_script(
        "const c = document.getElementById('trend'), r = c.getBoundingClientRect();"
        "c.dispatchEvent(new WheelEvent('wheel', {deltaY: -100, clientX: r.right - 20,"
        " clientY: r.top + 50, bubbles: true, cancelable: true}));")

    def zoomed():
        """the trend zoomed in"""
        return span() <= 0.81 * before
    until(zoomed, 3)

    # A file downloads as CSV: the lines convert writes of the same file.
    driver.find_element(By.LINK_TEXT, "CSV").click()
    saved = os.path.join(downloads, "bench.csv")

    def downloaded():
        """the CSV download"""
        return os.path.exists(saved) and os.path.getsize(saved) > 0
    until(downloaded)
    converted = os.path.join(work, "converted.csv")
    subprocess.run([tarnix_log, "convert", os.path.join(work, "bench.dat"), converted],
                   check=True, stderr=subprocess.DEVNULL)
    got = open(saved, "rb").read()
    assert got.startswith(b"time,value,unit,function,range,display\r\n"), got[:80]
    assert open(converted, "rb").read().startswith(got), "the download is not what convert wrote"

    if shots:
        os.makedirs(shots, exist_ok=True)
        driver.save_screenshot(os.path.join(shots, "page-light.png"))
        driver.set_window_size(390, 844)
        driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
            "features": [{"name": "prefers-color-scheme", "value": "dark"}]})
        driver.save_screenshot(os.path.join(shots, "page-phone-dark.png"))
    # Dark: the page's own colours, not the browser's.
    driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
        "features": [{"name": "prefers-color-scheme", "value": "dark"}]})
    background = driver.execute_script(
        "return getComputedStyle(document.body).backgroundColor")
    assert background == "rgb(21, 23, 26)", background
    print("page in browser: reading shown and followed")
finally:
    if driver:
        driver.quit()
    recorder.terminate()
    recorder.wait(10)
