#include <QApplication>
#include <gtest/gtest.h>

// Font and platform libraries keep caches until exit that LeakSanitizer
// would report as leaks of ours.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

// The widgets need one application object for the whole run, on the
// offscreen platform unless told otherwise (test discovery runs without the
// test environment).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
