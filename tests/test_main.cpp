// The test programs' main: the process locale comes from the environment, as QApplication sets
// it in the desktop program, so a run under LC_ALL=fr_FR.UTF-8 meets the decimal comma that
// printf and strtod would then use.
#include <clocale>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
