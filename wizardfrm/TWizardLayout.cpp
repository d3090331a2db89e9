// The wizard's window and controls at their design bounds. Creation order is stacking order:
// the picture and the labels lie beneath the edits and buttons, and the period group, created
// last, covers everything in its area while it is visible.
#include "wizardfrm/TWizard.h"

#include "widgets/FormBuilding.h"
#include "wizardfrm/ProfileFieldText.h"
#include "wizardfrm/WizardArt.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <iterator>
#include <limits>

namespace {

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& bounds,
                    ProfileFieldValidator::Field field = ProfileFieldValidator::Field::Text)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(bounds);
    edit->setValidator(new ProfileFieldValidator(field, edit));
    // A field as long as Items.txt holds it, so that an edit that does not touch it keeps it whole.
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

QPushButton* MakeBrowseButton(QWidget* parent, const char* name, const QRect& bounds)
{
    QPushButton* button = MakeButton(parent, name, bounds);
    button->setIcon(SmallFolderPicture());
    button->setIconSize({16, 16});
    return button;
}

} // namespace

void TWizard::CreateWindow()
{
    setObjectName(QStringLiteral("Wizard"));
    setWindowTitle(QStringLiteral("Οδηγός"));
    ApplyDesignFont(this);
    setFixedSize(437, 280);
    move(176, 144);
}

void TWizard::CreatePicture()
{
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(0, 0, 121, 273);
    Image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image2->setPixmap(WizardSidePicture());

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(128, 246, 300, 1);
}

void TWizard::CreateLabels()
{
    Label3 = MakeLabel(this, "Label3", {144, 24});
    Label1 = MakeLabel(this, "Label1", {144, 56});
    Label2 = MakeLabel(this, "Label2", {160, 64});
    Label6 = MakeLabel(this, "Label6", {160, 88});
    Label7 = MakeLabel(this, "Label7", {160, 200});
    Label4 = MakeLabel(this, "Label4", {144, 152});
}

void TWizard::CreateFolderEdits()
{
    Esource = MakeEdit(this, "Esource", {144, 80, 169, 21}, ProfileFieldValidator::Field::Folder);
    BrowseBtn = MakeBrowseButton(this, "BrowseBtn", {320, 79, 89, 20});
    Edestination = MakeEdit(this, "Edestination", {144, 176, 169, 21}, ProfileFieldValidator::Field::Folder);
    BrowseBtn2 = MakeBrowseButton(this, "BrowseBtn2", {320, 175, 89, 20});
}

void TWizard::CreateButtons()
{
    Bprin = MakeButton(this, "Bprin", {160, 250, 81, ButtonHeight});
    Bmeta = MakeButton(this, "Bmeta", {248, 250, 81, ButtonHeight});
    dxButton3 = MakeButton(this, "dxButton3", {344, 250, 81, ButtonHeight});
}

void TWizard::CreatePeriodGroup()
{
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(136, 24, 281, 193);
    GroupBox1->setAutoFillBackground(true);

    Label5 = MakeLabel(GroupBox1, "Label5", {40, 40});
    Edit1 = MakeEdit(GroupBox1, "Edit1", {72, 37, 41, 21});
    Edit1->setText(QStringLiteral("180"));
    Ename = MakeEdit(GroupBox1, "Ename", {32, 64, 185, 21});
    Ename->setText(QStringLiteral("NewProfile1"));
}

void TWizard::SetTabOrder()
{
    QWidget* const order[] = {Bmeta, Bprin, dxButton3, Esource, Edestination, BrowseBtn, BrowseBtn2, Edit1, Ename};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}
