#include "app/Reg.h"

#include <QFileInfo>
#include <QSettings>
#include <QVariant>
#include <limits>

namespace {

const char* const kOrganisation = "kavrolux";
const char* const kApplication = "rtc eval";

bool isPlainDecimal(const QString& text)
{
    int i = (text.startsWith(u'-') || text.startsWith(u'+')) ? 1 : 0;
    if (i >= text.size()) return false;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') return false;
    }
    return true;
}

} // namespace

Reg::Reg(const QString& iniFile) : iniFile_(iniFile) {}

std::unique_ptr<QSettings> Reg::open(RegKey key) const
{
    // An explicit file is the only store there is: both hives lead to it.
    if (!iniFile_.isEmpty()) return std::make_unique<QSettings>(iniFile_, QSettings::IniFormat);
    auto s = std::make_unique<QSettings>(QSettings::NativeFormat,
                                         key == RegCurrentUser ? QSettings::UserScope
                                                               : QSettings::SystemScope,
                                         kOrganisation, kApplication);
    // One key, as in the registry: no organisation-wide or system-wide file
    // stands in for a missing value or makes a missing key look present.
    s->setFallbacksEnabled(false);
    return s;
}

QString Reg::location(RegKey key) const
{
    return open(key)->fileName();
}

bool Reg::keyExists(const QSettings& s) const
{
    if (s.status() != QSettings::NoError)
        return false; // an unreadable store is treated as absent and left alone
    return QFileInfo::exists(s.fileName()) || !s.allKeys().isEmpty();
}

bool Reg::isIntegerValue(const QVariant& v, int32_t* out)
{
    qlonglong n = 0;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
        n = v.toLongLong();
        break;
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        if (v.toULongLong() > quint64(std::numeric_limits<int32_t>::max())) return false;
        n = v.toLongLong();
        break;
    case QMetaType::QString: {
        const QString text = v.toString();
        bool ok = false;
        if (!isPlainDecimal(text)) return false;
        n = text.toLongLong(&ok);
        if (!ok) return false;
        break;
    }
    default:
        return false;
    }
    if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max())
        return false;
    if (out) *out = static_cast<int32_t>(n);
    return true;
}

bool Reg::isStringValue(const QVariant& v)
{
    return v.typeId() == QMetaType::QString;
}

int32_t Reg::RegRdInteger(RegKey key, const QString& name, int32_t def) const
{
    if (name.isEmpty()) return def;
    {
        const auto s = open(key);
        if (!keyExists(*s)) return def;
        int32_t value = 0;
        if (s->contains(name) && isIntegerValue(s->value(name), &value)) return value;
    }
    RegWrInteger(key, name, def);
    return def;
}

QString Reg::RegRdString(RegKey key, const QString& name, const QString& def) const
{
    if (name.isEmpty()) return def;
    {
        const auto s = open(key);
        if (!keyExists(*s)) return def;
        if (!s->contains(name)) return QString();
        const QVariant v = s->value(name);
        if (isStringValue(v)) return v.toString();
    }
    RegWrString(key, name, def);
    return def;
}

bool Reg::RegWrInteger(RegKey key, const QString& name, int32_t value) const
{
    if (name.isEmpty()) return false;
    const auto s = open(key);
    if (s->status() != QSettings::NoError)
        return false; // never overwrite a store we could not read
#ifdef Q_OS_WIN
    // The registry has real integer values.
    if (iniFile_.isEmpty())
        s->setValue(name, value);
    else
        s->setValue(name, QString::number(value));
#else
    s->setValue(name, QString::number(value));
#endif
    s->sync();
    return s->status() == QSettings::NoError;
}

bool Reg::RegWrString(RegKey key, const QString& name, const QString& value) const
{
    if (name.isEmpty()) return false;
    const auto s = open(key);
    if (s->status() != QSettings::NoError) return false;
    s->setValue(name, value);
    s->sync();
    return s->status() == QSettings::NoError;
}
