// The per-user settings store and its read rules.
#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>

class QSettings;

// Which hive a call addresses: 0 is the current user's, anything else the
// machine's. The program always passes RegCurrentUser.
enum RegKey : int { RegCurrentUser = 0, RegLocalMachine = 1 };

// Wraps QSettings("kavrolux", "rtc eval"), or an INI file given on the
// command line. Every call opens the store afresh, as a registry key is
// opened and closed per call.
//
// INI files carry no value types, so the kinds the rules speak of are taken
// from what QSettings reads back:
//  - the key exists when the store's file exists (or, for a registry-backed
//    store, when it holds any value);
//  - an integer value is an integer QVariant within 32 bits, or text that is
//    a plain decimal number ("-12", not "12 ", "0x10" or "1e3") within 32 bits;
//  - a string value is one QSettings reads back as QString; a list ("a, b"),
//    a byte array (@ByteArray), any other @Variant/@Rect/... value is of
//    another kind.
// Integers are written as decimal text on file stores, so a value written in
// this process reads back exactly as it will in the next one.
class Reg {
  public:
    // Empty iniFile: the user's own store.
    explicit Reg(const QString& iniFile = QString());

    int32_t RegRdInteger(RegKey key, const QString& name, int32_t def) const;
    QString RegRdString(RegKey key, const QString& name, const QString& def) const;
    bool RegWrInteger(RegKey key, const QString& name, int32_t value) const;
    bool RegWrString(RegKey key, const QString& name, const QString& value) const;

    // Where the store lives (file name or registry path), for messages.
    QString location(RegKey key = RegCurrentUser) const;

    // The kinds as described above; public so tests state them directly.
    static bool isIntegerValue(const QVariant& v, int32_t* out = nullptr);
    static bool isStringValue(const QVariant& v);

  private:
    std::unique_ptr<QSettings> open(RegKey key) const;
    bool keyExists(const QSettings& s) const;

    QString iniFile_;
};
