// Runs of a profile, started by the run button or by the scheduler.
#include "MainFrm/TMain.h"

#include "engine/CopyRun.h"
#include "engine/FailureNotice.h"
#include "engine/Scan.h"
#include "widgets/TrayNotice.h"
#include "widgets/WidgetText.h"

#include <QListWidget>

namespace {

// Marks a run in progress for as long as it lives, whatever way the run ends.
class RunInProgressMark {
public:
    explicit RunInProgressMark(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RunInProgressMark() { m_flag = false; }
    RunInProgressMark(const RunInProgressMark&) = delete;
    RunInProgressMark& operator=(const RunInProgressMark&) = delete;

private:
    bool& m_flag;
};

} // namespace

void TMain::ScanFolder(const std::string& folder, const std::string& mask, bool recurse)
{
    RunContext context{FileTable, FileCount, StopRequested, LastRunFailed, UiText, *this, false, std::string(), {}};
    ::ScanFolder(context, folder, mask, recurse);
    flushPanels();
}

void TMain::RunBackup(const std::string& source, const std::string& destinationRoot)
{
    RunContext context{FileTable, FileCount, StopRequested, LastRunFailed, UiText, *this, false, std::string(), {}};
    ::RunBackup(context, source, destinationRoot);
    m_lastRunFailures = context.Failures;
    flushPanels();
}

void TMain::ToolButton12Click(QObject*)
{
    if (m_runButtonImage == 4) {
        StopRequested = true;
        return;
    }
    StopRequested = false;
    const auto selected = ListView1->selectedItems();
    if (selected.isEmpty()) {
        m_dialogs.ShowMessage(UiText[UiKey::MNochoice]);
        return;
    }
    const int row = ListView1->row(selected.front());
    if (row >= ProfileCount)
        return; // the list mirrors the table; a row past it has no profile to run
    runProfile(row + 1, RunStart::ByHand);
}

void TMain::RunScheduledProfile(int32_t n)
{
    runProfile(n, RunStart::Scheduled);
}

void TMain::runProfile(int32_t n, RunStart start)
{
    StopRequested = false;
    SetRunButton(UiText[UiKey::Mstop], StopImage);
    // A copy: the table may be reloaded while the run pumps messages.
    const Profile ran = ProfileTable[n];
    const std::string name = ran.Name.ToText();
    SetPanelText(ProfilePanel, name);
    {
        RunInProgressMark mark(m_runInProgress);
        RunBackup(ran.Source.ToText(), ran.Destination.ToText());
    }
    // After a reload during the run the picture goes to the item at the run's number only while that
    // is still the profile that ran: same name, source and destination.
    if (stillAt(n, ran))
        setItemImage(n - 1, LastRunFailed);
    SetPanelText(ProfilePanel, std::string());
    SetPanelText(MethodPanel, std::string());
    flushPanels();
    tellOfFailure(name, start);
}

bool TMain::stillAt(int32_t n, const Profile& profile) const
{
    if (n > ProfileCount)
        return false;
    const Profile& now = ProfileTable[n];
    return now.Name.ToText() == profile.Name.ToText() && now.Source.ToText() == profile.Source.ToText()
        && now.Destination.ToText() == profile.Destination.ToText();
}

void TMain::tellOfFailure(const std::string& profileName, RunStart start)
{
    if (!m_failureStreaks.BeginsStreak(profileName, LastRunFailed != 0))
        return;
    // The failure picture tells a user who is looking at the window.
    if (start == RunStart::ByHand && isVisible() && !isMinimized())
        return;
    if (!FailureNoticesWanted())
        return;
    const FailureNotice notice = FailureNoticeFor(profileName, m_lastRunFailures, UiText);
    m_trayNotice->Show(WidgetText(notice.title), WidgetText(notice.body));
}
