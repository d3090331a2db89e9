#include "TempFolder.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string InstallScript()
{
    const fs::path sourceTree = fs::path(__FILE__).parent_path().parent_path().parent_path();
    return (sourceTree / "scripts" / "install-desktop.sh").string();
}

struct ScriptRun {
    int exitCode;
    std::string output;
    std::string errors;
};

// A user with a home folder of its own and a built program to install.
class InstallDesktopScript : public ::testing::Test {
protected:
    InstallDesktopScript()
    {
        MakeFolders(home());
        MakeFolders(build.path() + "app");
        WriteFileBytes(program(), "#!/bin/sh\necho dupliqa\n");
        ::chmod(program().c_str(), 0755);
    }

    std::string home() const { return scratch / "home dir/ana"; }
    std::string program() const { return build / "app/Dupliqa"; }
    std::string installed(const std::string& name) const { return home() + "/.local/opt/dupliqa/" + name; }
    std::string desktopEntry() const { return home() + "/.local/share/applications/dupliqa.desktop"; }
    std::string autostartEntry() const { return home() + "/.config/autostart/dupliqa.desktop"; }

    ScriptRun Run(const QStringList& arguments, const QProcessEnvironment& environment)
    {
        QProcess script;
        script.setProcessEnvironment(environment);
        script.setProgram(QStringLiteral("bash"));
        script.setArguments(QStringList {QString::fromStdString(InstallScript())} + arguments);
        script.start();
        EXPECT_TRUE(script.waitForFinished(30000));
        return {script.exitCode(), script.readAllStandardOutput().toStdString(),
                script.readAllStandardError().toStdString()};
    }

    ScriptRun Run(const QStringList& arguments) { return Run(arguments, UserEnvironment()); }

    QProcessEnvironment UserEnvironment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), QString::fromStdString(home()));
        environment.remove(QStringLiteral("XDG_DATA_HOME"));
        environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
        return environment;
    }

    QStringList WithProgram(QStringList arguments = {}) const
    {
        return arguments << QString::fromStdString(program());
    }

    TempFolder scratch;
    TempFolder build;
};

bool Exists(const std::string& path)
{
    return fs::exists(path);
}

bool IsExecutable(const std::string& path)
{
    return ::access(path.c_str(), X_OK) == 0;
}

bool HasLine(const std::string& text, const std::string& line)
{
    return ("\n" + text + "\n").find("\n" + line + "\n") != std::string::npos;
}

} // namespace

TEST_F(InstallDesktopScript, InstallsTheProgramItsIconAndADesktopEntry)
{
    const ScriptRun run = Run(WithProgram());
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(ReadFileBytes(installed("Dupliqa")), ReadFileBytes(program()));
    EXPECT_TRUE(IsExecutable(installed("Dupliqa")));
    EXPECT_EQ(ReadFileBytes(installed("dupliqa.png")).substr(1, 3), "PNG");
    const std::string entry = ReadFileBytes(desktopEntry());
    EXPECT_TRUE(HasLine(entry, "[Desktop Entry]"));
    EXPECT_TRUE(HasLine(entry, "Type=Application"));
    EXPECT_TRUE(HasLine(entry, "Name=Dupliqa"));
    // The home folder's path holds a blank, so the program's path is quoted as one argument.
    EXPECT_TRUE(HasLine(entry, "Exec=\"" + installed("Dupliqa") + "\"")) << entry;
    EXPECT_TRUE(HasLine(entry, "Icon=" + installed("dupliqa.png"))) << entry;
    EXPECT_FALSE(Exists(autostartEntry()));
}

TEST_F(InstallDesktopScript, AddsAnAutostartEntryWhenAsked)
{
    const ScriptRun run = Run(WithProgram({QStringLiteral("--autostart")}));
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::string entry = ReadFileBytes(autostartEntry());
    EXPECT_TRUE(HasLine(entry, "Exec=\"" + installed("Dupliqa") + "\""));
    EXPECT_TRUE(Exists(desktopEntry()));
}

