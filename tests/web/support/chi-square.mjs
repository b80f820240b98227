// Chi-square tail probabilities, so uniformity tests can fail only when the
// observed counts would be this extreme by chance less than once in 10,000 runs.

function lowerSeries(a, x) {
  let sum = 1 / a, term = sum;
  for (let n = 1; n < 10000; n++) {
    term *= x / (a + n);
    sum += term;
    if (Math.abs(term) < Math.abs(sum) * 1e-15) break;
  }
  return sum * Math.exp(-x + a * Math.log(x) - logGamma(a));
}

function upperFraction(a, x) {
  const tiny = 1e-300;
  let b = x + 1 - a, c = 1 / tiny, d = 1 / b, h = d;
  for (let i = 1; i < 10000; i++) {
    const an = -i * (i - a);
    b += 2;
    d = an * d + b; if (Math.abs(d) < tiny) d = tiny;
    c = b + an / c; if (Math.abs(c) < tiny) c = tiny;
    d = 1 / d;
    const delta = d * c;
    h *= delta;
    if (Math.abs(delta - 1) < 1e-15) break;
  }
  return Math.exp(-x + a * Math.log(x) - logGamma(a)) * h;
}

function logGamma(z) {
  const g = [76.18009172947146, -86.50532032941677, 24.01409824083091,
    -1.231739572450155, 0.1208650973866179e-2, -0.5395239384953e-5];
  let x = z, y = z;
  let tmp = x + 5.5;
  tmp -= (x + 0.5) * Math.log(tmp);
  let ser = 1.000000000190015;
  for (const c of g) ser += c / ++y;
  return -tmp + Math.log(2.5066282746310005 * ser / x);
}

/** P(X ≥ statistic) for a chi-square variable with `df` degrees of freedom. */
export function chiSquareTail(statistic, df) {
  if (statistic <= 0) return 1;
  const a = df / 2, x = statistic / 2;
  return x < a + 1 ? 1 - lowerSeries(a, x) : upperFraction(a, x);
}

/** Pearson's statistic of observed counts against one expected count per cell. */
export function chiSquare(counts, expected) {
  let s = 0;
  for (const o of counts) s += (o - expected) ** 2 / expected;
  return s;
}

export const SIGNIFICANCE = 1e-4;
