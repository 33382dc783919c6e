#include <QApplication>
#include <cstdio>

#include "app/AppOptions.h"
#include "app/ScriptRunner.h"
#include "app/TAboutBox.h"
#include "app/TMainApp.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kavrolux RTC Evaluation"));

    AppOptions options;
    QString error;
    if (!ParseCommandLine(QApplication::arguments().mid(1), &options, &error)) {
        std::fprintf(stderr, "rtceval: %s\n", qPrintable(error));
        return 2;
    }

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
