#include "input_fixture.h"

#include <filesystem>

namespace corvane::testing {

void InputTest::Mkdir(const std::string& path) { std::filesystem::create_directories(path); }

}  // namespace corvane::testing
