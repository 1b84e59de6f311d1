#!/usr/bin/env python3
"""Compares the benchmark's rows with accessibility off and on, from the CSV that
`bench/benchmark --accessible` writes: per size and command, the median over the passes of each
pass's median time and processor time, the ratios on / off, and the longest event-loop gap of any pass.

    bench/accessible_summary.py CSV
"""
import csv
import statistics
import sys


def main():
    times, cpus, gaps = {}, {}, {}
    with open(sys.argv[1], newline="") as f:
        for row in csv.DictReader(f):
            on = row["mode"].endswith("+accessible")
            key = (int(row["items"]), row["command"])
            times.setdefault(key, {}).setdefault(on, []).append(float(row["seconds_median"]))
            cpus.setdefault(key, {}).setdefault(on, []).append(float(row["cpu_seconds_median"]))
            gaps.setdefault(key, {}).setdefault(on, []).append(float(row["longest_gap_ms"]))
    print("%10s  %-18s %7s %7s %6s %9s %9s %6s %11s %11s" % (
        "items", "command", "off s", "on s", "on/off", "off cpu s", "on cpu s", "on/off", "off gap ms", "on gap ms"))
    for key in sorted(times):
        t, c, g = times[key], cpus[key], gaps[key]
        if True not in t or False not in t:
            continue
        off, on = statistics.median(t[False]), statistics.median(t[True])
        cpu_off, cpu_on = statistics.median(c[False]), statistics.median(c[True])
        print("%10d  %-18s %7.3f %7.3f %6.2f %9.3f %9.3f %6.2f %11.1f %11.1f" % (
            key[0], key[1], off, on, on / off if off else 0, cpu_off, cpu_on, cpu_on / cpu_off if cpu_off else 0,
            max(g[False]), max(g[True])))
    passes = min(len(v) for k in times for v in times[k].values())
    print(f"(medians over {passes} or more passes per mode; gaps: the longest of any run)")


if __name__ == "__main__":
    main()
