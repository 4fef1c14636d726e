#!/usr/bin/env python3
"""Many benches, one broker: 10 `tarnix-log --simulate --mqtt --ha-discovery`
processes publishing once a second to one local mosquitto, then one publisher
through a broker outage, then one bench whose alarm changes every second.

1. Load: loss (sequence numbers missing at the subscriber), CPU per process
   (user + system time over its run) and the delay from the sample's time to
   its arrival at mosquitto_sub (99th percentile).
2. Outage: the broker stopped for OUTAGE seconds mid-run and started again;
   how long after its return the publisher is connected again and the last
   sample taken during the outage has reached the subscriber.
3. Alarm: tarnix-meter-sim on a pseudo-terminal with limits of 2 to 5 V and
   readings of 1, 9 and 3 V in turn, recorded with --ha-discovery and an
   --on-alarm command that notes when it starts: the delay from the sample's
   time to the command's start, and from the sample's time to the reading's
   and the alarm state's arrival at mosquitto_sub.

Usage: bench/mqtt_bench.py [--tarnix-log PATH] [--meter-sim PATH] [--processes 10]
                           [--seconds 60] [--outage 30] [--alarm-seconds 60]
"""
import argparse
import datetime
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Broker:
    def __init__(self, folder):
        self.port = free_port()
        self.config = os.path.join(folder, "mosquitto.conf")
        with open(self.config, "w") as f:
            f.write(f"listener {self.port} 127.0.0.1\nallow_anonymous true\n"
                    f"persistence true\npersistence_location {folder}/\n"
                    "max_queued_messages 100000\nlog_dest none\n")
        self.process = None

    def start(self):
        program = shutil.which("mosquitto") or "/usr/sbin/mosquitto"
        self.process = subprocess.Popen([program, "-c", self.config])
        while True:  # until it listens
            try:
                socket.create_connection(("127.0.0.1", self.port), 0.2).close()
                return time.time()
            except OSError:
                time.sleep(0.02)

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        self.process.wait()


class Subscriber:
    """mosquitto_sub with a lasting session; each message kept with its arrival time."""

    def __init__(self, port, topic):
        self.messages = []  # (arrival, topic, payload)
        self.process = subprocess.Popen(
            ["mosquitto_sub", "-h", "127.0.0.1", "-p", str(port), "-q", "1", "-c", "-i",
             "bench-" + str(os.getpid()), "-t", topic, "-F", "%U %t %p"],
            stdout=subprocess.PIPE, text=True)
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        for line in self.process.stdout:
            arrival, topic, payload = line.rstrip("\n").split(" ", 2)
            self.messages.append((float(arrival), topic, payload))

    def readings(self):
        for arrival, topic, payload in list(self.messages):
            if topic.endswith("/reading"):
                yield arrival, topic, json.loads(payload)

    def stop(self):
        self.process.terminate()
        self.process.wait()


def sample_time(reading):
    return datetime.datetime.fromisoformat(reading["time"]).timestamp()


def run_logger(path, port, topic, seconds, stderr_lines, meter=("--simulate",), extra=()):
    process = subprocess.Popen(
        [path, "record", *meter, "--interval", "1", "--duration", str(seconds), "--mqtt",
         f"mqtt://127.0.0.1:{port}", "--topic", topic, "--ha-discovery", *extra],
        stderr=subprocess.PIPE, text=True)

    def read():
        for line in process.stderr:
            stderr_lines.append((time.time(), line.rstrip("\n")))
    threading.Thread(target=read, daemon=True).start()
    return process


def wait_with_cpu(process):
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    return usage.ru_utime + usage.ru_stime


def load(args, folder):
    broker = Broker(folder)
    broker.start()
    subscriber = Subscriber(broker.port, "bench/#")
    time.sleep(0.5)  # subscribed before the first sample
    started = time.time()
    runs = []
    for n in range(args.processes):
        lines = []
        runs.append((f"bench/{n + 1}", run_logger(args.tarnix_log, broker.port, f"bench/{n + 1}",
                                                   args.seconds, lines), lines))
    cpu = {topic: wait_with_cpu(process) for topic, process, _ in runs}
    wall = time.time() - started
    time.sleep(0.5)
    subscriber.stop()
    broker.stop()

    delays, lost, received = [], 0, 0
    for topic, process, lines in runs:
        seqs = sorted({r["seq"] for _, t, r in subscriber.readings() if t == topic + "/reading"})
        received += len(seqs)
        lost += (seqs[-1] - len(seqs)) if seqs else 1
        if process.returncode != 0:
            print(f"{topic}: exit {process.returncode}: {lines}", file=sys.stderr)
    for arrival, _, reading in subscriber.readings():
        delays.append((arrival - sample_time(reading)) * 1000)
    delays.sort()
    p99 = percentile(delays, 0.99)
    per_process = [100 * c / wall for c in cpu.values()]
    print(f"load: {args.processes} processes x {args.seconds} s at 1 s: {received} readings "
          f"received, {lost} lost")
    print(f"load: CPU per process {min(per_process):.2f}% .. {max(per_process):.2f}% "
          f"(mean {sum(per_process) / len(per_process):.2f}%)")
    print(f"load: delay sample -> subscriber: median {delays[len(delays) // 2]:.1f} ms, "
          f"99th percentile {p99:.1f} ms, max {delays[-1]:.1f} ms")


