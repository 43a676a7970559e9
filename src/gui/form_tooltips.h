// The tooltips of the request form: for every field, choice and button what
// it is, its unit and the values it takes, and for each display variable
// what its plot shows and what chance alone gives.
#pragma once

namespace corvane {

class RequestForm;

void AddToolTips(RequestForm& form);

}  // namespace corvane
