#include <QApplication>
#include <cstdio>

#include "app/AppOptions.h"
#include "script/ScriptRunner.h"
#include "app/TAboutBox.h"
#include "app/TMainApp.h"

int main(int argc, char** argv)
{
    // A malformed line is reported before Qt needs a display.
    QStringList rawArgs;
    for (int i = 1; i < argc; ++i)
        rawArgs << QString::fromLocal8Bit(argv[i]);
    AppOptions options;
    QString error;
    if (!ParseCommandLine(rawArgs, &options, &error)) {
        std::fprintf(stderr, "rtceval: %s\n", qPrintable(error));
        return 2;
    }
    const bool noDisplay = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
                           qEnvironmentVariableIsEmpty("DISPLAY") &&
                           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                           !rawArgs.contains(QStringLiteral("-platform"));
    // Scripts also run where there is no screen at all; the window needs one.
    if (noDisplay && !options.scriptFile.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else if (noDisplay) {
        std::fprintf(stderr, "rtceval: no display found (DISPLAY and WAYLAND_DISPLAY are unset).\n"
                             "Start it from a desktop session or under Xvfb (xvfb-run -a rtceval),\n"
                             "or run a scenario headless with --script FILE.\n");
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kavrolux RTC Evaluation"));

    // Again without the arguments Qt took for itself, so "-r" is judged as
    // the program's first argument.
    ParseCommandLine(QApplication::arguments().mid(1), &options, &error);

    const bool scriptMode = !options.scriptFile.isEmpty();
    // The script may set up what start-up already has to see.
    if (scriptMode && !ScriptRunner::Prepare(options.scriptFile, &error)) {
        std::fprintf(stderr, "rtceval: %s\n", qPrintable(error));
        return 2;
    }

    TMainApp window(options, scriptMode);
    auto* about = new TAboutBox(&window);
    window.setAboutBox(about);
    window.show();

    if (scriptMode) return ScriptRunner::Run(window);
    return app.exec();
}
