"""Checks a batch's results.csv as a researcher's tools read it.

Usage: results_check.py RESULTS_CSV CORVANE_CLI

The table must load with pandas.read_csv and no options, hold one record per
item taken up in item order, and carry p values that agree with scipy and,
at full precision, with `corvane-cli chisq DEVIATION DF`. Prints the failures
and exits 1 when any check fails.
"""
import csv
import math
import subprocess
import sys

import pandas as pd
from scipy import stats

path, cli = sys.argv[1], sys.argv[2]
failures = []


def check(condition, text):
    if not condition:
        failures.append(text)


def close(value, reference, rel, text):
    check(math.isclose(value, reference, rel_tol=rel, abs_tol=0.0),
          f"{text}: {value!r} against {reference!r}")


table = pd.read_csv(path)
rows = table.set_index("data_name")

expected = {
    "Done": "completed",
    "Lost": "failed",
    "Bad'Name": "refused",
    "Long": "completed",
    "Far": "completed",
    "Past": "completed",
    "Stall": "stopped",
}
check(list(table.data_name) == list(expected), f"items: {list(table.data_name)}")
check(list(table.item) == list(range(1, len(expected) + 1)), f"item numbers: {list(table.item)}")
check(list(table.status) == list(expected.values()), f"status: {list(table.status)}")
check(table.batch_start.nunique() == 1 and table.batch_file.str.endswith(".ebb").all(),
      "every record names the batch's start and file")

# Numbers are numbers: a tool must not get text for a column of values.
for column in ["stouffer_p", "stouffer_z", "stouffer_chisq", "stouffer_deviation", "covar_p",
               "eggs", "samples", "cvar_t", "cvar_p", "eggvar_df", "lpmax_p"]:
    check(pd.api.types.is_numeric_dtype(table[column]), f"{column} is {table[column].dtype}")

# Messages: why an item ended without results.
check("missing.csv" in rows.loc["Lost", "message"], rows.loc["Lost", "message"])
check("quotes" in rows.loc["Bad'Name", "message"], rows.loc["Bad'Name", "message"])
check(rows.loc["Stall", "message"] == "Stopped by user", rows.loc["Stall", "message"])
check(pd.isna(rows.loc["Done", "message"]), "a completed run has no message")
check(list(table.source) == ["local"] * 4 + ["remote", "local", "remote"], f"sources: {list(table.source)}")

# The interval comparison: run for Done, refused for Past (whose run completed).
done, past = rows.loc["Done"], rows.loc["Past"]
check(pd.isna(done.interval_message) and done.cvar_df == 2 * 1800 - 2, "Done's comparison ran")
check("extends past the end of data" in str(past.interval_message), str(past.interval_message))
check(pd.isna(past.cvar_t) and pd.isna(past.lpmax_p), "a refused comparison has no t-tests")
check(past.compare_intervals == 1 and past.interval2_start == 3000, "Past's interval settings")

# Every completed run's p values against scipy, and at full precision
# against the calculator of corvane-cli, given the deviation as written.
with open(path, newline="") as text:
    header, *records = list(csv.reader(text))
for name in ["Done", "Past"]:
    row = rows.loc[name]
    check(row.eggs == 60 and row.samples == 3600 and row.stouffer_df == 3600,
          f"{name}: eggs {row.eggs}, samples {row.samples}, df {row.stouffer_df}")
    # Each p and Z against scipy: series_check.py.
    close(row.stouffer_chisq - row.stouffer_deviation, stats.chi2.median(row.stouffer_df), 1e-8,
          f"{name} median")
    close(row.covar_p, stats.chi2.sf(row.covar_df + row.covar_sum, row.covar_df), 1e-12,
          f"{name} covar_p")
    record = dict(zip(header, next(r for r in records if r[header.index("data_name")] == name)))
    deviation, degrees = record["stouffer_deviation"], record["stouffer_df"]
    printed = subprocess.run([cli, "chisq", deviation, degrees], capture_output=True, text=True,
                             check=True).stdout.strip()
    close(float(printed), row.stouffer_p, 2e-14, f"{name}: corvane-cli chisq {deviation} {degrees}")
    check(float(record["stouffer_p"]) == row.stouffer_p, "pandas reads the p value exactly as written")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("results.csv checked:", len(table), "records")
