#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display, so test discovery works on a machine without one.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelpforge"));
    return RUN_ALL_TESTS();
}
