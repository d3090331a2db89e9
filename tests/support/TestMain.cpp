// Every test executable runs inside a real Qt application, so widgets, timers and the event
// loop behave as in the program (the offscreen platform is set by the test's environment).
#include <QApplication>
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
