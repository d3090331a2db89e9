#include "WizardTestSupport.h"

#include "widgets/MessageBoxes.h"
#include "wizardfrm/TWizard.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <map>
#include <set>

namespace {

// Every text set to its own key's name, so a caption shows which key it came from.
UiText KeyNamedTexts()
{
    UiText text;
    for (const UiKeyInfo& info : UiKeysInReadOrder())
        text[info.key] = info.name;
    return text;
}

const char* const PageControls[] = {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7",
                                    "Esource", "Edestination", "Edit1", "Ename", "BrowseBtn", "BrowseBtn2",
                                    "GroupBox1", "Bprin", "Bmeta", "dxButton3"};

// A control's own state: hidden means hidden itself, not merely inside a hidden group box.
struct ControlState {
    bool shown;
    bool enabled;
    QString caption;
    bool operator==(const ControlState&) const = default;
};

QString CaptionOf(QWidget* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QPushButton*>(widget))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return group->title();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    return {};
}

std::map<std::string, ControlState> Snapshot(TWizard& wizard)
{
    std::map<std::string, ControlState> states;
    for (const char* name : PageControls) {
        auto* widget = wizard.findChild<QWidget*>(QString::fromLatin1(name));
        states[name] = {!widget->isHidden(), widget->isEnabled(), CaptionOf(widget)};
    }
    return states;
}

// What a page must look like: the controls it shows and hides, enables and disables, the
// captions it sets and the control that holds the focus.
struct PageLayout {
    std::set<std::string> shown;
    std::set<std::string> hidden;
    std::set<std::string> enabled;
    std::set<std::string> disabled;
    std::map<std::string, QString> captions;
    std::string focus; // empty: whatever held it before
};

void ExpectPage(TWizard& wizard, const PageLayout& layout, const std::string& where)
{
    SCOPED_TRACE(where);
    for (const std::string& name : layout.shown)
        EXPECT_FALSE(wizard.findChild<QWidget*>(QString::fromStdString(name))->isHidden()) << name << " shown";
    for (const std::string& name : layout.hidden)
        EXPECT_TRUE(wizard.findChild<QWidget*>(QString::fromStdString(name))->isHidden()) << name << " hidden";
    for (const std::string& name : layout.enabled)
        EXPECT_TRUE(wizard.findChild<QWidget*>(QString::fromStdString(name))->isEnabled()) << name << " enabled";
    for (const std::string& name : layout.disabled)
        EXPECT_FALSE(wizard.findChild<QWidget*>(QString::fromStdString(name))->isEnabled()) << name << " disabled";
    for (const auto& [name, caption] : layout.captions)
        EXPECT_EQ(CaptionOf(wizard.findChild<QWidget*>(QString::fromStdString(name))), caption) << name;
    if (!layout.focus.empty()) {
        ASSERT_NE(wizard.focusWidget(), nullptr);
        EXPECT_EQ(wizard.focusWidget()->objectName().toStdString(), layout.focus);
    }
}

// The page table: pages 0 to 4 as they look whichever way the user arrived.
const PageLayout WelcomePage{
    {"Label2", "Label6", "Label7"},
    {"Label3", "Label1", "Esource", "BrowseBtn", "Label4", "Edestination", "BrowseBtn2", "GroupBox1"},
    {"Bmeta", "dxButton3"},
    {"Bprin"},
    {{"Label2", "wlabel5"}, {"Label6", "wlabel5A"}, {"Label7", "wlabel5B"}},
    ""};
const PageLayout SourcePage{
    {"Label3", "Label1", "Esource", "BrowseBtn", "Label6", "Label7"},
    {"Label2", "Label4", "Edestination", "BrowseBtn2", "GroupBox1"},
    {"Esource", "Bprin", "Bmeta"},
    {},
    {{"Label3", "Wizard1"}, {"Label1", "wlabel3"}, {"BrowseBtn", "wlabel6"}},
    "Esource"};
const PageLayout DestinationPage{
    {"Label3", "Label1", "Esource", "Label4", "Edestination", "BrowseBtn2", "Label7"},
    {"Label2", "BrowseBtn", "GroupBox1"},
    {"Bprin", "Bmeta", "Edestination"},
    {"Esource"},
    {{"Label3", "Wizard2"}, {"Label4", "wlabel4"}, {"BrowseBtn2", "wlabel7"}},
    "Edestination"};
