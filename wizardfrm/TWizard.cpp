#include "wizardfrm/TWizard.h"

#include "widgets/FormBuilding.h"
#include "folderSelectfrm/TfolderSelect.h"
#include "widgets/WidgetText.h"
#include "platform/Error.h"
#include "wizardfrm/ProfileFieldText.h"
#include "wizardfrm/WizardInteger.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TWizard::TWizard(const WizardContext& context, QWidget* parent)
    : DialogWithoutDefaultButtons(parent),
      m_text(context.text),
      m_result(context.result),
      m_messages(this)
{
    CreateWindow();
    CreatePicture();
    CreateLabels();
    CreateFolderEdits();
    CreateButtons();
    CreatePeriodGroup();
    SetTabOrder();
    ConnectHandlers();
    Bmeta->setFocus(); // the first control in tab order holds the focus when the wizard opens
    FormCreate();
}

void TWizard::ConnectHandlers()
{
    connect(Bmeta, &QPushButton::clicked, this, &TWizard::BmetaClick);
    connect(Bprin, &QPushButton::clicked, this, &TWizard::BprinClick);
    connect(dxButton3, &QPushButton::clicked, this, &TWizard::dxButton3Click);
    connect(BrowseBtn, &QPushButton::clicked, this, &TWizard::BrowseBtnClick);
    connect(BrowseBtn2, &QPushButton::clicked, this, &TWizard::BrowseBtn2Click);
}

void TWizard::FormCreate()
{
    ShowPage(0);
    WizardPage = 0;
    Bprin->setText(WidgetText(m_text[UiKey::Wbpring]));
    Bmeta->setText(WidgetText(m_text[UiKey::Wmnext]));
    dxButton3->setText(WidgetText(m_text[UiKey::wbcancel]));
    GroupBox1->setTitle(WidgetText(m_text[UiKey::wgroup]));
    SetLabelCaption(Label5, m_text[UiKey::wlabel1]);
    SetLabelCaption(Label3, m_text[UiKey::wlabel2]);
    SetLabelCaption(Label1, m_text[UiKey::wlabel3]);
    SetLabelCaption(Label4, m_text[UiKey::wlabel4]);
    SetLabelCaption(Label2, m_text[UiKey::wlabel5]);
    SetLabelCaption(Label6, m_text[UiKey::wlabel5A]);
    SetLabelCaption(Label7, m_text[UiKey::wlabel5B]);
    BrowseBtn->setText(WidgetText(m_text[UiKey::wlabel6]));
    BrowseBtn2->setText(WidgetText(m_text[UiKey::wlabel7]));
}

void TWizard::BmetaClick()
{
    if (WizardPage == 4) {
        Finish();
        return;
    }
    WizardPage += 1;
    if (Esource->text().isEmpty() && WizardPage == 2) {
        m_messages.ShowMessage(m_text[UiKey::Wizard7]);
        WizardPage = 1;
        return;
    }
    if (Edestination->text().isEmpty() && WizardPage == 3) {
        m_messages.ShowMessage(m_text[UiKey::Wizard8]);
        WizardPage = 2;
        return;
    }
    // A typed ";" would split the profile's line: the folder is refused by name and left as typed,
    // so the user sees what to change instead of a different folder being stored.
    if (WizardPage == 2 && RefuseUnstorableFolder(SystemText(Esource->text()))) {
        WizardPage = 1;
        return;
    }
    if (WizardPage == 3 && RefuseUnstorableFolder(SystemText(Edestination->text()))) {
        WizardPage = 2;
        return;
    }
    ShowPage(WizardPage);
}

void TWizard::Finish()
{
    // The edits drop the characters that would break a line of Items.txt, and a folder holding a
    // ";" is refused when its page is left; reading them through the same filter keeps that true
    // for text that reached an edit any other way.
    m_result.WizSource = SystemText(WithoutFieldBreaks(Esource->text()));
    m_result.WizDestination = SystemText(WithoutFieldBreaks(Edestination->text()));
    m_result.WizName = SystemText(WithoutFieldBreaks(Ename->text()));
    m_result.WizInterval = m_startInterval && !Edit1->isModified() ? *m_startInterval
                                                                    : WizardIntervalText(SystemText(Edit1->text()));
    done(Accepted);
}

void TWizard::StartWithInterval(const std::string& interval)
{
    m_startInterval = interval;
    Edit1->setText(WidgetText(interval));
}

void TWizard::BprinClick()
{
    WizardPage -= 1;
    ShowPage(WizardPage);
}

void TWizard::dxButton3Click()
{
    m_result.WizName.clear();
    done(Rejected);
}

void TWizard::BrowseBtnClick()
{
    BrowseInto(Esource);
}

void TWizard::BrowseBtn2Click()
{
    BrowseInto(Edestination);
}

void TWizard::BrowseInto(QLineEdit* edit)
{
    // A fresh picker each time, so its tree always starts collapsed.
    auto* picker = new TfolderSelect(m_text, this);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(picker, &QDialog::finished, this, [this, picker, edit](int result) {
        if (result != Accepted)
            return;
        SelectedFolder = picker->ChosenFolder();
        if (RefuseUnstorableFolder(SelectedFolder))
            return;
        edit->setText(WidgetText(SelectedFolder));
    });
    picker->Open();
}

bool TWizard::RefuseUnstorableFolder(const std::string& folder)
{
    if (FitsProfileField(folder))
        return false;
    m_messages.ShowMessage(FormatMessage(m_text[UiKey::Mfoldersemicolon], folder));
    return true;
}

void TWizard::done(int result)
{
    if (result != Accepted)
        m_result.WizName.clear();
    DialogWithoutDefaultButtons::done(result);
}

