#pragma once

#include "widgets/FormBuilding.h"

#include "localisation/UiText.h"

#include <QDialog>
#include <QFileIconProvider>

#include <string>

class QFileSystemModel;
class QKeyEvent;
class QLabel;
class QPushButton;
class QTreeView;

// The folder picker: a folder tree from the file system's root. OK writes the chosen folder into
// SelectedFolder of the open wizard and closes with Accepted; Cancel closes with Rejected.
class TfolderSelect : public DialogWithoutDefaultButtons {
    Q_OBJECT

public:
    explicit TfolderSelect(const UiText& text, QWidget* parent = nullptr);
    ~TfolderSelect() override;

    void FormCreate();
    void BmetaClick();
    void dxButton3Click();

    // The full path of the selected folder; empty when nothing is selected.
    std::string SelectedPath() const;

    // Shows the picker modally, unless a test queued an answer for it.
    int exec() override;

    // Test seam: the next exec() gives this answer at once without showing anything. An OK
    // answer writes its folder into the open wizard exactly as the OK button does.
    static void AnswerNextWithFolder(const std::string& folder);
    static void AnswerNextWithCancel();
    static void ClearAnswers();
    static int QueuedAnswerCount();

    QLabel* Label1 = nullptr;
    QTreeView* ShellTreeView1 = nullptr;
    QPushButton* Bmeta = nullptr;
    QPushButton* dxButton3 = nullptr;

private:
    void CreateWindow();
    void CreateFolderTree();
    void CreateButtons();
    void HandInFolder(const std::string& folder);

    const UiText& m_text;
    QFileIconProvider m_icons;
    QFileSystemModel* m_folders = nullptr;
};
