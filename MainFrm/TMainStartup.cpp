// Start-up and languages: the language menu filled from the language files found, and the
// captions of every control in the language chosen.
#include "MainFrm/TMain.h"
#include "widgets/WidgetText.h"

#include "localisation/Language.h"
#include "platform/ExeFolder.h"
#include "platform/Listing.h"

#include <QAction>
#include <QToolButton>

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
        LoadStartLanguage(LanguageName, UiText);
        relabel();
    });
    // The profiles load even when the settings or language file could not be written (a file the
    // user protected, a full disk): a caption left untranslated must not stop every backup.
    guarded([this] { loadProfilesAtStartUp(); });
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