const PageLayout IntervalPage{
    {"GroupBox1", "Label5", "Edit1", "Label3", "Label1", "Esource", "Label4", "Edestination", "BrowseBtn2"},
    {"Ename", "Label2", "BrowseBtn"},
    {"Bprin", "Bmeta"},
    {"Esource"},
    {{"GroupBox1", "Wizard3"}, {"Bmeta", "Wizard4"}, {"Label5", "wlabel1"}, {"Label3", "Wizard2"}},
    "Edit1"};
const PageLayout NamePage{
    {"GroupBox1", "Ename", "Label3", "Label1", "Esource", "Label4", "Edestination", "BrowseBtn2"},
    {"Label5", "Edit1", "Label2", "BrowseBtn"},
    {"Bprin", "Bmeta"},
    {"Esource"},
    {{"GroupBox1", "Wizard5"}, {"Bmeta", "Wizard6"}},
    "Ename"};

class WizardPages : public WizardTestBase {
protected:
    void SetUp() override
    {
        WizardTestBase::SetUp();
        text = KeyNamedTexts();
    }
};

} // namespace

TEST_F(WizardPages, CreationSetsEveryCaptionFromItsKeyAndShowsTheWelcomePage)
{
    TWizard wizard({text, result});
    EXPECT_EQ(wizard.WizardPage, 0);
    EXPECT_EQ(wizard.windowTitle(), QStringLiteral("Οδηγός"));
    const std::map<std::string, QString> captions{
        {"Bprin", "Wbpring"},   {"Bmeta", "Wmnext"},   {"dxButton3", "wbcancel"}, {"GroupBox1", "wgroup"},
        {"Label5", "wlabel1"},  {"Label3", "wlabel2"}, {"Label1", "wlabel3"},     {"Label4", "wlabel4"},
        {"Label2", "wlabel5"},  {"Label6", "wlabel5A"}, {"Label7", "wlabel5B"},   {"BrowseBtn", "wlabel6"},
        {"BrowseBtn2", "wlabel7"}, {"Edit1", "180"},   {"Ename", "NewProfile1"},  {"Esource", ""},
        {"Edestination", ""}};
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(CaptionOf(wizard.findChild<QWidget*>(QString::fromStdString(name))), caption) << name;
    ExpectPage(wizard, WelcomePage, "at creation");
    wizard.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard));
    EXPECT_EQ(wizard.focusWidget(), wizard.Bmeta);
}

TEST_F(WizardPages, WalkingForwardAndBackLaysOutEachPageAsItsTableSays)
{
    TWizard wizard({text, result});
    wizard.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard));
    wizard.Esource->setText(QStringLiteral("/data"));
    wizard.Edestination->setText(QStringLiteral("/backup"));

    const PageLayout* pages[] = {&WelcomePage, &SourcePage, &DestinationPage, &IntervalPage, &NamePage};
    for (int page = 1; page <= 4; ++page) {
        Click(wizard.Bmeta);
        EXPECT_EQ(wizard.WizardPage, page);
        ExpectPage(wizard, *pages[page], "forward to page " + std::to_string(page));
    }
    for (int page = 3; page >= 0; --page) {
        Click(wizard.Bprin);
        EXPECT_EQ(wizard.WizardPage, page);
        ExpectPage(wizard, *pages[page], "back to page " + std::to_string(page));
    }
    // Going back never clears what was typed.
    EXPECT_EQ(wizard.Esource->text(), QStringLiteral("/data"));
    EXPECT_EQ(wizard.Edestination->text(), QStringLiteral("/backup"));
    EXPECT_TRUE(wizard.isVisible());
}

TEST_F(WizardPages, BackFromTheIntervalPageKeepsItsNextCaption)
{
    TWizard wizard({text, result});
    wizard.Esource->setText(QStringLiteral(" "));
    wizard.Edestination->setText(QStringLiteral(" "));
    for (int i = 0; i < 3; ++i)
        wizard.BmetaClick();
    ASSERT_EQ(wizard.WizardPage, 3);
    wizard.BprinClick();
    EXPECT_EQ(wizard.WizardPage, 2);
    EXPECT_EQ(wizard.Bmeta->text(), QStringLiteral("Wizard4"));
    wizard.BprinClick();
    wizard.BprinClick();
    EXPECT_EQ(wizard.WizardPage, 0);
    EXPECT_EQ(wizard.Bmeta->text(), QStringLiteral("Wizard4"));
    // From the name page back to the interval page the caption turns back to Wizard4.
    for (int i = 0; i < 4; ++i)
        wizard.BmetaClick();
    ASSERT_EQ(wizard.Bmeta->text(), QStringLiteral("Wizard6"));
    wizard.BprinClick();
    EXPECT_EQ(wizard.Bmeta->text(), QStringLiteral("Wizard4"));
}

