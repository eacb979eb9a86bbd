#!/usr/bin/python3
"""The peer of `ventrel-render LOG --skewt OUT.png --size 1000x800`: the same
Skew-T log-P diagram of a Kestrin run log drawn with matplotlib, for the
whole-process comparison in bench/skewt_vs_peer.

    bench/skewt_peer.py LOG OUT.png

The same reference curves as the program's default Skew-T: 25 isotherms
(-140 to 100 degC), 21 dry adiabats (-100 to 100 degC, a point every
50 mbar), 12 moist adiabats (integrated in 500 Pa steps from 1000 mbar),
10 lines of constant saturation mixing ratio, isobars every 100 mbar, and
the two traces (temperature and dew point of every frame with both), on
1050 to 100 mbar and -50 to 50 degC at the bottom, 1000 x 800 pixels.
Needs Debian's python3-matplotlib (`scripts/bootstrap bench`).
"""
import math
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

P_BOTTOM, P_TOP = 1050.0, 100.0
T_LEFT, T_RIGHT = -50.0, 50.0


def read_log(path):
    """Temperature (degC), pressure (mbar) and humidity (%) columns."""
    with open(path, encoding="utf-8", errors="replace") as log:
        lines = log.read().splitlines()
    headings = lines[3].split("\t")

    def column(kind):
        for i, heading in enumerate(headings):
            if heading.split(" ")[1:2] == [kind]:
                return i
        raise SystemExit(f"skewt_peer: no {kind} channel in {path}")

    t, p, u = column("T"), column("P"), column("U")
    temperature, pressure, humidity = [], [], []
    for line in lines[4:]:
        fields = line.split("\t")
        try:
            values = float(fields[t]), float(fields[p]), float(fields[u])
        except (ValueError, IndexError):
            continue
        temperature.append(values[0])
        pressure.append(values[1])
        humidity.append(values[2])
    return np.array(temperature), np.array(pressure), np.array(humidity)


def dew_point(t, rh):
    a = 7.5 * t / (237.7 + t)
    log = np.log10(6.11 * 10**a * rh / 611)
    return 237.7 * log / (7.5 - log)


def skewed(t, p):
    """Isotherms rise to the right at 45 degrees on the plot's square units."""
    height = np.log(P_BOTTOM / np.asarray(p, dtype=float))
    width = (T_RIGHT - T_LEFT) / math.log(P_BOTTOM / P_TOP) * 0.8
    return np.asarray(t, dtype=float) + height * width, height


def moist_adiabats():
    curves = []
    for n in range(1, 13):
        T, P = 10.0 * n + 233, 100000.0
        ts, ps = [T - 273.15], [P / 100]
        for _ in range(170):
            L = 2500000 - 2338 * (T - 273.15)
            Lm = 2500000 - 2338 * (T - 273.15) / 2
            es = 610.8 * math.exp((1 / 273.15 - 1 / T) * Lm / 461.7)
            rs = 0.622 * es / (P - es)
            N = 1 + rs + (L + 175.07 * T) * P * rs / (287 * T * (1 + 0.61 * rs) * (P - es))
            D = 1004 + 1848 * rs + 175.07 * rs + (L + 175.07 * T) * P * rs * L / (
                461.7 * T * T * (P - es))
            T += -500 * N / D * 287 * T * (1 + 0.61 * rs) / P
            P -= 500
            ts.append(T - 273.15)
            ps.append(P / 100)
        curves.append((ts, ps))
    return curves


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    temperature, pressure, humidity = read_log(sys.argv[1])
    figure = plt.figure(figsize=(10, 8), dpi=100)
    axes = figure.add_axes([0.07, 0.07, 0.88, 0.88])
    levels = np.arange(P_TOP, P_BOTTOM + 1, 50.0)

    for t in range(-140, 101, 10):  # 25 isotherms
        x, y = skewed([t, t], [P_BOTTOM, P_TOP])
        axes.plot(x, y, color="tab:blue", linewidth=0.6)
    for p in np.arange(P_TOP, P_BOTTOM + 1, 100.0):  # isobars
        x, y = skewed([-200, 200], [p, p])
        axes.plot(x, y, color="black", linewidth=0.6)
    for theta in range(-100, 101, 10):  # 21 dry adiabats
        x, y = skewed((theta + 273.15) * (levels / 1000) ** 0.286 - 273.15, levels)
        axes.plot(x, y, color="tab:orange", linewidth=0.6)
    for ts, ps in moist_adiabats():  # 12 moist adiabats
        x, y = skewed(ts, ps)
        axes.plot(x, y, color="tab:green", linewidth=0.6)
    for w in (0.1, 0.2, 0.6, 1, 2, 3, 5, 10, 20, 40):  # 10 mixing-ratio lines
        r = w / 1000
        e = levels * r / (0.622 + r)
        x, y = skewed(1 / (1 / 273 - np.log(e / 6.11) / 5420) - 273.15, levels)
        axes.plot(x, y, color="tab:purple", linewidth=0.6, linestyle="--")

    valid = (pressure > 0) & (humidity > 0)
    x, y = skewed(temperature[valid], pressure[valid])
    axes.plot(x, y, color="red", linewidth=1)
    x, y = skewed(dew_point(temperature[valid], humidity[valid]), pressure[valid])
    axes.plot(x, y, color="green", linewidth=1)

    axes.set_xlim(T_LEFT, T_RIGHT)
    axes.set_ylim(0, math.log(P_BOTTOM / P_TOP))
    axes.set_yticks(np.log(P_BOTTOM / np.arange(P_TOP, P_BOTTOM, 100.0)))
    axes.set_yticklabels([f"{p:.0f}" for p in np.arange(P_TOP, P_BOTTOM, 100.0)])
    axes.set_xlabel("Temperature (degC)")
    axes.set_ylabel("Pressure (mbar)")
    figure.savefig(sys.argv[2], dpi=100)


if __name__ == "__main__":
    main()
