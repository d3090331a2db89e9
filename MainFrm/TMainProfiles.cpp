// The profile commands of the toolbar and the File menu, and the list that shows the profiles.
#include "MainFrm/TMain.h"
#include "widgets/WidgetText.h"

#include "engine/ErrorLog.h"
#include "profiles/Profiles.h"
#include "wizardfrm/ProfileCommands.h"

#include <QListWidget>

namespace {

constexpr int ImageRole = Qt::UserRole + 1;
// The profile's name as bytes: names need not be valid UTF-8, and the caption may be cut short.
constexpr int NameBytesRole = Qt::UserRole + 2;
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

void TMain::loadProfilesAtStartUp()
{
    // Lines past the table are kept but never run; the log says so once, without a box.
    if (const size_t unloaded = LoadProfiles(ProfileTable, ProfileCount, *this, UiText); unloaded > 0)
        AppendErrorLog(UnloadedLinesText(unloaded));
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

// --- ProfileListView --------------------------------------------------------------------------

void TMain::ClearItems()
{
    ListView1->clear();
}

void TMain::AddItem(const std::string& caption, int image)
{
    auto* item = new QListWidgetItem(CaptionFor(caption), ListView1);
    item->setData(NameBytesRole, QByteArray(caption.data(), static_cast<qsizetype>(caption.size())));
    setItemImage(ListView1->count() - 1, image);
}

void TMain::SetCountText(const std::string& text)
{
    SetPanelText(CountPanel, text);
    flushPanels();
}

std::optional<std::string> TMain::SelectedCaption() const
{
    const auto selected = ListView1->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    const QByteArray name = selected.front()->data(NameBytesRole).toByteArray();
    return std::string(name.constData(), static_cast<size_t>(name.size()));
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