TEST_F(InstallDesktopScript, PutsTheEntriesWhereTheXdgFoldersSay)
{
    QProcessEnvironment environment = UserEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(scratch / "data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(scratch / "config"));
    const ScriptRun run = Run(WithProgram({QStringLiteral("--autostart")}), environment);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(Exists(scratch / "data/applications/dupliqa.desktop"));
    EXPECT_TRUE(Exists(scratch / "config/autostart/dupliqa.desktop"));
    EXPECT_FALSE(Exists(desktopEntry()));
}

TEST_F(InstallDesktopScript, ReinstallingKeepsTheUsersFiles)
{
    ASSERT_EQ(Run(WithProgram()).exitCode, 0);
    WriteFileBytes(installed("Items.txt"), "Docs;/home/ana/Docs;/media/usb;180\r\n");
    WriteFileBytes(program(), "#!/bin/sh\necho newer\n");
    ASSERT_EQ(Run(WithProgram()).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(installed("Items.txt")), "Docs;/home/ana/Docs;/media/usb;180\r\n");
    EXPECT_EQ(ReadFileBytes(installed("Dupliqa")), "#!/bin/sh\necho newer\n");
    EXPECT_FALSE(Exists(installed(".Dupliqa.new")));
}

TEST_F(InstallDesktopScript, UninstallRemovesTheProgramButNotTheUsersFiles)
{
    ASSERT_EQ(Run(WithProgram({QStringLiteral("--autostart")})).exitCode, 0);
    WriteFileBytes(installed("Items.txt"), "x\r\n");
    WriteFileBytes(installed("Error.log"), "y\r\n");
    const ScriptRun run = Run({QStringLiteral("--uninstall")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_FALSE(Exists(installed("Dupliqa")));
    EXPECT_FALSE(Exists(installed("dupliqa.png")));
    EXPECT_FALSE(Exists(desktopEntry()));
    EXPECT_FALSE(Exists(autostartEntry()));
    EXPECT_EQ(ReadFileBytes(installed("Items.txt")), "x\r\n");
    EXPECT_EQ(ReadFileBytes(installed("Error.log")), "y\r\n");
}

TEST_F(InstallDesktopScript, UninstallOfAnUntouchedInstallLeavesNoFolder)
{
    ASSERT_EQ(Run(WithProgram()).exitCode, 0);
    ASSERT_EQ(Run({QStringLiteral("--uninstall")}).exitCode, 0);
    EXPECT_FALSE(Exists(home() + "/.local/opt/dupliqa"));
}

TEST_F(InstallDesktopScript, PurgeRemovesTheUsersFilesToo)
{
    ASSERT_EQ(Run(WithProgram()).exitCode, 0);
    WriteFileBytes(installed("Items.txt"), "x\r\n");
    ASSERT_EQ(Run({QStringLiteral("--uninstall"), QStringLiteral("--purge")}).exitCode, 0);
    EXPECT_FALSE(Exists(home() + "/.local/opt/dupliqa"));
    EXPECT_FALSE(Exists(desktopEntry()));
}

TEST_F(InstallDesktopScript, RefusesAMissingProgramAndWrongOptionsAndInstallsNothing)
{
    const ScriptRun run = Run({QString::fromStdString(build / "app/NoSuchProgram")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.errors.find("NoSuchProgram"), std::string::npos);
    EXPECT_NE(Run({QStringLiteral("--frobnicate")}).exitCode, 0);
    EXPECT_NE(Run({QStringLiteral("--purge")}).exitCode, 0);
    EXPECT_NE(Run({QStringLiteral("--uninstall"), QStringLiteral("--autostart")}).exitCode, 0);
    EXPECT_FALSE(Exists(home() + "/.local"));
}

TEST_F(InstallDesktopScript, QuotesAProgramPathWithCharactersTheShellWouldRead)
{
    QProcessEnvironment environment = UserEnvironment();
    const std::string oddHome = scratch / "odd $HOME \"100%\"";
    MakeFolders(oddHome);
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(oddHome));
    ASSERT_EQ(Run(WithProgram(), environment).exitCode, 0);
    const std::string entry = ReadFileBytes(oddHome + "/.local/share/applications/dupliqa.desktop");
    // Inside the quotes $ and " are escaped with a backslash, which the entry's own escaping
    // doubles; % is doubled so it is no field code.
    const std::string expected
        = "Exec=\"" + scratch.path() + "odd \\\\$HOME \\\\\"100%%\\\\\"/.local/opt/dupliqa/Dupliqa\"";
    EXPECT_TRUE(HasLine(entry, expected)) << entry;
}
