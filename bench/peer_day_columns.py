#!/usr/bin/python3
"""A straightforward pandas/scipy script that computes per-second columns of
the kind a day's run writes (composite Stouffer Z and its cumulative
deviation, the chi-square probability of the sum so far, the median and lower
0.05 point of the chi-square distribution of the degrees so far, the network
variance and its deviation, an exponentially smoothed series) and writes them
as a text table. It is the peer that corvane-cli is timed against in
day_run_speed.py.

Usage: peer_day_columns.py EGGFILE.gz OUTFILE
"""
import sys

import numpy as np
import pandas as pd
from scipy import stats

LOW, HIGH, MEAN, VAR = 55, 145, 100.0, 50.0


def main(path, out):
    # Lines of other types (the header) have other field counts: skipped.
    frame = pd.read_csv(path, header=None, names=range(63), on_bad_lines="skip",
                        dtype=str, compression="gzip")
    frame = frame[frame[0].str.strip() == "13"]
    values = frame.iloc[:, 3:].apply(pd.to_numeric, errors="coerce").to_numpy(dtype=float)
    values[(values < LOW) | (values > HIGH)] = np.nan
    z = (values - MEAN) / np.sqrt(VAR)
    n = np.sum(~np.isnan(z), axis=1)
    zsum = np.nansum(z, axis=1)
    stouffer = np.where(n > 0, zsum / np.sqrt(np.maximum(n, 1)), 0.0)
    chisq = stouffer ** 2
    deviation = np.cumsum(chisq - 1.0)
    degrees = np.arange(1, len(chisq) + 1)
    cumulative = np.cumsum(chisq)
    probability = stats.chi2.sf(cumulative, degrees)
    median = stats.chi2.ppf(0.5, degrees)
    lower_five = stats.chi2.ppf(0.05, degrees)
    netvar = np.nansum(z ** 2, axis=1)
    netvar_deviation = np.cumsum(netvar - n)
    netvar_probability = stats.chi2.sf(np.cumsum(netvar), np.cumsum(n))
    smoothed = pd.Series(stouffer).ewm(alpha=1e-4).mean().to_numpy()
    mean_value = np.nanmean(values, axis=1)
    sd_value = np.nanstd(values, axis=1)
    table = np.column_stack([
        np.arange(len(chisq)), deviation, cumulative - median, probability,
        smoothed, np.abs(smoothed), mean_value, median - degrees + 50, sd_value,
        lower_five - degrees + 50, netvar_deviation, stouffer * 0, netvar, netvar_probability])
    np.savetxt(out, table, fmt="%.6f")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
