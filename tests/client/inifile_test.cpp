#include "client/inifile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

bool setImmutable(const QString& path, bool on)
{
    return QProcess::execute("chattr", {on ? "+i" : "-i", path}) == 0;
}

// Keeps a folder's entries fixed (nothing can be created, renamed or removed in it) while it lives.
struct ImmutableFolder {
    explicit ImmutableFolder(QString path)
        : path(std::move(path))
        , active(setImmutable(this->path, true))
    {
    }
    ~ImmutableFolder()
    {
        if (active)
            setImmutable(path, false);
    }
    QString path;
    bool active;
};

const QByteArray launcherSections =
    "; launcher settings, do not edit\r\n"
    "[Lobby]\r\n"
    "  Server =  lobby.example.net  \r\n"
    "Port=9001\r\n"
    "\r\n"
    "[hangman]\r\n"
    "Textsize = 10\r\n"
    "; Top is set by the game\r\n"
    "\r\n"
    "[Hangman_Old]\r\n"
    "Top=99\r\n"
    "\r\n"
    "[Accounts]\r\n"
    "name=Käthe\r\n";

} // namespace

TEST(IniFile, ReadsAndWritesOnlyItsKeysLeavingTheRestByteIdentical)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("vorlixlobby.ini");
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger("hangman", "Textsize", 8), 8);

    writeAll(path, launcherSections);
    EXPECT_EQ(ini.readString("LOBBY", "server", "x"), "lobby.example.net");
    EXPECT_EQ(ini.readInteger("Hangman", "TEXTSIZE", 8), 10);
    EXPECT_EQ(ini.readInteger("hangman", "Top", 3), 3) << "keys of another section must not leak";
    EXPECT_EQ(ini.readString("accounts", "Name", ""), QString::fromUtf8("Käthe"));
    EXPECT_EQ(ini.readInteger("lobby", "Server", -1), -1);

    ini.writeString("hangman", "Textsize", "12");
    ini.writeString("HANGMAN", "Top", "40");
    ini.writeString("hangman", "Left", "7");
    ini.writeString("hangman", "top", "41");
    ini.writeString("hangman", "Phrase1", "Line one\r\n[Lobby]\nPort=1");

    QByteArray expected = launcherSections;
    expected.replace("Textsize = 10\r\n; Top is set by the game\r\n",
                     "Textsize = 12\r\n; Top is set by the game\r\nTop=41\r\nLeft=7\r\n"
                     "Phrase1=Line one  [Lobby] Port=1\r\n");
    EXPECT_EQ(readAll(path), expected);
    EXPECT_EQ(ini.readInteger("lobby", "Port", 0), 9001);
}

TEST(IniFile, CreatesFileAndSectionWithTheFilesLineEnding)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("new.ini");
    IniFile ini(path);
    ini.writeString("hangman", "Textsize", "8");
    ini.writeString("hangman", "Top", "3");
    EXPECT_EQ(readAll(path), QByteArray("[hangman]\nTextsize=8\nTop=3\n"));

    writeAll(path, "[Lobby]\r\nPort=9001");
    ini.writeString("hangman", "Top", "3");
    EXPECT_EQ(readAll(path), QByteArray("[Lobby]\r\nPort=9001\r\n[hangman]\r\nTop=3\r\n"));
}

TEST(IniFile, UpdatesAtomicallyKeepingPermissionsOrInPlaceInAFixedFolder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("vorlixlobby.ini");
    writeAll(path, "[hangman]\nTop=1\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const auto permissions = QFile::permissions(path);

    IniFile(path).writeString("hangman", "Top", "2");
    EXPECT_EQ(QFile::permissions(path), permissions);
    EXPECT_EQ(readAll(path), QByteArray("[hangman]\nTop=2\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"vorlixlobby.ini"});

    ImmutableFolder fixed(dir.path());
    if (!fixed.active)
        GTEST_SKIP() << "chattr is not available here";
    IniFile(path).writeString("hangman", "Top", "3");
    EXPECT_EQ(readAll(path), QByteArray("[hangman]\nTop=3\n"));
}

TEST(IniFile, FailedWriteThrowsWithThePathAndKeepsTheFile)
{
    QTemporaryDir dir;
    writeAll(dir.filePath("plainfile"), "x");
    const QString path = dir.filePath("plainfile/vorlixlobby.ini");
    try {
        IniFile(path).writeString("hangman", "Top", "3");
        FAIL() << "no exception";
    } catch (const IniWriteError& error) {
        EXPECT_EQ(QString::fromStdString(error.what()), "Unable to write to " + path);
    }

    const QString big = dir.filePath("big.ini");
    const QByteArray data = "[hangman]\nTop=5\n" + QByteArray(IniFile::maxFileSize, ';');
    writeAll(big, data);
    EXPECT_EQ(IniFile(big).readInteger("hangman", "Top", 3), 3);
    EXPECT_THROW(IniFile(big).writeString("hangman", "Top", "4"), IniWriteError);
    EXPECT_EQ(readAll(big), data);
}
