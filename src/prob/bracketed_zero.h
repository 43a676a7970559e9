// A zero finder for a function known to change sign between two points, by
// reverse communication: it never calls the function. Each Step either asks
// for f at a point (kSearchEvaluate, the point in x) or ends.
//
//   bracketedZero zero;
//   zero.Setup(xlo, xhi, abstol, reltol);
//   double x = 0.0, fx = 0.0;
//   int status = zero.Step(kSearchStart, &x, fx);
//   while (status == kSearchEvaluate) status = zero.Step(status, &x, f(x));
//
// It ends with kSearchDone when [xlo, xhi] holds a change of sign and is no
// wider than max(abstol, reltol * |xlo|), xlo being the end with the smaller
// |f|. It ends with kSearchNoRoot when f has the same sign at both starting
// ends (then qleft says whether the root seems to lie to the left and qhi
// whether f is positive there), or when the final bracket holds no change of
// sign. Secant and inverse quadratic steps, with bisection after more than
// three steps without a change of sign, bound the number of evaluations.
//
// All state of one search lives in the object.
#pragma once

namespace corvane {

// Status of a reverse-communication search step: integers that callers pass
// in and get back.
inline constexpr int kSearchNoRoot = -1;   // out: no root where it was sought
inline constexpr int kSearchDone = 0;      // out: the search has ended
inline constexpr int kSearchStart = 0;     // in: the first call of a search
inline constexpr int kSearchEvaluate = 1;  // out: evaluate f at x; in: fx holds it

class bracketedZero {
 public:
  void Setup(double xlo, double xhi, double abstol, double reltol);
  int Step(int status, double* x, double fx);

  double xlo() const { return xlo_; }
  double xhi() const { return xhi_; }
  bool qleft() const { return qleft_; }
  bool qhi() const { return qhi_; }

 private:
  enum class Resume { kAtLow, kAtHigh, kAtStep };

  int Iterate(double* x);
  void Reset();

  double xlo_ = 0.0;
  double xhi_ = 0.0;
  double abstol_ = 0.0;
  double reltol_ = 0.0;
  bool qleft_ = false;
  bool qhi_ = false;

  Resume resume_ = Resume::kAtLow;
  double a_ = 0.0, fa_ = 0.0;
  double b_ = 0.0, fb_ = 0.0;
  double c_ = 0.0, fc_ = 0.0;
  double d_ = 0.0, fd_ = 0.0;
  double w_ = 0.0;
  double mb_ = 0.0;
  int ext_ = 0;
  bool first_ = true;
};

}  // namespace corvane
