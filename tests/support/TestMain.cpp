// Every test executable runs inside a real Qt application, so widgets, timers and the event
// loop behave as in the program (the offscreen platform is set by the test's environment).
#include <QApplication>
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // ctest lists the cases in its own environment, where there may be no display to open.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "");
    return RUN_ALL_TESTS();
}
