// The profile commands of the toolbar and the File menu, and the list that shows the profiles.
#include "MainFrm/TMain.h"
#include "widgets/WidgetText.h"

#include "engine/ErrorLog.h"
#include "profiles/Profiles.h"
#include "wizardfrm/ProfileCommands.h"

#include <QListWidget>

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
    SetPanelText(CountPanel, text);
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
