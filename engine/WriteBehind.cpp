#include "engine/WriteBehind.h"

#include "platform/BackgroundClose.h"
#include "platform/FileContent.h"
#include "platform/VirtualFileSystem.h"

#include <utility>

WriteBehind::WriteBehind(const FileToCopy& file, int copy)
{
    const std::optional<platform::FileStatus>* seen = file.destinationSeen;
    if (seen && !*seen)
        return; // an unnamed copy: it is given its name with a link, which waits for nothing
    m_copy = copy;
    // An old copy smaller than a stretch is not worth the calls.
    if (!seen || (*seen)->kind != platform::EntryKind::File || (*seen)->size < Stretch)
        return;
    m_oldCopy = file.destinationFolder.OpenForReading(file.destinationName, platform::Links::DoNotFollow);
    // Held through the rename, the old copy would stay beside the new one under a hidden name.
    if (m_oldCopy.valid() && platform::IsServedThroughFuse(m_oldCopy.get()))
        m_oldCopy.Close();
    if (m_oldCopy.valid())
        platform::ForgetCachedPages(m_oldCopy.get(), 0, Stretch);
}

WriteBehind::~WriteBehind()
{
    platform::CloseInBackground(std::move(m_oldCopy));
}

void WriteBehind::Copied(off_t length)
{
    if (m_copy < 0)
        return;
    for (; length >= m_stretchEnd; m_stretchEnd += Stretch) {
        platform::StartWritingOut(m_copy, m_stretchEnd - Stretch, Stretch);
        if (m_oldCopy.valid())
            platform::ForgetCachedPages(m_oldCopy.get(), m_stretchEnd, Stretch);
    }
}
