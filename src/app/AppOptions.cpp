#include "app/AppOptions.h"

namespace {

// "--name FILE" or "--name=FILE". Returns false when the argument is not this
// option; sets *error when it is but carries no usable value.
bool takeValue(const QStringList& args, int& i, const QString& name, QString* value, QString* error)
{
    const QString& arg = args[i];
    QString text;
    if (arg == name) {
        if (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--"))) text = args[++i];
    } else if (arg.startsWith(name + u'=')) {
        text = arg.mid(name.size() + 1);
    } else {
        return false;
    }
    if (text.isEmpty())
        *error = QStringLiteral("%1 needs a file name").arg(name);
    else
        *value = text;
    return true;
}

} // namespace

bool ParseCommandLine(const QStringList& args, AppOptions* options, QString* error)
{
    AppOptions parsed;
    QString problem;
    // Only the very first argument can be the switch; it is compared exactly.
    parsed.wideBusList = !args.isEmpty() && args.first() == QLatin1String("-r");
    for (int i = 0; i < args.size() && problem.isEmpty(); ++i) {
        if (takeValue(args, i, QStringLiteral("--settings"), &parsed.settingsFile, &problem))
            continue;
        if (takeValue(args, i, QStringLiteral("--script"), &parsed.scriptFile, &problem)) continue;
        // Anything else, like an unknown first argument, is ignored.
    }
    if (!problem.isEmpty()) {
        if (error) *error = problem;
        return false;
    }
    *options = parsed;
    return true;
}