TEST_F(WizardPages, TypingIntoTheEditAPageFocusesReplacesItsText)
{
    TWizard wizard({text, result});
    wizard.Esource->setText(QStringLiteral("/old/source"));
    wizard.Edestination->setText(QStringLiteral("/old/destination"));
    wizard.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard));
    const std::pair<QLineEdit*, QString> pages[] = {{wizard.Esource, QStringLiteral("/data")},
                                                    {wizard.Edestination, QStringLiteral("/backup")},
                                                    {wizard.Edit1, QStringLiteral("60")},
                                                    {wizard.Ename, QStringLiteral("Docs")}};
    for (const auto& [edit, typed] : pages) {
        Click(wizard.Bmeta);
        EXPECT_EQ(wizard.focusWidget(), edit);
        QTest::keyClicks(edit, typed);
        EXPECT_EQ(edit->text(), typed) << "typing replaces the text, not adds to it";
    }
}

TEST_F(WizardPages, ShowPageOutsideZeroToFourChangesNothing)
{
    TWizard wizard({text, result});
    wizard.Esource->setText(QStringLiteral("/a"));
    wizard.BmetaClick(); // page 1, so the state differs from every other page
    const auto before = Snapshot(wizard);
    for (int page : {-1, 5, 100, INT32_MIN})
        wizard.ShowPage(page);
    EXPECT_EQ(Snapshot(wizard), before);
    EXPECT_EQ(wizard.WizardPage, 1);
}

TEST_F(WizardPages, NextOnTheSourcePageNeedsANonEmptySource)
{
    TWizard wizard({text, result});
    wizard.BmetaClick();
    ASSERT_EQ(wizard.WizardPage, 1);

    MessageBoxes::SetNextAnswer(QMessageBox::Ok);
    wizard.BmetaClick();
    EXPECT_EQ(wizard.WizardPage, 1);
    ExpectPage(wizard, SourcePage, "empty source");
    ASSERT_EQ(MessageBoxes::History().size(), 1u);
    EXPECT_EQ(MessageBoxes::History()[0].text, "Wizard7");
    EXPECT_EQ(MessageBoxes::History()[0].buttons, QMessageBox::Ok);

    // Only emptiness is tested: one blank is a source.
    wizard.Esource->setText(QStringLiteral(" "));
    wizard.BmetaClick();
    EXPECT_EQ(wizard.WizardPage, 2);
    ExpectPage(wizard, DestinationPage, "blank source");
    EXPECT_EQ(MessageBoxes::History().size(), 1u);
}

TEST_F(WizardPages, NextOnTheDestinationPageNeedsANonEmptyDestination)
{
    TWizard wizard({text, result});
    wizard.Esource->setText(QStringLiteral("/data"));
    wizard.BmetaClick();
    wizard.BmetaClick();
    ASSERT_EQ(wizard.WizardPage, 2);

    MessageBoxes::SetNextAnswer(QMessageBox::Ok);
    wizard.BmetaClick();
    EXPECT_EQ(wizard.WizardPage, 2);
    ExpectPage(wizard, DestinationPage, "empty destination");
    ASSERT_EQ(MessageBoxes::History().size(), 1u);
    EXPECT_EQ(MessageBoxes::History()[0].text, "Wizard8");

    // A ";" typed into the folder would split the profile's line: refused by name, kept as typed.
    text[UiKey::Mfoldersemicolon] = "Mfoldersemicolon %s";
    MessageBoxes::SetNextAnswer(QMessageBox::Ok);
    TypeInto(wizard.Edestination, QStringLiteral("~/x;y"));
    wizard.BmetaClick();
    EXPECT_EQ(std::make_pair(wizard.WizardPage, MessageBoxes::History().back().text),
              std::make_pair(2, std::string("Mfoldersemicolon ~/x;y")));

    wizard.Edestination->setText(QStringLiteral("/backup"));
    wizard.BmetaClick();
    EXPECT_EQ(wizard.WizardPage, 3);
    ExpectPage(wizard, IntervalPage, "destination given");
}

