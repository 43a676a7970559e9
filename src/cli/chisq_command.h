// corvane-cli chisq DEVIATION DF: the calculator's probability.
#pragma once

#include <ostream>
#include <string>

namespace corvane {

// Prints the probability with 15 significant digits on out and returns 0;
// for input the calculator refuses, prints its message on err and returns 1.
int RunChisqCommand(const std::string& deviation, const std::string& degreesOfFreedom,
                    std::ostream& out, std::ostream& err);

}  // namespace corvane
