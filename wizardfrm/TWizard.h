#pragma once

#include "widgets/FormBuilding.h"

#include "localisation/UiText.h"
#include "profiles/Profile.h"
#include "widgets/MessageBoxes.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>

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
class TWizard : public DialogWithoutDefaultButtons {
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

    // Any end but Finish clears WizName, so a caller never reads the result of an earlier wizard
    // as this one's.
    void done(int result) override;

    // Fills the period box with a profile's stored interval, which Finish then keeps as it was unless the box
    // is edited: a stored form that the box would not read back (" 90.0", "3600 ") is not turned into 10.
    void StartWithInterval(const std::string& interval);

    int32_t WizardPage = 0;
    // The folder the last picker opened by Browse chose with OK.
    std::string SelectedFolder;

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
    std::optional<std::string> m_startInterval;
};
