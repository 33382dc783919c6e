#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>

#include "support/AppTestSupport.h"
#include "app/Reg.h"

namespace {

TEST(RegStore, FirstRunReadsDefaultsAndCreatesNothing)
{
    ScratchStore store;
    const Reg reg(store.path());
    EXPECT_EQ(reg.RegRdInteger(RegCurrentUser, "FormTop", 17), 17);
    EXPECT_EQ(reg.RegRdString(RegCurrentUser, "BussSpeed", "100"), "100");
    EXPECT_EQ(reg.RegRdString(RegCurrentUser, "Device", "Not Selected"), "Not Selected");
    EXPECT_FALSE(store.exists());
}

TEST(RegStore, MissingIntegerIsWrittenAtOnce)
{
    ScratchStore store;
    store.write("BussSpeed=400\n");
    const Reg reg(store.path());
    EXPECT_EQ(reg.RegRdInteger(RegCurrentUser, "FormTop", -3), -3);
    EXPECT_EQ(store.raw("FormTop"), QString("-3"));
    EXPECT_EQ(store.raw("BussSpeed"), QString("400"));
}

TEST(RegStore, MissingStringReadsEmptyAndIsNotWritten)
{
    ScratchStore store;
    store.write("FormTop=5\n");
    const Reg reg(store.path());
    EXPECT_EQ(reg.RegRdString(RegCurrentUser, "BussSpeed", "100"), QString());
    EXPECT_FALSE(store.raw("BussSpeed").has_value());
}

// Stored INI text and what RegRdInteger makes of it with default 9.
struct IntegerCase {
    const char* stored;
    int32_t read;
    bool replaced; // default written back
};

void PrintTo(const IntegerCase& c, std::ostream* os)
{
    *os << c.stored;
}

class RegIntegerKinds : public testing::TestWithParam<IntegerCase> {};

TEST_P(RegIntegerKinds, ReadsIntegersAndReplacesOtherKinds)
{
    const IntegerCase& c = GetParam();
    ScratchStore store;
    store.write(QStringLiteral("TempCal=%1\n").arg(QLatin1String(c.stored)));
    const Reg reg(store.path());
    EXPECT_EQ(reg.RegRdInteger(RegCurrentUser, "TempCal", 9), c.read);
    EXPECT_EQ(store.raw("TempCal"), c.replaced ? QString("9") : QString(c.stored));
}

INSTANTIATE_TEST_SUITE_P(Values, RegIntegerKinds,
                         testing::Values(IntegerCase{"42", 42, false},
                                         IntegerCase{"-15", -15, false},
                                         IntegerCase{"2147483647", 2147483647, false},
                                         IntegerCase{"-2147483648", INT32_MIN, false},
                                         IntegerCase{"2147483648", 9, true},
                                         IntegerCase{"abc", 9, true}, IntegerCase{"0x10", 9, true},
                                         IntegerCase{"1e3", 9, true}, IntegerCase{"12abc", 9, true},
                                         IntegerCase{"\"\"", 9, true}, IntegerCase{"1, 2", 9, true},
                                         IntegerCase{"@ByteArray(12)", 9, true},
                                         IntegerCase{"@Rect(1 2 3 4)", 9, true}));

// Stored INI text and what RegRdString makes of it with default "dflt".
struct StringCase {
    const char* stored;
    const char* read;
    bool replaced;
};

void PrintTo(const StringCase& c, std::ostream* os)
{
    *os << c.stored;
}

class RegStringKinds : public testing::TestWithParam<StringCase> {};

TEST_P(RegStringKinds, ReadsTextAndReplacesOtherKinds)
{
    const StringCase& c = GetParam();
    ScratchStore store;
    store.write(QStringLiteral("FileDir=%1\n").arg(QLatin1String(c.stored)));
    const Reg reg(store.path());
    EXPECT_EQ(reg.RegRdString(RegCurrentUser, "FileDir", "dflt"), QString(c.read));
    EXPECT_EQ(store.raw("FileDir"), c.replaced ? QString("dflt") : QString(c.stored));
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegStringKinds,
    testing::Values(StringCase{"/home/user/dumps/", "/home/user/dumps/", false},
                    StringCase{"400", "400", false},
                    StringCase{"\"/data/a, b/\"", "/data/a, b/", false},
                    StringCase{"\"\"", "", false}, StringCase{"a, b", "dflt", true},
                    StringCase{"@ByteArray(VK360)", "dflt", true},
                    StringCase{"@Rect(1 2 3 4)", "dflt", true}));

TEST(RegStore, EmptyNameIsNeverLookedUp)
{
    ScratchStore store;
    store.write("FormTop=5\n");
    const Reg reg(store.path());
    EXPECT_EQ(reg.RegRdInteger(RegCurrentUser, "", 7), 7);
    EXPECT_EQ(reg.RegRdString(RegCurrentUser, "", "x"), "x");
    EXPECT_FALSE(reg.RegWrInteger(RegCurrentUser, "", 1));
    EXPECT_FALSE(reg.RegWrString(RegCurrentUser, "", "y"));
    QFile file(store.path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[General]\nFormTop=5\n"));
}

TEST(RegStore, WritesCreateTheStoreAndReadBackInKind)
{
    ScratchStore store;
    const Reg reg(store.path());
    EXPECT_TRUE(reg.RegWrInteger(RegCurrentUser, "FormLeft", -120));
    EXPECT_TRUE(reg.RegWrString(RegCurrentUser, "FileDir", "/data/a, b/"));
    EXPECT_TRUE(reg.RegWrString(RegCurrentUser, "Device", "@odd name"));
    EXPECT_EQ(reg.RegRdInteger(RegCurrentUser, "FormLeft", 0), -120);
    EXPECT_EQ(reg.RegRdString(RegCurrentUser, "FileDir", ""), "/data/a, b/");
    EXPECT_EQ(reg.RegRdString(RegCurrentUser, "Device", ""), "@odd name");
    // An integer value reads the same in this process as in the next one.
    EXPECT_EQ(reg.RegRdString(RegCurrentUser, "FormLeft", "x"), "-120");
    EXPECT_EQ(store.raw("FormLeft"), QString("-120"));
}

TEST(RegStore, WriteToAnUnusableLocationReportsFalse)
{
    ScratchStore store;
    store.write("FormTop=1\n");
    // A file where a folder would have to be.
    const Reg reg(store.path() + "/inner/settings.ini");
    EXPECT_FALSE(reg.RegWrInteger(RegCurrentUser, "FormTop", 3));
    EXPECT_FALSE(reg.RegWrString(RegCurrentUser, "Device", "VK310"));
    EXPECT_EQ(store.raw("FormTop"), QString("1"));
}

// The user's own store, with organisation-wide and system-wide files beside it
// that must not stand in for it. Runs in a fresh process, since Qt fixes the
// store's folders at its first use.
TEST(RegStore, UserStoreIsOneKeyWithoutFallbacks)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString user = dir.filePath("user");
    const QString system = dir.filePath("system");
    for (const QString& file : {user + "/kavrolux.conf", system + "/kavrolux/rtc eval.conf"}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[General]\nFormTop=5\nDevice=VK310\n");
    }
    const auto firstRunInFreshProcess = [&] {
        qputenv("XDG_CONFIG_HOME", user.toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", system.toLocal8Bit());
        const Reg reg;
        const bool defaults =
            reg.RegRdInteger(RegCurrentUser, "FormTop", 0) == 0 &&
            reg.RegRdString(RegCurrentUser, "Device", "Not Selected") == "Not Selected";
        const bool ownFile = reg.location() == user + "/kavrolux/rtc eval.conf";
        const bool nothingWritten = !QFileInfo::exists(reg.location());
        std::exit(defaults && ownFile && nothingWritten ? 0 : 1);
    };
    EXPECT_EXIT(firstRunInFreshProcess(), testing::ExitedWithCode(0), "");
}

} // namespace
