#pragma once

#include "engine/DestinationMount.h"
#include "engine/FileTable.h"
#include "engine/LogTimeStamp.h"
#include "platform/BlockCopy.h"
#include "platform/ExeFolder.h"
#include "platform/MountTable.h"

#include <utility>

// The hooks that tests have into platform/ and engine/; the program has no way to reach them. Free of
// Qt, unlike TestSeams, so that the fuzz targets can take them too.
struct SystemSeams {
    static void SetExeFolder(const std::string& folder) { platform::ExeFolderSeam::Set(folder); }
    static void SetFileSystemTablePath(const std::string& path) { platform::FileSystemTableSeam::Set(path); }
    static void SetKernelCopyRefused(bool refused) { platform::BlockCopy::SetKernelCopyRefusedForTesting(refused); }
    static void SetLogClock(std::optional<std::time_t> moment) { LogClockSeam::Set(moment); }
    static void SetFileTableCapacity(FileTable& table, int32_t capacity) { table.SetCapacityForTesting(capacity); }
    static void SetRemovableMediaFolders(std::optional<std::vector<std::string>> folders)
    {
        RemovableMediaFoldersSeam::Set(std::move(folders));
    }
};
