"""Checks a batch's series.csv against scipy, computed from results.csv.

Usage: series_check.py OUTPUT_ROOT shifted|null

The last record of series.csv must combine the completed items of the last
batch in results.csv (its last records), each with its exact p and the Z of
that p: the Stouffer combination of their Z scores, the summed chi-square
with its degrees of freedom, and the count of items with p < 0.05. A shifted
series must be significant by all three tests at the 1% level, a null
series by none.
Prints the failures and exits 1 when any check fails.
"""
import math
import sys

import numpy as np
import pandas as pd
from scipy import stats

root, kind = sys.argv[1], sys.argv[2]
failures = []


def close(value, reference, rel, text):
    if not math.isclose(value, reference, rel_tol=rel, abs_tol=0.0):
        failures.append(f"{text}: {value!r} against {reference!r}")


results = pd.read_csv(f"{root}/results.csv")
series = pd.read_csv(f"{root}/series.csv").iloc[-1]
# A batch's records are the last ones it appended; two batches of one file
# may start within the same second, so the start alone does not tell them apart.
batch = results.tail(int(series.items_taken_up))
if not ((batch.batch_start == series.batch_start) & (batch.batch_file == series.batch_file)).all():
    failures.append(f"the last {len(batch)} records are not all of the batch {series.to_dict()}")
items = batch[batch.status == "completed"]
if len(items) != series.items_combined:
    failures.append(f"{len(batch)} taken up, {len(items)} combined: {series.to_dict()}")

# Each item's p from its chi-square, and its Z from its p.
for _, item in items.iterrows():
    close(item.stouffer_p, stats.chi2.sf(item.stouffer_chisq, item.stouffer_df), 1e-12,
          f"{item.data_name} p")
z = stats.norm.isf(items.stouffer_p.to_numpy())
if not np.allclose(z, items.stouffer_z, rtol=0, atol=1e-9):
    failures.append(f"item Z {list(items.stouffer_z)} against {list(z)}")

# The series combines those items; its own numbers are checked where it is
# computed.
close(series.stouffer_z, z.sum() / math.sqrt(len(items)), 1e-9, "Stouffer Z")
close(series.chisq_sum, items.stouffer_chisq.sum(), 1e-13, "chi-square sum")
if series.chisq_df != items.stouffer_df.sum():
    failures.append(f"chi-square df {series.chisq_df} against {items.stouffer_df.sum()}")
significant = int((items.stouffer_p < 0.05).sum())
if series.significant_items != significant:
    failures.append(f"count {series.significant_items} against {significant}")

ps = [series.stouffer_p, series.chisq_p, series.count_p]
if kind == "shifted" and not all(p < 0.01 for p in ps):
    failures.append(f"the shifted series is not significant: {ps}")
if kind == "null" and not all(p > 0.01 for p in ps):
    failures.append(f"the null series is significant: {ps}")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print(f"{kind}: Z {series.stouffer_z:.3f} p {series.stouffer_p:.3g}, chi-square p "
      f"{series.chisq_p:.3g}, {significant} of {len(items)} significant, p {series.count_p:.3g}")
