#include "RunFixture.h"

#include "SystemSeams.h"
#include "engine/CopyRun.h"
#include "platform/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>

RunHarness::RunHarness()
    : RunHarness(std::string())
{
}

RunHarness::RunHarness(const std::string& folder)
    : exeFolder(folder.empty() || folder.ends_with('/') ? folder : folder + "/")
{
    if (exeFolder.empty())
        exeFolder = ownExeFolder.emplace().path();
    SystemSeams::SetExeFolder(exeFolder);
    view.buttonCaption = text[UiKey::Mstop];
}

void RunHarness::Run(const std::string& source, const std::string& destinationRoot)
{
    SystemSeams::SetExeFolder(exeFolder);
    RunBackup(ctx, source, destinationRoot);
}

std::vector<std::string> RunHarness::LogLines() const
{
    const std::string log = exeFolder + "Error.log";
    if (!Exists(log))
        return {};
    return platform::SplitLines(ReadFileBytes(log));
}

testing::AssertionResult RunHarness::Idle() const
{
    if (view.panels[PathPanel].empty() && view.panels[MethodPanel].empty() && !view.gaugeVisible
        && view.buttonCaption == text[UiKey::Mrun] && view.buttonImage == RunImage)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "panels \"" << view.panels[PathPanel] << "\" and \""
                                       << view.panels[MethodPanel] << "\", gauge "
                                       << (view.gaugeVisible ? "shown" : "hidden") << ", button \""
                                       << view.buttonCaption << "\" picture " << view.buttonImage;
}

void WriteWithTime(const std::string& path, const std::string& bytes, std::time_t time)
{
    WriteFileBytes(path, bytes);
    SetModificationTime(path, time);
}

void SetModificationTime(const std::string& path, std::time_t time)
{
    const struct timespec times[2] = {{time, 0}, {time, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string PatternBytes(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}
