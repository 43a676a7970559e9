#include "prob/bracketed_zero.h"

#include <algorithm>
#include <cmath>

namespace corvane {

void bracketedZero::Setup(double xlo, double xhi, double abstol, double reltol) {
  xlo_ = xlo;
  xhi_ = xhi;
  abstol_ = abstol;
  reltol_ = reltol;
  qleft_ = false;
  qhi_ = false;
  ext_ = 0;
  first_ = true;
}

int bracketedZero::Step(int status, double* x, double fx) {
  if (status != kSearchEvaluate) {
    b_ = xlo_;
    *x = b_;
    resume_ = Resume::kAtLow;
    return kSearchEvaluate;
  }
  switch (resume_) {
    case Resume::kAtLow:
      fb_ = fx;
      a_ = xhi_;
      *x = a_;
      resume_ = Resume::kAtHigh;
      return kSearchEvaluate;
    case Resume::kAtHigh:
      fa_ = fx;
      if (fb_ < 0.0 && fa_ < 0.0) {
        qleft_ = fa_ < fb_;
        qhi_ = false;
        return kSearchNoRoot;
      }
      if (fb_ > 0.0 && fa_ > 0.0) {
        qleft_ = fa_ > fb_;
        qhi_ = true;
        return kSearchNoRoot;
      }
      first_ = true;
      Reset();
      return Iterate(x);
    case Resume::kAtStep:
      fb_ = fx;
      if (fc_ * fb_ >= 0.0) {
        Reset();
      } else {
        ext_ = w_ == mb_ ? 0 : ext_ + 1;
      }
      return Iterate(x);
  }
  return kSearchNoRoot;
}

// c becomes the other end of the bracket around b.
void bracketedZero::Reset() {
  c_ = a_;
  fc_ = fa_;
  ext_ = 0;
}

int bracketedZero::Iterate(double* x) {
  if (std::fabs(fc_) < std::fabs(fb_)) {
    // Make b the better end; xlo follows it.
    if (c_ != a_) {
      d_ = a_;
      fd_ = fa_;
    }
    a_ = b_;
    fa_ = fb_;
    b_ = c_;
    fb_ = fc_;
    c_ = a_;
    fc_ = fa_;
  }
  xlo_ = b_;
  double tol = 0.5 * std::max(abstol_, reltol_ * std::fabs(b_));
  const double m = (c_ + b_) * 0.5;
  mb_ = m - b_;
  if (std::fabs(mb_) <= tol) {
    xhi_ = c_;
    const bool encloses = (fc_ >= 0.0 && fb_ <= 0.0) || (fc_ < 0.0 && fb_ >= 0.0);
    return encloses ? kSearchDone : kSearchNoRoot;
  }
  if (ext_ > 3) {
    w_ = mb_;
  } else {
    tol = std::copysign(tol, mb_);
    double p = (b_ - a_) * fb_;
    double q = 0.0;
    if (first_) {
      q = fa_ - fb_;
      first_ = false;
    } else {
      const double fdb = (fd_ - fb_) / (d_ - b_);
      const double fda = (fd_ - fa_) / (d_ - a_);
      p = fda * p;
      q = fdb * fa_ - fda * fb_;
    }
    if (p < 0.0) {
      p = -p;
      q = -q;
    }
    if (ext_ == 3) p *= 2.0;
    if (p == 0.0 || p <= q * tol) {
      w_ = tol;
    } else if (p < mb_ * q) {
      w_ = p / q;
    } else {
      w_ = mb_;
    }
  }
  d_ = a_;
  fd_ = fa_;
  a_ = b_;
  fa_ = fb_;
  b_ += w_;
  xlo_ = b_;
  *x = b_;
  resume_ = Resume::kAtStep;
  return kSearchEvaluate;
}

}  // namespace corvane
