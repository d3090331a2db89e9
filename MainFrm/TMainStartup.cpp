// Start-up and languages: the language menu filled from the language files found, and the
// captions of every control in the language chosen.
#include "MainFrm/TMain.h"
#include "widgets/WidgetText.h"

#include "localisation/Language.h"
#include "platform/ExeFolder.h"
#include "platform/Listing.h"

#include <QAction>
#include <QToolButton>

#include <utility>

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
        relabel(UiText);
    });
    // The profiles load even when the settings or language file could not be written (a file the
    // user protected, a full disk): a caption left untranslated must not stop every backup.
    guarded([this] { loadProfilesAtStartUp(); });
}

void TMain::ApplyLanguage(const std::string& name)
{
    LoadLanguage(name, UiText);
    relabel(UiText);
}

void TMain::relabel(const ::UiText& text)
{
    // Every control that shows an interface text, with the key of its text. Actions and tool buttons
    // alike carry their caption as the "text" property.
    const std::pair<QObject*, UiKey> captions[] = {
        {ToolButton8, UiKey::Bcreate}, {ToolButton9, UiKey::bdelete},     {ToolButton10, UiKey::Bconfig},
        {ToolButton12, UiKey::BRun},   {N2, UiKey::Mfile},                {N10, UiKey::MView},
        {N9, UiKey::MInfo},            {mnuInfo, UiKey::MInfo},           {N3, UiKey::BnewProfile},
        {N5, UiKey::Bcopynow},         {N6, UiKey::bdelete},              {N11, UiKey::Bconfig},
        {N8, UiKey::Bexit},            {mnuQuit, UiKey::Bexit},           {LargeIcons1, UiKey::Vlarge},
        {SmallIcons1, UiKey::Vsmall},  {List1, UiKey::Vlist},             {Details1, UiKey::Vdetails},
        {N13, UiKey::VlogFile},        {N16, UiKey::VlogFile},            {N14, UiKey::VdelLogfile},
        {N15, UiKey::Mlang},
    };
    for (const auto& [control, key] : captions)
        control->setProperty("text", WidgetText(text[key]));
    // A language chosen during a run: the button stays the Stop button it is, in the new language.
    if (m_runButtonImage == StopImage)
        ToolButton12->setText(WidgetText(text[UiKey::Mstop]));
}

void TMain::LanguageItemClick(int index)
{
    const QByteArray caption = LanguageItems[static_cast<size_t>(index)]->data().toByteArray();
    ApplyLanguage(std::string(caption.constData(), static_cast<size_t>(caption.size())));
}
