#include "app/numeric_locale.h"

#include <clocale>

namespace corvane {

void UseCNumericLocale() { std::setlocale(LC_NUMERIC, "C"); }

}  // namespace corvane
