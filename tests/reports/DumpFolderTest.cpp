// The folder the file dialogs start in before any dump file was opened or
// saved: the program's own folder where a file can be written there, else the
// user's documents folder. The tests run as root, who may write into any
// folder whatever its mode, so folders no one can write are made below a plain
// file, and a folder only others may write (an installed program's /usr/bin)
// is named to the choice through its check.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "reports/DumpFolder.h"
#include "support/WindowFixture.h"

namespace {

class DumpFolder : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QFile plain(dir.filePath(QStringLiteral("plain")));
        ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("docs")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("home")));
    }
    QString at(const char* name) const { return dir.filePath(QLatin1String(name)); }

    QTemporaryDir dir;
};

TEST_F(DumpFolder, TheFirstPlaceAFileCanBeWrittenIn)
{
    const QString unwritable = at("plain") + QStringLiteral("/bin/"); // below a file
    ASSERT_FALSE(IsWritableFolder(unwritable));
    ASSERT_FALSE(IsWritableFolder(at("plain")));
    ASSERT_FALSE(IsWritableFolder(at("missing")));
    ASSERT_TRUE(IsWritableFolder(at("docs")));

    const struct {
        QStringList places;
        QString start;
    } cases[] = {
        {{at("home") + '/', at("docs"), at("plain")}, at("home") + '/'},
        {{unwritable, at("docs"), at("home")}, at("docs") + '/'},
        {{unwritable, at("missing"), at("home")}, at("home") + '/'},
        {{unwritable, QString(), at("plain")}, unwritable}, // none: as before, the first
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.places.join(u'|').toStdString());
        EXPECT_EQ(StartFolder(c.places), c.start);
    }
}

TEST_F(DumpFolder, AnInstalledProgramStartsInTheDocumentsFolder)
{
    // The program's folder exists but this user may not write there.
    const QString bin = at("usr-bin") + '/';
    ASSERT_TRUE(QDir().mkpath(bin));
    const auto notBin = [&](const QString& folder) {
        return QDir(folder) != QDir(bin) && IsWritableFolder(folder);
    };
    EXPECT_EQ(StartFolder({bin, at("docs")}, notBin), at("docs") + '/');
    EXPECT_EQ(StartFolder({bin, at("docs")}), bin) << "where it may, beside the program";

    // With this user's own places.
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString home = QDir::homePath();
    const QString start = DefaultFileFolder(bin, notBin);
    EXPECT_TRUE(start == docs + '/' || (start == home + '/' && !IsWritableFolder(docs)))
        << start.toStdString();
    EXPECT_EQ(DefaultFileFolder(bin), bin);
}

class DumpFolderWindow : public WindowFixture {};

TEST_F(DumpFolderWindow, NoRememberedFolderStartsInTheDefault)
{
    // The build folder the tests run from can be written.
    const QString exeDir = QCoreApplication::applicationDirPath() + '/';
    ASSERT_TRUE(IsWritableFolder(exeDir));
    for (const char* stored : {"", "Device=VK310\n", "FileDir=\n", "FileDir=old.csv\n"}) {
        SCOPED_TRACE(stored);
        ScratchStore own;
        if (*stored) own.write(QString::fromLatin1(stored));
        auto w = makeWindow(WindowOptions().store(own));
        EXPECT_EQ(w->fileDialogFolder(), exeDir);
    }
    ScratchStore remembered;
    remembered.write(QStringLiteral("FileDir=/srv/runs/last.csv\n"));
    EXPECT_EQ(makeWindow(WindowOptions().store(remembered))->fileDialogFolder(), "/srv/runs/");
}

} // namespace
