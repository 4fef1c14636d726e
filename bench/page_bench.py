#!/usr/bin/python3
"""The live page's figures, measured from outside in headless chromium:
  sample to browser: from a sample's time to its event in the page (p50, p99)
  page first paint:  from loading the page to the trend drawn, on a served
                     recording of N records (default 10M), after the server's
                     first read of it

usage: bench/page_bench.py TARNIX_LOG [RECORDS] [SAMPLES]
"""
import os
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

tarnix_log = sys.argv[1]
records = int(sys.argv[2]) if len(sys.argv) > 2 else 10_000_000
samples = int(sys.argv[3]) if len(sys.argv) > 3 else 30
work = tempfile.mkdtemp(prefix="tarnix-page-bench-")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(url, seconds=120):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            if urllib.request.urlopen(url, timeout=5).status == 200:
                return
        except OSError:
            time.sleep(0.1)
    raise SystemExit("no answer from " + url)


def browser():
    options = webdriver.ChromeOptions()
    for flag in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                 "--window-size=1600,900"):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(p / 100 * len(values)))]


def write_recording(path, n):
    """One-second samples from 2026-12-01, two thirds mV, one third kOhm."""
    import datetime
    start = datetime.datetime(2026, 12, 1)
    with open(path, "w", newline="") as f:
        day, date, block = None, "", []
        for i in range(1, n + 1):
            at = start + datetime.timedelta(seconds=i)
            if at.date() != day:
                day = at.date()
                date = at.strftime("%y/%m/%d")
            s = i % 86400
            value = ("DCV,200mV,-%.2f" % ((i % 2000) / 100)) if i % 3 else "RES,20KOhm,12.345"
            block.append("%d,%s,%02d:%02d:%02d.0,%s\r\n" % (i, date, s // 3600, s // 60 % 60, s % 60, value))
            if len(block) == 100000:
                f.write("".join(block))
                block = []
        f.write("".join(block))


# Sample to browser.
port = free_port()
base = "http://127.0.0.1:%d" % port
recorder = subprocess.Popen([tarnix_log, "record", "--simulate", "--interval", "1",
                             "--http", "127.0.0.1:%d" % port, os.path.join(work, "live.dat")],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
driver = browser()
try:
    wait_for(base + "/api/status")
    driver.get(base + "/")
    driver.execute_script(
        # Status changes between samples send the last sample again: each
        # sample counts at its first arrival.
        "window.delays = []; const seen = new Set();"
        " new EventSource('/events').addEventListener('reading', (e) => {"
        " const t = Date.parse(JSON.parse(e.data).time);"
        " if (!isNaN(t) && !seen.has(t)) { seen.add(t); delays.push(Date.now() - t); } });")
    end = time.monotonic() + samples + 10
    while time.monotonic() < end and len(driver.execute_script("return delays")) < samples + 1:
        time.sleep(0.5)
    delays = driver.execute_script("return delays")[1:]  # the first is the status as it was
    print("page: sample to browser over %d samples: median %d ms, p99 %d ms"
          % (len(delays), percentile(delays, 50), percentile(delays, 99)))
finally:
    recorder.terminate()
    recorder.wait(10)

# Page first paint on a served recording.
big = os.path.join(work, "big.dat")
write_recording(big, records)
port = free_port()
base = "http://127.0.0.1:%d" % port
server = subprocess.Popen([tarnix_log, "serve", "--http", "127.0.0.1:%d" % port, big],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    wait_for(base + "/api/files")
    started = time.monotonic()
    urllib.request.urlopen(base + "/api/trend?columns=1000", timeout=300).read()
    first_read = time.monotonic() - started
    times = []
    for _ in range(5):
        driver.get("about:blank")
        started = time.monotonic()
        driver.get(base + "/")
        while not driver.execute_script("return document.body.dataset.trendDrawn"):
            time.sleep(0.01)
        times.append(time.monotonic() - started)
    print("page: first paint with %d records: median %.2f s, worst %.2f s (server's first read %.2f s)"
          % (records, percentile(times, 50), max(times), first_read))
finally:
    driver.quit()
    server.terminate()
    server.wait(10)
