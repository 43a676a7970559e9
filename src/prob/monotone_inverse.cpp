#include "prob/monotone_inverse.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace corvane {

int monotoneInverse::End(bool qleft, bool qhi) {
  qleft_ = qleft;
  qhi_ = qhi;
  return kSearchNoRoot;
}

int monotoneInverse::Step(int status, double* x, double fx) {
  const Settings& s = settings_;
  if (status != kSearchEvaluate) {
    if (!(s.small <= *x && *x <= s.big)) {
      std::fputs(" SMALL, X, BIG not monotone in INVR\n", stderr);
      std::exit(1);
    }
    xsave_ = *x;
    *x = s.small;
    resume_ = Resume::kAtSmall;
    return kSearchEvaluate;
  }
  switch (resume_) {
    case Resume::kAtSmall:
      fsmall_ = fx;
      *x = s.big;
      resume_ = Resume::kAtBig;
      return kSearchEvaluate;
    case Resume::kAtBig: {
      const double fbig = fx;
      qincr_ = fbig > fsmall_;
      if (qincr_) {
        if (fsmall_ > 0.0) return End(true, true);
        if (fbig < 0.0) return End(false, false);
      } else {
        if (fsmall_ < 0.0) return End(true, false);
        if (fbig > 0.0) return End(false, true);
      }
      *x = xsave_;
      step_ = std::max(s.absstp, s.relstp * std::fabs(*x));
      resume_ = Resume::kAtStart;
      return kSearchEvaluate;
    }
    case Resume::kAtStart: {
      if (fx == 0.0) {
        *x = xsave_;
        return kSearchDone;
      }
      const bool higher = (qincr_ && fx < 0.0) || (!qincr_ && fx > 0.0);
      if (higher) {
        xlb_ = xsave_;
        flb_ = fx;
        xub_ = std::min(xlb_ + step_, s.big);
        *x = xub_;
        resume_ = Resume::kStepHigher;
      } else {
        xub_ = xsave_;
        fub_ = fx;
        xlb_ = std::max(xub_ - step_, s.small);
        *x = xlb_;
        resume_ = Resume::kStepLower;
      }
      return kSearchEvaluate;
    }
    case Resume::kStepHigher: {
      fub_ = fx;
      const bool bracketed = qincr_ ? fx >= 0.0 : fx <= 0.0;
      if (bracketed) return Narrow(x);
      if (xub_ >= s.big) {
        *x = s.big;
        return End(false, !qincr_);
      }
      step_ *= s.stpmul;
      xlb_ = xub_;
      flb_ = fub_;
      xub_ = std::min(xlb_ + step_, s.big);
      *x = xub_;
      return kSearchEvaluate;
    }
    case Resume::kStepLower: {
      flb_ = fx;
      const bool bracketed = qincr_ ? fx <= 0.0 : fx >= 0.0;
      if (bracketed) return Narrow(x);
      if (xlb_ <= s.small) {
        *x = s.small;
        return End(true, qincr_);
      }
      step_ *= s.stpmul;
      xub_ = xlb_;
      fub_ = flb_;
      xlb_ = std::max(xub_ - step_, s.small);
      *x = xlb_;
      return kSearchEvaluate;
    }
    case Resume::kNarrowing:
      if (zero_.Step(kSearchEvaluate, x, fx) == kSearchEvaluate) return kSearchEvaluate;
      *x = zero_.xlo();
      return kSearchDone;
  }
  return kSearchNoRoot;
}

// Narrows [xlb, xub] with the zero finder. Its first two requests are for f
// at the two ends, which the stepping has already asked for: they are answered
// here (the function is a function, so the values are the same), and only
// new points go to the caller.
int monotoneInverse::Narrow(double* x) {
  zero_.Setup(xlb_, xub_, settings_.abstol, settings_.reltol);
  double zx = 0.0;
  int status = zero_.Step(kSearchStart, &zx, 0.0);                        // asks for f(xlb)
  if (status == kSearchEvaluate) status = zero_.Step(status, &zx, flb_);  // f(xub)
  if (status == kSearchEvaluate) status = zero_.Step(status, &zx, fub_);
  if (status == kSearchEvaluate) {
    *x = zx;
    resume_ = Resume::kNarrowing;
    return kSearchEvaluate;
  }
  *x = zero_.xlo();
  return kSearchDone;
}

}  // namespace corvane
