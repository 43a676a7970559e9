// Numbers in the C form whatever the user's locale: Qt sets the process's
// locale from the environment when its application object is made, so the
// program resets LC_NUMERIC to "C" right after making it.
#pragma once

namespace corvane {

void UseCNumericLocale();

}  // namespace corvane
