// Tests run in UTC and the "C" locale so that time texts and number formats are the same on
// every machine. No test may touch the user's own velm.ini: a scratch one is installed for
// tests that forget to install their own.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

#include "support/TestEnv.h"

int main(int argc, char** argv) {
    setenv("TZ", "UTC", 1);
    tzset();
    std::setlocale(LC_ALL, "C");
    CTempDir scratch;
    setenv("XDG_CONFIG_HOME", scratch.Path().c_str(), 1);
    setenv("HOME", scratch.Path().c_str(), 1);
    CProfile fallback(scratch.File("velm.ini"));
    SetProfile(&fallback);
    ::testing::InitGoogleTest(&argc, argv);
    int code = RUN_ALL_TESTS();
    SetProfile(nullptr);
    return code;
}
