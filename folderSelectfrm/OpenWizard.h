#pragma once

#include <string>

// What the folder picker knows of the profile wizard: the field its OK button fills. The wizard
// derives from this and registers itself for its lifetime, so the picker reaches the open wizard
// without depending on the wizard's folder.
class FolderChoiceHolder {
public:
    std::string SelectedFolder;

protected:
    FolderChoiceHolder() = default;
    ~FolderChoiceHolder() = default;
};

// The wizard that is open (the latest created of those that exist), nullptr while none exists.
FolderChoiceHolder* OpenWizard();

// Makes wizard the open one for the life of this object.
class OpenWizardRegistration {
public:
    explicit OpenWizardRegistration(FolderChoiceHolder* wizard);
    ~OpenWizardRegistration();
    OpenWizardRegistration(const OpenWizardRegistration&) = delete;
    OpenWizardRegistration& operator=(const OpenWizardRegistration&) = delete;

private:
    FolderChoiceHolder* m_wizard;
};
