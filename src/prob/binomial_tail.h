// The upper tail of the binomial distribution, summed term by term: how
// likely at least k successes are among n independent trials that each
// succeed with probability p. The event series uses it for the count of
// significant items against the count expected by chance.
#pragma once

namespace corvane {

// P(X >= k) for X ~ Binomial(n, p), 0 <= p <= 1: 1 for k <= 0, 0 for
// k > n. Each term is formed from log-gamma values, so tails far below the
// smallest term of a direct product stay precise (to about 1e-12 relative
// for n up to a million). NaN for n < 0 or p outside [0, 1].
double BinomialUpperTail(long long n, long long k, double p);

}  // namespace corvane
