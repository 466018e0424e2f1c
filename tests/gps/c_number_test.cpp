#include "gps/c_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace tramlet {
namespace {

// atof in the C locale is the reference; results must agree to the bit.
void ExpectSameAsAtof(const std::string& token) {
    const double expected = std::strtod(token.c_str(), nullptr);
    const double actual = ParseCNumber(token);
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(actual)) << token;
    } else {
        EXPECT_EQ(std::memcmp(&expected, &actual, sizeof actual), 0)
            << token << ": " << actual << " vs " << expected;
    }
}

TEST(ParseCNumber, AgreesWithAtofOnOddTokens) {
    for (const char* token : {"0",
                              "-0",
                              "37.566500",
                              "126.978000",
                              "-.25",
                              ".5",
                              "5.",
                              "-",
                              ".",
                              "",
                              "+2e1",
                              "1e999",
                              "-1e999",
                              "1e-400",
                              "0x10",
                              "0X1p4",
                              "0x",
                              "inf",
                              "-Infinity",
                              "nan",
                              "12.5abc",
                              "abc",
                              "--5",
                              "+-5",
                              "1.2.3",
                              "999999999999999",
                              "9999999999999999",
                              "0.1234567890123456789",
                              "123456789012345.6",
                              "\v7",
                              "1e",
                              "1e+",
                              "00000000000000000001.5"}) {
        ExpectSameAsAtof(token);
    }
}

TEST(ParseCNumber, AgreesWithAtofOnCoordinates) {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> degrees(-180, 180);
    char text[64];
    for (int i = 0; i < 20000; ++i) {
        std::snprintf(text, sizeof text, "%.*f", static_cast<int>(i % 16), degrees(random));
        ExpectSameAsAtof(text);
    }
}

}  // namespace
}  // namespace tramlet
