// ShowPage: each page changes only the controls it names; every other control keeps the state
// the page shown before left it in. Label6 and Label7 belong to no page.
#include "wizardfrm/TWizard.h"

#include "widgets/FormBuilding.h"
#include "widgets/WidgetText.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// An edit that takes the focus has its whole text selected, so typing replaces what it held
// rather than adding to it.
void FocusWithTextSelected(QLineEdit* edit)
{
    edit->setFocus();
    edit->selectAll();
}

} // namespace

void TWizard::ShowPage(int32_t page)
{
    switch (page) {
    case 0:
        ShowWelcomePage();
        break;
    case 1:
        ShowSourcePage();
        break;
    case 2:
        ShowDestinationPage();
        break;
    case 3:
        ShowIntervalPage();
        break;
    case 4:
        ShowNamePage();
        break;
    default:
        break; // there is no such page
    }
}

void TWizard::ShowWelcomePage()
{
    Label2->show();
    Label3->hide();
    Label1->hide();
    Esource->hide();
    BrowseBtn->hide();
    Label4->hide();
    Edestination->hide();
    BrowseBtn2->hide();
    GroupBox1->hide();
    Bprin->setEnabled(false);
    Bmeta->setEnabled(true);
}

void TWizard::ShowSourcePage()
{
    Label2->hide();
    Label3->show();
    SetLabelCaption(Label3, m_text[UiKey::Wizard1]);
    Label1->show();
    Esource->show();
    Esource->setEnabled(true);
    BrowseBtn->show();
    Label4->hide();
    Edestination->hide();
    BrowseBtn2->hide();
    GroupBox1->hide();
    Bprin->setEnabled(true);
    Bmeta->setEnabled(true);
    FocusWithTextSelected(Esource);
}

void TWizard::ShowDestinationPage()
{
    Label2->hide();
    Label3->show();
    SetLabelCaption(Label3, m_text[UiKey::Wizard2]);
    Label1->show();
    Esource->show();
    Esource->setEnabled(false);
    BrowseBtn->hide();
    Label4->show();
    Edestination->show();
    BrowseBtn2->show();
    GroupBox1->hide();
    Bprin->setEnabled(true);
    Bmeta->setEnabled(true);
    FocusWithTextSelected(Edestination);
}

void TWizard::ShowIntervalPage()
{
    GroupBox1->show();
    GroupBox1->setTitle(WidgetText(m_text[UiKey::Wizard3]));
    Label5->show();
    Edit1->show();
    Ename->hide();
    Bmeta->setText(WidgetText(m_text[UiKey::Wizard4]));
    FocusWithTextSelected(Edit1);
}

void TWizard::ShowNamePage()
{
    GroupBox1->show();
    GroupBox1->setTitle(WidgetText(m_text[UiKey::Wizard5]));
    Label5->hide();
    Edit1->hide();
    Ename->show();
    Bmeta->setText(WidgetText(m_text[UiKey::Wizard6]));
    FocusWithTextSelected(Ename);
}
