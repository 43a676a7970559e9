// Event echo detection: the stretch of one variable that starts at the event
// (the signature) is slid along the whole series of that variable, and the
// similarity at every position forms the eventEcho series.
//
// RunEventEcho always leaves series.eventEcho with one value per sample
// (zeros when no search runs: method None, no event time, no duration, or an
// event outside the data). A search
//  - posts "Searching for event echoes", logs the variable, advances the job
//    stage;
//  - scans by correlation or Euclidean distance; the K values fill eventEcho
//    from 0 and the last one is repeated to the end;
//  - smooths the K values with a triangle of width 1800 and lists the peaks
//    of the smoothed series in "<output dir><data name>_evcorr.dat", with the
//    strongest post-event echo and the mean of the (up to) three highest
//    post-event peaks, which it also stores in the series for the
//    statistics table;
//  - appends the spectra of the signature and of the echo series before and
//    after the event (variable "event").
// The event index and the event length are in samples: the event's seconds
// from the start time divided by the table's resolution (rounded up for the
// length). The echo file and the spectra state places and frequencies in
// seconds and hours (a sample spans the resolution's seconds). Undefined
// samples of the variable count as its mean.
#pragma once

#include <string>

#include "core/run_context.h"
#include "input/egg_sample_table.h"
#include "stats/composite_series.h"

namespace corvane {

// The series and name searched for an event echo variable code (the form's
// display variable index); codes outside 2 to 8 select lpvar as code 5.
struct EchoVariable {
  int code;
  const char* name;
  std::vector<double> CompositeSeries::*values;
};
EchoVariable SelectEchoVariable(int code);

void RunEventEcho(RunContext& context, const EggSampleTable& table, CompositeSeries& series);

}  // namespace corvane