def outage(args, folder):
    broker = Broker(folder)
    broker.start()
    subscriber = Subscriber(broker.port, "outage/#")
    time.sleep(0.5)
    lines = []
    process = run_logger(args.tarnix_log, broker.port, "outage", args.outage + 20, lines)
    time.sleep(8)
    broker.stop()
    stopped = time.time()
    time.sleep(args.outage)
    back = broker.start()
    process.wait()
    time.sleep(1)
    subscriber.stop()
    broker.stop()

    readings = list(subscriber.readings())
    during = [(a, r) for a, _, r in readings if stopped <= sample_time(r) < back]
    seqs = sorted({r["seq"] for _, _, r in readings})
    reconnect = next((t for t, line in lines if t > back and "connected to" in line), None)
    last = max(a for a, _ in during) if during else None
    print(f"outage: broker away {back - stopped:.1f} s, {len(during)} samples taken meanwhile")
    if reconnect:
        print(f"outage: publisher connected again {reconnect - back:.2f} s after the broker's return")
    if last:
        print(f"outage: the last of them reached the subscriber {last - back:.2f} s after the "
              f"broker's return (mosquitto_sub itself reconnects after 1 s)")
    missing = (seqs[-1] - len(seqs)) if seqs else -1
    print(f"outage: {len(seqs)} readings in all, {missing} missing, exit {process.returncode}")
    for t, line in lines:
        print(f"  [{t - stopped:+7.2f} s] {line}")


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(len(values) * p))]


def alarm(args, folder):
    broker = Broker(folder)
    broker.start()
    subscriber = Subscriber(broker.port, "alarm/#")
    readings = os.path.join(folder, "readings.txt")
    with open(readings, "w") as f:
        f.write("2 1.00\n2 9.00\n2 3.00\n")  # DCV 20V: under, over, ok
    link = os.path.join(folder, "meter")
    # Limits 2.00 and 5.00 on DCV 20V, the meter's own alarm not armed.
    meter = subprocess.Popen([args.meter_sim, "--link", link, "--readings", readings,
                              "--alarm", "0,2,0x11,0x40,0x29,0x40", "--no-stdin"],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    while not os.path.exists(link):
        time.sleep(0.02)
    starts = os.path.join(folder, "starts")
    time.sleep(0.5)
    lines = []
    process = run_logger(args.tarnix_log, broker.port, "alarm/1", args.alarm_seconds, lines,
                         ("--port", link),
                         ("--on-alarm", f'echo "$TARNIX_TIME $(date +%s.%N)" >> {starts}'))
    process.wait()
    meter.terminate()
    meter.wait()
    time.sleep(0.5)
    subscriber.stop()
    broker.stop()

    with open(starts) as f:
        runs = [line.split() for line in f]
    command = [(float(started) - datetime.datetime.fromisoformat(at).timestamp()) * 1000
               for at, started in runs]
    sample_at = {}
    reading = []
    for arrival, topic, payload in subscriber.messages:
        if topic.endswith("/reading"):
            r = json.loads(payload)
            sample_at[r["seq"]] = sample_time(r)
            reading.append((arrival - sample_time(r)) * 1000)
    # Each alarm state follows its reading; its delay counts from that sample.
    state = []
    last_sample = None
    for arrival, topic, payload in subscriber.messages:
        if topic.endswith("/reading"):
            last_sample = sample_time(json.loads(payload))
        elif topic.endswith("/alarm") and last_sample:
            state.append((arrival - last_sample) * 1000)
    print(f"alarm: {len(reading)} samples, {len(state)} alarm states, {len(runs)} commands run, "
          f"exit {process.returncode}")
    print(f"alarm: sample -> --on-alarm command start: median {percentile(command, 0.5):.1f} ms, "
          f"99th percentile {percentile(command, 0.99):.1f} ms, max {max(command):.1f} ms")
    print(f"alarm: sample -> subscriber, reading: median {percentile(reading, 0.5):.1f} ms, "
          f"99th percentile {percentile(reading, 0.99):.1f} ms; alarm state: median "
          f"{percentile(state, 0.5):.1f} ms, 99th percentile {percentile(state, 0.99):.1f} ms")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--tarnix-log", default=os.path.join(here, "..", "build", "release",
                                                             "app", "tarnix-log"))
    parser.add_argument("--meter-sim", default=os.path.join(here, "..", "build", "release",
                                                            "app", "tarnix-meter-sim"))
    parser.add_argument("--processes", type=int, default=10)
    parser.add_argument("--seconds", type=int, default=60)
    parser.add_argument("--outage", type=int, default=30)
    parser.add_argument("--alarm-seconds", type=int, default=60)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        os.mkdir(os.path.join(folder, "load"))
        os.mkdir(os.path.join(folder, "outage"))
        os.mkdir(os.path.join(folder, "alarm"))
        load(args, os.path.join(folder, "load"))
        outage(args, os.path.join(folder, "outage"))
        alarm(args, os.path.join(folder, "alarm"))


if __name__ == "__main__":
    main()