TEST_F(WizardPages, EveryControlSitsAtItsDesignBoundsInTabOrder)
{
    TWizard wizard({text, result});
    EXPECT_EQ(wizard.size(), QSize(437, 280));
    EXPECT_EQ(wizard.minimumSize(), wizard.maximumSize());
    EXPECT_EQ(wizard.pos(), QPoint(176, 144));
    const Qt::WindowFlags flags = wizard.windowFlags();
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_FALSE(flags & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowContextHelpButtonHint));

    const std::map<std::string, QRect> bounds{
        {"Image2", {0, 0, 121, 273}},         {"Bevel1", {128, 246, 300, 1}},       {"Esource", {144, 80, 169, 21}},
        {"BrowseBtn", {320, 79, 89, 20}},     {"Edestination", {144, 176, 169, 21}}, {"BrowseBtn2", {320, 175, 89, 20}},
        {"GroupBox1", {136, 24, 281, 193}},   {"Edit1", {72, 37, 41, 21}},          {"Ename", {32, 64, 185, 21}}};
    for (const auto& [name, rect] : bounds)
        EXPECT_EQ(wizard.findChild<QWidget*>(QString::fromStdString(name))->geometry(), rect) << name;
    const std::map<std::string, QPoint> positions{
        {"Label3", {144, 24}}, {"Label1", {144, 56}}, {"Label2", {160, 64}}, {"Label6", {160, 88}},
        {"Label7", {160, 200}}, {"Label4", {144, 152}}, {"Label5", {40, 40}}, {"Bprin", {160, 250}},
        {"Bmeta", {248, 250}}, {"dxButton3", {344, 250}}};
    for (const auto& [name, point] : positions)
        EXPECT_EQ(wizard.findChild<QWidget*>(QString::fromStdString(name))->pos(), point) << name;
    for (QPushButton* button : {wizard.Bprin, wizard.Bmeta, wizard.dxButton3}) {
        EXPECT_EQ(button->width(), 81);
        EXPECT_FALSE(button->autoDefault());
        EXPECT_FALSE(button->isDefault());
    }
    for (QPushButton* button : {wizard.BrowseBtn, wizard.BrowseBtn2}) {
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_FALSE(button->autoDefault());
    }
    EXPECT_EQ(wizard.Image2->pixmap().size(), QSize(119, 271));
    EXPECT_EQ(wizard.Label5->parentWidget(), wizard.GroupBox1);
    EXPECT_EQ(wizard.Edit1->parentWidget(), wizard.GroupBox1);
    EXPECT_EQ(wizard.Ename->parentWidget(), wizard.GroupBox1);
    // A label sizes itself to its text.
    EXPECT_EQ(wizard.Label2->size(), wizard.Label2->sizeHint());

    std::vector<std::string> tabOrder;
    QWidget* widget = wizard.Bmeta;
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            tabOrder.push_back(widget->objectName().toStdString());
        widget = widget->nextInFocusChain();
    } while (widget != wizard.Bmeta && tabOrder.size() < 50);
    EXPECT_EQ(tabOrder, (std::vector<std::string>{"Bmeta", "Bprin", "dxButton3", "Esource", "Edestination",
                                                  "BrowseBtn", "BrowseBtn2", "Edit1", "Ename"}));
}

TEST_F(WizardPages, ThePeriodGroupCoversTheControlsBeneathIt)
{
    TWizard wizard({text, result});
    wizard.Esource->setText(QStringLiteral("/a"));
    wizard.Edestination->setText(QStringLiteral("/b"));
    wizard.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard));
    for (int i = 0; i < 3; ++i)
        Click(wizard.Bmeta);
    ASSERT_EQ(wizard.WizardPage, 3);
    EXPECT_TRUE(wizard.GroupBox1->autoFillBackground());
    // The point where Label7 lies now belongs to the group box, and so does the source edit's.
    for (QWidget* beneath : {static_cast<QWidget*>(wizard.Label7), static_cast<QWidget*>(wizard.Esource)}) {
        QWidget* top = wizard.childAt(beneath->geometry().center());
        EXPECT_TRUE(top == wizard.GroupBox1 || wizard.GroupBox1->isAncestorOf(top))
            << beneath->objectName().toStdString();
    }
    // Edit1 sits in the gap of Label5's blanks.
    EXPECT_EQ(wizard.GroupBox1->childAt(wizard.Edit1->geometry().center()), wizard.Edit1);
}

TEST(WizardBuiltInTexts, LabelsShowADoubledAmpersandAsOne)
{
    const UiText text = UiText::BuiltIn();
    WizardResult result;
    TWizard wizard({text, result});
    EXPECT_EQ(wizard.Label6->text(), QStringLiteral("& ρύθμισης "));
    EXPECT_EQ(wizard.Label2->text(), QStringLiteral("Καλώς ήρθατε στον διάλογο προσθήκης "));
    EXPECT_EQ(wizard.Label5->text(), QStringLiteral("Κάθε                 λεπτά"));
    EXPECT_EQ(wizard.Bmeta->text(), QStringLiteral("Επόμενο >"));
    EXPECT_EQ(wizard.Bprin->text(), QStringLiteral("< Προηγούμενο"));
}
