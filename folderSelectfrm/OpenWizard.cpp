#include "folderSelectfrm/OpenWizard.h"

#include <algorithm>
#include <vector>

namespace {

// Every wizard that exists, the latest last. Kept as a list rather than one pointer so that a
// wizard ending out of order never leaves a pointer to a destroyed one behind.
std::vector<FolderChoiceHolder*>& ExistingWizards()
{
    static std::vector<FolderChoiceHolder*> wizards;
    return wizards;
}

} // namespace

FolderChoiceHolder* OpenWizard()
{
    return ExistingWizards().empty() ? nullptr : ExistingWizards().back();
}

OpenWizardRegistration::OpenWizardRegistration(FolderChoiceHolder* wizard) : m_wizard(wizard)
{
    ExistingWizards().push_back(wizard);
}

OpenWizardRegistration::~OpenWizardRegistration()
{
    auto& wizards = ExistingWizards();
    wizards.erase(std::remove(wizards.begin(), wizards.end(), m_wizard), wizards.end());
}
