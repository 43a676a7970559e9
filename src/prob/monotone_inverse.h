// The root of a monotone function inside [small, big], by reverse
// communication: the search never calls the function. The first Step is made
// with kSearchStart and the start value in x; while Step returns
// kSearchEvaluate the caller puts f(x) in fx and calls again with that status.
//
// The search asks for f at both bounds to learn whether f increases, steps
// outward from the start value (first step max(absstp, relstp * |x|), each
// next one stpmul times longer) until the root is bracketed, and narrows the
// bracket with bracketedZero to max(abstol, reltol * |x|).
//
// Ends with kSearchDone and the root in x, or with kSearchNoRoot when the root
// is not inside [small, big]: qleft() then says whether it lies below small,
// qhi() whether f is positive at the violated bound.
//
// A start value outside [small, big] is a programming error: the program
// writes " SMALL, X, BIG not monotone in INVR" to the standard error stream
// and exits with status 1.
//
// All state of one inversion lives in the object.
#pragma once

#include "prob/bracketed_zero.h"

namespace corvane {

class monotoneInverse {
 public:
  struct Settings {
    double small = 0.0;
    double big = 0.0;
    double absstp = 0.0;
    double relstp = 0.0;
    double stpmul = 0.0;
    double abstol = 0.0;
    double reltol = 0.0;
  };

  void Setup(const Settings& settings) { settings_ = settings; }
  int Step(int status, double* x, double fx);

  bool qleft() const { return qleft_; }
  bool qhi() const { return qhi_; }

 private:
  enum class Resume { kAtSmall, kAtBig, kAtStart, kStepHigher, kStepLower, kNarrowing };

  int End(bool qleft, bool qhi);
  int Narrow(double* x);

  Settings settings_;
  bool qleft_ = false;
  bool qhi_ = false;

  Resume resume_ = Resume::kAtSmall;
  double xsave_ = 0.0;
  double fsmall_ = 0.0;
  double step_ = 0.0;
  bool qincr_ = false;
  // The current interval and f at its ends, as far as known.
  double xlb_ = 0.0, flb_ = 0.0;
  double xub_ = 0.0, fub_ = 0.0;
  bracketedZero zero_;
};

}  // namespace corvane
