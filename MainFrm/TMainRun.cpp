// Runs of a profile, started by the run button or by the scheduler.
#include "MainFrm/TMain.h"

#include "engine/CopyRun.h"
#include "engine/Scan.h"

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
    SetRunButton(UiText[UiKey::Mstop], StopImage);
    const Profile& profile = ProfileTable[row + 1];
    SetPanelText(ProfilePanel, profile.Name.ToText());
    {
        RunInProgressMark mark(m_runInProgress);
        RunBackup(profile.Source.ToText(), profile.Destination.ToText());
    }
    // The item at the run's position, even after a reload of the list during the run; a list that no
    // longer has that row gets no picture.
    setItemImage(row, LastRunFailed);
    SetPanelText(ProfilePanel, std::string());
    SetPanelText(MethodPanel, std::string());
    flushPanels();
}

void TMain::RunScheduledProfile(int32_t n)
{
    StopRequested = false;
    SetRunButton(UiText[UiKey::Mstop], StopImage);
    SetPanelText(ProfilePanel, ProfileTable[n].Name.ToText());
    const std::string source = ProfileTable[n].Source.ToText();
    const std::string destination = ProfileTable[n].Destination.ToText();
    const uint64_t generation = m_profileGeneration;
    {
        RunInProgressMark mark(m_runInProgress);
        RunBackup(source, destination);
    }
    if (generation == m_profileGeneration)
        setItemImage(n - 1, LastRunFailed);
    SetPanelText(ProfilePanel, std::string());
    SetPanelText(MethodPanel, std::string());
    flushPanels();
}
