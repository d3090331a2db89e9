#pragma once

#include "widgets/FormBuilding.h"

#include "folderSelectfrm/OpenWizard.h"
#include "localisation/UiText.h"
#include "profiles/Profile.h"
#include "widgets/MessageBoxes.h"

#include <QDialog>

#include <cstdint>

class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

// What the wizard reaches of the main window: the texts it shows and where its result goes.
struct WizardContext {
    const UiText& text;
    WizardResult& result;
};

// The five-page profile wizard. All controls sit on one window; ShowPage lays out a page by
// showing, hiding, enabling and focusing them. Finish writes the four strings of the result;
// every other way out leaves an empty WizName, which callers read as "no result".
class TWizard : public DialogWithoutDefaultButtons, public FolderChoiceHolder {
    Q_OBJECT

public:
    explicit TWizard(const WizardContext& context, QWidget* parent = nullptr);

    void FormCreate();
    void ShowPage(int32_t page);

    void BmetaClick();
    void BprinClick();
    void dxButton3Click();
    void BrowseBtnClick();
    void BrowseBtn2Click();

    // Shows the wizard modally. Any end but Finish, the application quitting included, clears
    // WizName, so a caller never reads the result of an earlier wizard as this one's.
    int exec() override;

    int32_t WizardPage = 0;

    QLabel* Image2 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* Esource = nullptr;
    QLineEdit* Edestination = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Ename = nullptr;
    QPushButton* BrowseBtn = nullptr;
    QPushButton* BrowseBtn2 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QPushButton* Bprin = nullptr;
    QPushButton* Bmeta = nullptr;
    QPushButton* dxButton3 = nullptr;

private:
    void CreateWindow();
    void CreatePicture();
    void CreateLabels();
    void CreateFolderEdits();
    void CreateButtons();
    void CreatePeriodGroup();
    void SetTabOrder();
    void ConnectHandlers();

    void ShowWelcomePage();
    void ShowSourcePage();
    void ShowDestinationPage();
    void ShowIntervalPage();
    void ShowNamePage();

    void Finish();
    void BrowseInto(QLineEdit* edit);
    bool RefuseUnstorableFolder(const std::string& folder);

    const UiText& m_text;
    WizardResult& m_result;
    MessageBoxes m_messages;
    OpenWizardRegistration m_openWizard;
};
