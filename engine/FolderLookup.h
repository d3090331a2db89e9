#pragma once

#include "platform/FileDescriptor.h"

#include <string>

// A file named by an open folder and a name in it.
struct FileAt {
    int folder; // AT_FDCWD for a name that is a whole path
    const char* name;
};

// The folder of the files a run is handling, held open while consecutive files lie in it, so that each
// file is looked up by its name alone instead of by walking its whole path again. The table lists the
// files of a folder one after another, so a folder is opened once. A folder that cannot be opened gives a
// file that cannot be found.
class FolderLookup {
public:
    FileAt At(const std::string& path);

    // Closes the folder: one that was removed or made again since must be opened anew by its path.
    void Forget();

private:
    std::string m_folder;
    platform::FileDescriptor m_descriptor;
};
