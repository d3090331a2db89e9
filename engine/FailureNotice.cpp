#include "engine/FailureNotice.h"

#include "localisation/IniFile.h"
#include "localisation/Language.h"
#include "platform/Error.h"
#include "platform/Listing.h"

FailureNotice FailureNoticeFor(const std::string& profileName, const RunFailures& failures, const UiText& text)
{
    std::string body;
    const auto addLine = [&body](const std::string& line) { body += line + "\n"; };
    if (failures.destinationMissing)
        addLine(text[UiKey::NdestinationMissing]);
    if (failures.foldersNotRead > 0)
        addLine(FormatMessage(text[UiKey::NsourceNotRead], std::to_string(failures.foldersNotRead)));
    if (failures.filesNotCopied > 0)
        addLine(FormatMessage(text[UiKey::NfilesNotCopied], std::to_string(failures.filesNotCopied)));
    if (failures.aborted)
        addLine(text[UiKey::NrunAborted]);
    body += text[UiKey::NseeLog];
    return {FormatMessage(text[UiKey::NfailedTitle], profileName), body};
}

bool FailureNoticesWanted()
{
    return ReadIniString(SettingsPath(), "Notifications", "Failures", "1") != "0";
}

bool FailureStreaks::BeginsStreak(const std::string& profileName, bool failed)
{
    const std::string key = platform::AsciiUpper(profileName);
    if (!failed) {
        m_failing.erase(key);
        return false;
    }
    return m_failing.insert(key).second;
}
