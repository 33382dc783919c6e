// The one QApplication of a window benchmark, on Qt's offscreen platform
// unless another is asked for.
#pragma once

#include <QApplication>

inline QApplication& benchApp()
{
    static QApplication* instance = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "rtceval-bench";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *instance;
}
