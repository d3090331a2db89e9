#pragma once

#include <array>
#include <string>

// The slots of the interface-text table, numbered as the table on the main window numbers them.
enum class UiKey : int {
    Error1 = 1, MErrorCopy, MErrorsto, Mrun, Mprofile, Mprofileexist, MNochoice, MconfigDel, Mstop,
    MconfirmDel, Bcreate, bdelete, Bconfig, BRun, Mfile, MView, MInfo, BnewProfile, Bcopynow, Bexit,
    Vlarge, Vsmall, Vlist, Vdetails, VlogFile, VdelLogfile, LFolderSelect, Wizard1, Wizard2, Wizard3,
    Wizard4, Wizard5, Wizard6, Wizard7, Wizard8, Wbpring, Wmnext, wbcancel, wgroup, wlabel1, wlabel2,
    wlabel3, wlabel4, wlabel5, wlabel6, wlabel7, wlabel5A, wlabel5B, Mlang,
    // Texts added since the language files were first laid out: read when a file has them, never
    // written back, so that the file a first start writes keeps the 48 keys it always had.
    Mprofilelimit, Mfoldersemicolon,
    NfailedTitle, NfilesNotCopied, NsourceNotRead, NdestinationMissing, NrunAborted, NseeLog,
};

constexpr int UiTextCount = 49;
constexpr int UiTextAddedCount = 8;

// One key of a language file: its name as the program reads it, its slot and its built-in text
// (UTF-8, the system encoding).
struct UiKeyInfo {
    UiKey key;
    const char* name;
    const char* builtIn;
};

// The 49 keys in the order in which the language is read.
const std::array<UiKeyInfo, UiTextCount>& UiKeysInReadOrder();

// The texts added since, each with its built-in text; read after the 49, never written.
const std::array<UiKeyInfo, UiTextAddedCount>& AddedUiKeys();

const UiKeyInfo& InfoOf(UiKey key);

// The interface texts, in the system encoding. Empty until a language is applied.
class UiText {
public:
    const std::string& operator[](UiKey key) const { return m_slots[static_cast<size_t>(key)]; }
    std::string& operator[](UiKey key) { return m_slots[static_cast<size_t>(key)]; }

    // All slots filled with the built-in texts.
    static UiText BuiltIn();

private:
    // Slot 0 unused: the table counts from 1.
    std::array<std::string, UiTextCount + UiTextAddedCount + 1> m_slots;
};
