#include "engine/FolderLookup.h"

#include <fcntl.h>

FileAt FolderLookup::At(const std::string& path)
{
    const size_t nameStart = path.rfind('/') + 1; // 0 for a name without a folder
    if (nameStart == 0)
        return {AT_FDCWD, path.c_str()};
    if (!m_descriptor.valid() || path.compare(0, nameStart, m_folder) != 0 || m_folder.size() != nameStart) {
        m_folder.assign(path, 0, nameStart);
        m_descriptor = platform::FileDescriptor(::open(m_folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
    // An fd of -1 makes every look-up fail with EBADF, which reads as a file that is not there.
    return {m_descriptor.get(), path.c_str() + nameStart};
}

void FolderLookup::Forget()
{
    m_folder.clear();
    m_descriptor = platform::FileDescriptor();
}
