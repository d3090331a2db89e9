// Start-up, languages and the profile list of the main window.
#include "MainFrm/TMain.h"
#include "widgets/WidgetText.h"

#include "localisation/Language.h"
#include "platform/ExeFolder.h"
#include "platform/Listing.h"
#include "profiles/Profiles.h"
#include "wizardfrm/ProfileCommands.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>

namespace {

constexpr int ImageRole = Qt::UserRole + 1;
// The profile's name as bytes, and the caption shown for it: names need not be valid UTF-8, and a
// caption edited in place is told from the one the list was given by comparing the two.
constexpr int NameBytesRole = Qt::UserRole + 2;
constexpr int ShownCaptionRole = Qt::UserRole + 3;
// A longer name is shown cut short: laying out megabytes of caption would freeze the window.
constexpr qsizetype LongestCaptionShown = 256;

QString CaptionFor(const std::string& name)
{
    QString caption = WidgetText(name);
    if (caption.size() > LongestCaptionShown)
        caption = caption.left(LongestCaptionShown) + QStringLiteral("…");
    return caption;
}

} // namespace

void TMain::FormCreate()
{
    guarded([this] {
        LanguageFileCount = 0;
        for (const std::string& name : platform::FindFilesBySuffix(platform::ExeFolder(), ".lang")) {
            if (LanguageFileCount == 100)
                break;
            LanguageFiles[static_cast<size_t>(++LanguageFileCount)] = name;
            PumpMessages();
        }
        for (int i = 1; i <= LanguageFileCount && i <= 8; ++i) {
            const std::string& name = LanguageFiles[static_cast<size_t>(i)];
            QAction* item = LanguageItems[static_cast<size_t>(i - 1)];
            const std::string caption = name.substr(0, name.size() - 5);
            item->setVisible(true);
            item->setText(WidgetText(caption));
            // File names are bytes; the caption's bytes choose the file even where they are not UTF-8.
            item->setData(QByteArray(caption.data(), static_cast<qsizetype>(caption.size())));
        }
        LanguageName = ReadAndKeepLanguageName();
        ApplyLanguage(LanguageName);
        reloadProfiles();
    });
}

void TMain::ApplyLanguage(const std::string& name)
{
    LoadLanguage(name, UiText);
    relabel();
}

void TMain::relabel()
{
    const auto set = [this](auto* control, UiKey key) { control->setText(WidgetText(UiText[key])); };
    set(ToolButton8, UiKey::Bcreate);
    set(ToolButton9, UiKey::bdelete);
    set(ToolButton10, UiKey::Bconfig);
    set(ToolButton12, UiKey::BRun);
    set(N2, UiKey::Mfile);
    set(N10, UiKey::MView);
    set(N9, UiKey::MInfo);
    set(mnuInfo, UiKey::MInfo);
    set(N3, UiKey::BnewProfile);
    set(N5, UiKey::Bcopynow);
    set(N6, UiKey::bdelete);
    set(N11, UiKey::Bconfig);
    set(N8, UiKey::Bexit);
    set(mnuQuit, UiKey::Bexit);
    set(LargeIcons1, UiKey::Vlarge);
    set(SmallIcons1, UiKey::Vsmall);
    set(List1, UiKey::Vlist);
    set(Details1, UiKey::Vdetails);
    set(N13, UiKey::VlogFile);
    set(N16, UiKey::VlogFile);
    set(N14, UiKey::VdelLogfile);
    set(N15, UiKey::Mlang);
}

void TMain::LanguageItemClick(int index)
{
    const QByteArray caption = LanguageItems[static_cast<size_t>(index)]->data().toByteArray();
    ApplyLanguage(std::string(caption.constData(), static_cast<size_t>(caption.size())));
}

void TMain::reloadProfiles()
{
    LoadProfiles(ProfileTable, ProfileCount, *this, UiText);
}

void TMain::ToolButton9Click(QObject*)
{
    DeleteSelectedProfile(ProfileTable, ProfileCount, *this, UiText, m_dialogs);
}

void TMain::ToolButton8Click(QObject*)
{
    NewProfileCommand({this, UiText, WizardResult, ProfileTable, ProfileCount, *this, m_dialogs});
}

void TMain::ToolButton10Click(QObject*)
{
    EditProfileCommand({this, UiText, WizardResult, ProfileTable, ProfileCount, *this, m_dialogs});
}

// --- View styles ------------------------------------------------------------------------------

namespace {

void CheckOnly(QAction* chosen, std::initializer_list<QAction*> all)
{
    for (QAction* item : all)
        item->setChecked(item == chosen);
}

} // namespace

void TMain::LargeIcons1Click(QObject*)
{
    ListView1->setViewMode(QListView::IconMode);
    ListView1->setIconSize(QSize(32, 32));
    ListView1->setFlow(QListView::LeftToRight);
    ListView1->setWrapping(true);
    CheckOnly(LargeIcons1, {LargeIcons1, SmallIcons1, List1, Details1});
}

// The other styles have no picture list to draw from, so they show captions only.
void TMain::SmallIcons1Click(QObject*)
{
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setIconSize(QSize(0, 0));
    ListView1->setFlow(QListView::LeftToRight);
    ListView1->setWrapping(true);
    CheckOnly(SmallIcons1, {LargeIcons1, SmallIcons1, List1, Details1});
}

void TMain::List1Click(QObject*)
{
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setIconSize(QSize(0, 0));
    ListView1->setFlow(QListView::TopToBottom);
    ListView1->setWrapping(true);
    CheckOnly(List1, {LargeIcons1, SmallIcons1, List1, Details1});
}

void TMain::Details1Click(QObject*)
{
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setIconSize(QSize(0, 0));
    ListView1->setFlow(QListView::TopToBottom);
    ListView1->setWrapping(false);
    CheckOnly(Details1, {LargeIcons1, SmallIcons1, List1, Details1});
}

// --- ProfileListView --------------------------------------------------------------------------

// Every reload of the table starts here, so this is where a scheduler tick learns that the
// table it walks has been replaced; even a reload that fails later has thrown the old one away.
void TMain::ClearItems()
{
    ++m_profileGeneration;
    ListView1->clear();
}

void TMain::AddItem(const std::string& caption, int image)
{
    auto* item = new QListWidgetItem(CaptionFor(caption), ListView1);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    item->setData(NameBytesRole, QByteArray(caption.data(), static_cast<qsizetype>(caption.size())));
    item->setData(ShownCaptionRole, item->text());
    setItemImage(ListView1->count() - 1, image);
}

void TMain::SetCountText(const std::string& text)
{
    SetPanelText(0, text);
    flushPanels();
}

std::optional<std::string> TMain::SelectedCaption() const
{
    const auto selected = ListView1->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    const QListWidgetItem* item = selected.front();
    if (item->text() == item->data(ShownCaptionRole).toString()) {
        const QByteArray name = item->data(NameBytesRole).toByteArray();
        return std::string(name.constData(), static_cast<size_t>(name.size()));
    }
    return SystemText(item->text());
}

void TMain::setItemImage(int row, int image)
{
    QListWidgetItem* item = ListView1->item(row);
    if (!item || image < 0 || image >= m_listPictures.size())
        return;
    item->setData(ImageRole, image);
    item->setIcon(m_listPictures[image]);
}

int TMain::ItemImage(int row) const
{
    const QListWidgetItem* item = ListView1->item(row);
    return item ? item->data(ImageRole).toInt() : -1;
}
