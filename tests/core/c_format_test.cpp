#include "core/c_format.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace corvane {
namespace {

// Numbers keep their C form even when the process runs in a locale whose
// decimal separator is a comma (when such a locale is installed).
TEST(CFormatTest, FormatsAndParsesInCLocaleWhateverTheProcessLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  const bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr ||
                        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") != nullptr;
  EXPECT_EQ(CFormat("%f %d %.3f", 0.5, 42, 2.0 / 3.0), "0.500000 42 0.667");
  EXPECT_EQ(ParseDouble("0.0001"), 0.0001);
  EXPECT_EQ(LeadingDouble("2.5 hours"), 2.5);
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!switched) GTEST_LOG_(INFO) << "no comma locale installed; checked the C locale only";
  // Long texts are formatted whole.
  const std::string long_text(1000, 'x');
  EXPECT_EQ(CFormat("%s!", long_text.c_str()), long_text + "!");
}

TEST(CFormatTest, AppendFixedWritesWhatPrintfWrites) {
  std::vector<double> values = {0.0,    -0.0,   1e-9,           -1e-9, 0.0078125, -0.0078125,
                                2.5e-6, 0.5e-6, 123456.7890125, 1e300, -1e22,     50.0};
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    const double mantissa = std::uniform_real_distribution<double>(-1, 1)(random);
    values.push_back(std::ldexp(mantissa, static_cast<int>(random() % 60) - 30));
    // Multiples of powers of two: exact halfway cases at the last decimal.
    values.push_back(std::ldexp(static_cast<double>(random() % 1000000), -int(random() % 25)));
  }
  for (double value : values) {
    std::string text = "x";
    AppendFixed(text, value, 6);
    ASSERT_EQ(text, "x" + CFormat("%f", value)) << value;
  }
  std::string text;
  AppendFixed(text, 0.125, 2);
  EXPECT_EQ(text, CFormat("%.2f", 0.125));
}

TEST(CFormatTest, WholeTextConversionsRefuseAnythingElseAndLeadingOnesStop) {
  EXPECT_EQ(ParseInteger(" 42 "), 42);
  EXPECT_EQ(ParseInteger("-7"), -7);
  EXPECT_EQ(ParseDouble("1e-3"), 0.001);
  for (const char* text : {"4x", "", "99999999999999999999"}) EXPECT_FALSE(ParseInteger(text));
  for (const char* text : {"1,5", "nan", "abc"}) EXPECT_FALSE(ParseDouble(text));
  EXPECT_EQ(LeadingInteger("  123abc"), 123);
  EXPECT_EQ(LeadingInteger("-45,6"), -45);
  EXPECT_EQ(LeadingInteger("abc"), 0);
  EXPECT_EQ(LeadingInteger("99999999999999999999999"), std::numeric_limits<long long>::max());
}

}  // namespace
}  // namespace corvane
