#!/usr/bin/python3
"""Whole-process timings of corvane-cli against its floor and its peer, side
by side in one run (commands taken in turn, medians and ratios printed), and
its peak memory per day of data.

  1. One day of 60 eggs from a local .gz file, a fresh process (the quantile
     table already in the cache directory; a first run that builds the table
     is shown apart): against `zcat FILE | wc -l` (target: at most 3x) and
     against peer_day_columns.py, a pandas/scipy script of the same kind of
     columns (target: at most 0.2x).
  2. A batch of 100 one-hour items over that day file against one whole-day
     run of it (target: at most 5x).
  3. Peak resident memory of runs over 1 and DAYS days: the growth per day of
     data (target: at most 45 MB) and the extrapolation to 31 days (target:
     within 2 GB).

Usage: day_run_speed.py BUILD_DIR [--runs N] [--days D]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

PYTHON = "/usr/bin/python3"
HERE = os.path.dirname(os.path.abspath(__file__))


def timed(command, env=None):
    """Wall seconds and peak resident kilobytes of one run of the command."""
    start = time.monotonic()
    child = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit(f"{command[0]} exited with {child.returncode}")
    return wall, usage.ru_maxrss


class Bench:
    def __init__(self, build, work):
        self.cli = os.path.join(build, "src/cli/corvane-cli")
        self.eggdata = os.path.join(build, "tools/eggdata/corvane-eggdata")
        self.work = work
        self.env = dict(os.environ, HOME=os.path.join(work, "home"),
                        XDG_CONFIG_HOME=os.path.join(work, "home/config"),
                        XDG_CACHE_HOME=os.path.join(work, "cache"))
        os.makedirs(self.env["XDG_CONFIG_HOME"], exist_ok=True)
        os.makedirs(os.path.join(work, "tmp"), exist_ok=True)

    def days(self, name, first, count):
        """Writes count day files from date `first`; returns the first path."""
        path = os.path.join(self.work, name + ".gz")
        stop = time.strftime("%Y-%m-%d", time.gmtime(
            time.mktime(time.strptime(first, "%Y-%m-%d")) - time.timezone + 86400 * (count - 1)))
        subprocess.run([self.eggdata, "--start", first, "--stop", stop, "--days", "--gzip",
                        "--out", path], check=True, stdout=subprocess.DEVNULL)
        return path

    def batch(self, name, egg_file, items):
        """A batch file whose items (name, start, stop) read egg_file."""
        out = os.path.join(self.work, "out-" + name) + "/"
        # Each item names its local file (an item without one reads remote data).
        text = f"DataDirectory {out}\n"
        text += "".join(f"LocalEggFile {egg_file}\n{item} {start} {stop}\n"
                        for item, start, stop in items)
        path = os.path.join(self.work, name + ".ebb")
        with open(path, "w") as f:
            f.write(text)
        return [self.cli, "batch", "--set", f"TempDir={self.work}/tmp/", path]

    def cli_run(self, command):
        out = os.path.join(self.work, "out-" + os.path.basename(command[-1])[:-4])
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)
        return timed(command, self.env)


def side_by_side(runs, commands):
    """Runs the (name, function) pairs in turn `runs` times; medians."""
    walls = {name: [] for name, _ in commands}
    for _ in range(runs):
        for name, run in commands:
            walls[name].append(run()[0])
    return {name: statistics.median(w) for name, w in walls.items()}, walls


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--days", type=int, default=4)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="corvane-speed-")
    try:
        bench = Bench(os.path.abspath(args.build), work)
        day = bench.days("day", "2011-05-03", 1)
        whole = bench.batch("whole", day, [("Day", "2011-05-03 00:00:00", "2011-05-03 23:59:59")])

        # A first run with an empty cache directory builds the quantile table.
        cold, _ = bench.cli_run(whole)
        print(f"first run, building the quantile table: {cold:.3f} s")

        zcat = ["sh", "-c", f"zcat {day} | wc -l"]
        peer = [PYTHON, os.path.join(HERE, "peer_day_columns.py"), day,
                os.path.join(work, "peer.dat")]
        medians, walls = side_by_side(args.runs, [
            ("corvane-cli day", lambda: bench.cli_run(whole)),
            ("zcat | wc -l", lambda: timed(zcat)),
            ("pandas/scipy peer", lambda: timed(peer)),
        ])
        print(f"\n1. one day, 60 eggs, .gz, fresh process ({args.runs} runs each, in turn; "
              "median wall seconds)")
        for name, median in medians.items():
            print(f"  {name:20s} {median:7.3f}   (runs: "
                  + ", ".join(f"{w:.3f}" for w in walls[name]) + ")")
        print(f"  ratio to zcat | wc -l: {medians['corvane-cli day'] / medians['zcat | wc -l']:.2f}"
              " (target <= 3)")
        print(f"  ratio to the peer:     "
              f"{medians['corvane-cli day'] / medians['pandas/scipy peer']:.3f} (target <= 0.2)")

        hours = []
        for i in range(100):
            start = 14 * 60 * i  # 100 hours spread over the day, overlapping
            start = min(start, 86400 - 3600)
            text = lambda s: time.strftime("2011-05-03 %H:%M:%S", time.gmtime(s))
            hours.append((f"Hour{i + 1}", text(start), text(start + 3599)))
        hundred = bench.batch("hours", day, hours)
        medians, _ = side_by_side(max(args.runs // 2, 2), [
            ("100 one-hour items", lambda: bench.cli_run(hundred)),
            ("one whole-day run", lambda: bench.cli_run(whole)),
        ])
        print("\n2. batch of 100 one-hour items over the day file vs one whole-day run")
        for name, median in medians.items():
            print(f"  {name:20s} {median:7.3f} s")
        print(f"  ratio: {medians['100 one-hour items'] / medians['one whole-day run']:.2f}"
              " (target <= 5)")

        first = bench.days("month", "2011-06-01", args.days)
        peaks = {}
        for count in (1, args.days):
            stop = time.strftime("%Y-%m-%d", time.gmtime(
                time.mktime(time.strptime("2011-06-01", "%Y-%m-%d")) - time.timezone
                + 86400 * (count - 1)))
            run = bench.batch(f"days{count}", first,
                              [(f"Days{count}", "2011-06-01 00:00:00", stop + " 23:59:59")])
            peaks[count] = bench.cli_run(run)[1] / 1024.0
        per_day = (peaks[args.days] - peaks[1]) / (args.days - 1)
        print(f"\n3. peak resident memory: 1 day {peaks[1]:.1f} MB, {args.days} days "
              f"{peaks[args.days]:.1f} MB")
        print(f"  per further day: {per_day:.1f} MB (target <= 45); "
              f"31 days, extrapolated: {peaks[1] + 30 * per_day:.0f} MB (target <= 2048)")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
