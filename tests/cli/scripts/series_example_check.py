"""Checks the help page's worked example of the event series against scipy.

Usage: series_example_check.py HELP_PAGE

Every number the example prints must be what scipy gives, rounded as printed.
Prints the failures and exits 1 when any check fails.
"""
from decimal import Decimal
import html
import math
import re
import sys

from scipy import stats

page = open(sys.argv[1], encoding="utf-8").read()
example = html.unescape(re.search(r'<pre id="series-example">(.*?)</pre>', page, re.S).group(1))
failures = []


def printed(text, value, what):
    """The number as printed must be the value rounded to the digits shown."""
    if abs(float(text) - value) > 0.5 * 10.0 ** Decimal(text).as_tuple().exponent * (1 + 1e-12):
        failures.append(f"{what}: printed {text}, scipy gives {value!r}")


items = re.findall(r"^(Quake\d)\s+(\S+)\s+(\d+)\s+(\S+)\s+(\S+)$", example, re.M)
if len(items) != 3:
    failures.append(f"items: {items}")
zs, ps = [], []
for name, s, k, p, z in items:
    s, k = float(s), int(k)
    exact_p = stats.chi2.sf(s, k)
    ps.append(exact_p)
    zs.append(stats.norm.isf(exact_p))
    printed(p, exact_p, f"{name} p")
    printed(z, zs[-1], f"{name} Z")

n = len(items)
z = sum(zs) / math.sqrt(n)
m = re.search(r"sqrt\(3\) = (\S+), p = (\S+)", example)
printed(m.group(1), z, "Stouffer Z")
printed(m.group(2), stats.norm.sf(z), "Stouffer p")

total = sum(float(s) for _, s, _, _, _ in items)
df = sum(int(k) for _, _, k, _, _ in items)
m = re.search(r"S = (\S+) with (\d+) df, deviation (\S+), p = (\S+)", example)
printed(m.group(1), total, "chi-square sum")
if int(m.group(2)) != df:
    failures.append(f"df {m.group(2)} against {df}")
printed(m.group(3), total - stats.chi2.median(df), "deviation")
printed(m.group(4), stats.chi2.sf(total, df), "chi-square p")

significant = sum(p < 0.05 for p in ps)
m = re.search(r"(\d+) of (\d+) items with p < 0.05, (\S+) expected, p = (\S+)", example)
if int(m.group(1)) != significant or int(m.group(2)) != n:
    failures.append(f"count {m.group(1)} of {m.group(2)}")
printed(m.group(3), 0.05 * n, "expected")
printed(m.group(4), stats.binom.sf(significant - 1, n, 0.05), "count p")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("the worked example agrees with scipy")
