#include "localisation/UiText.h"

#include <stdexcept>

namespace {

constexpr std::array<UiKeyInfo, UiTextCount> Keys = {{
    {UiKey::Error1, "Error1", "File cannot be copied onto itself"},
    {UiKey::MErrorCopy, "MErrorCopy", "Πρόβλημα αντιγραφής αρχείου"},
    {UiKey::MErrorsto, "MErrorsto", "στο"},
    {UiKey::Mrun, "Mrun", "Εκτέλεση"},
    {UiKey::Mprofile, "Mprofile", " Προφίλ(ς)"},
    {UiKey::Mprofileexist, "Mprofileexist", "Υπάρχει ήδη το προφίλ"},
    {UiKey::MNochoice, "MNochoice", "Δεν έχετε επιλέξει τίποτα"},
    {UiKey::MconfigDel, "MconfigDel", "Είστε σίγουρος ότι θέλετε να διαγράψετε το"},
    {UiKey::Mstop, "Mstop", "Διακοπή"},
    {UiKey::MconfirmDel, "MconfirmDel", "Θέλετε να συνεχίσετε με το άδειασμα του αρχείου καταγραφής;"},
    {UiKey::Bcreate, "Bcreate", "Δημιουργία"},
    {UiKey::bdelete, "bdelete", "Διαγραφή"},
    {UiKey::Bconfig, "Bconfig", "Ρυθμίσεις"},
    {UiKey::BRun, "BRun", "Εκτέλεση"},
    {UiKey::Mfile, "Mfile", "Αρχείο"},
    {UiKey::MView, "MView", "Προβολή"},
    {UiKey::MInfo, "MInfo", "Πληροφορίες ..."},
    {UiKey::BnewProfile, "BnewProfile", "Νέο Προφίλ"},
    {UiKey::Bcopynow, "Bcopynow", "Αντιγραφή τώρα"},
    {UiKey::Bexit, "Bexit", "Έξοδος"},
    {UiKey::Vlarge, "Vlarge", "Μεγάλα εικονίδια"},
    {UiKey::Vsmall, "Vsmall", "Μικρά εικονίδια"},
    {UiKey::Vlist, "Vlist", "Λίστα"},
    {UiKey::Vdetails, "Vdetails", "Λεπτομέρειες"},
    {UiKey::VlogFile, "VlogFile", "Αρχείο Καταγραφής λαθών"},
    {UiKey::VdelLogfile, "VdelLogfile", "Καθαρ.Αρχείου λαθών"},
    {UiKey::LFolderSelect, "LFolderSelect", "Παρακαλώ επιλέξτε φάκελο"},
    {UiKey::Wizard1, "Wizard1", "Τί θέλεις να αντιγράψεις ?"},
    {UiKey::Wizard2, "Wizard2", "Σε ποιό προορισμό ?"},
    {UiKey::Wizard3, "Wizard3", "Περιοδικότητα"},
    {UiKey::Wizard4, "Wizard4", "Επόμενο >"},
    {UiKey::Wizard5, "Wizard5", "Όνομα προφίλ"},
    {UiKey::Wizard6, "Wizard6", "Τέλος"},
    {UiKey::Wizard7, "Wizard7", "Πρέπει να συμπληρώσετε το φάκελο πηγής"},
    {UiKey::Wizard8, "Wizard8", "Πρέπει να συμπληρώσετε το φάκελο προορισμού"},
    {UiKey::Wbpring, "Wbpring", "< Προηγούμενο"},
    {UiKey::Wmnext, "Wmnext", "Επόμενο >"},
    {UiKey::wbcancel, "wbcancel", "Άκυρο"},
    {UiKey::wgroup, "wgroup", "Περιοδικότητα"},
    {UiKey::wlabel1, "wlabel1", "Κάθε                 λεπτά"},
    {UiKey::wlabel2, "wlabel2", "Τί θέλεις να αντιγράψεις ?"},
    {UiKey::wlabel3, "wlabel3", "Αρχείο πηγής:"},
    {UiKey::wlabel4, "wlabel4", "Αρχείο προορισμού:"},
    {UiKey::wlabel5, "wlabel5", "Καλώς ήρθατε στον διάλογο προσθήκης "},
    {UiKey::wlabel5A, "wlabel5A", "&& ρύθμισης "},
    {UiKey::wlabel5B, "wlabel5B", "Πιέστε επόμενο για συνέχεια "},
    {UiKey::wlabel6, "wlabel6", "Αναζήτηση"},
    {UiKey::wlabel7, "wlabel7", "Αναζήτηση"},
    {UiKey::Mlang, "Mlang", "Επιλογή γλώσσας"},
}};

constexpr std::array<UiKeyInfo, UiTextAddedCount> AddedKeys = {{
    {UiKey::Mprofilelimit, "Mprofilelimit",
     "Δεν μπορεί να προστεθεί νέο προφίλ: το αρχείο Items.txt έχει ήδη %s προφίλ και το πρόγραμμα "
     "κρατά έως 100. Διαγράψτε προφίλ ώστε να μείνουν λιγότερα από 100."},
    {UiKey::Mfoldersemicolon, "Mfoldersemicolon",
     "Ο φάκελος %s δεν μπορεί να χρησιμοποιηθεί: ένα προφίλ δεν μπορεί να κρατήσει φάκελο που η "
     "διαδρομή του περιέχει \";\" ή αλλαγή γραμμής"},
    {UiKey::NfailedTitle, "NfailedTitle", "Το αντίγραφο ασφαλείας %s απέτυχε"},
    {UiKey::NfilesNotCopied, "NfilesNotCopied", "Αρχεία που δεν αντιγράφηκαν: %s"},
    {UiKey::NsourceNotRead, "NsourceNotRead", "Φάκελοι της πηγής που δεν διαβάζονται: %s"},
    {UiKey::NdestinationMissing, "NdestinationMissing", "Ο φάκελος προορισμού δεν υπάρχει"},
    {UiKey::NrunAborted, "NrunAborted", "Η αντιγραφή σταμάτησε πριν τελειώσει"},
    {UiKey::NseeLog, "NseeLog", "Λεπτομέρειες στο αρχείο καταγραφής λαθών"},
}};

} // namespace

const std::array<UiKeyInfo, UiTextCount>& UiKeysInReadOrder()
{
    return Keys;
}

const std::array<UiKeyInfo, UiTextAddedCount>& AddedUiKeys()
{
    return AddedKeys;
}

const UiKeyInfo& InfoOf(UiKey key)
{
    for (const auto& info : Keys)
        if (info.key == key)
            return info;
    for (const auto& info : AddedKeys)
        if (info.key == key)
            return info;
    throw std::logic_error("unknown interface-text key");
}

UiText UiText::BuiltIn()
{
    UiText text;
    for (const auto& info : Keys)
        text[info.key] = info.builtIn;
    for (const auto& info : AddedKeys)
        text[info.key] = info.builtIn;
    return text;
}
