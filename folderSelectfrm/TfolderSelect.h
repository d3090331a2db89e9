#pragma once

#include "widgets/FormBuilding.h"

#include "localisation/UiText.h"

#include <QDialog>
#include <QSize>

#include <optional>
#include <string>

class FolderTreeModel;
class QKeyEvent;
class QMoveEvent;
class QShowEvent;
class QLabel;
class QPushButton;
class QTreeView;

// The folder picker: a folder tree with the user's home folder on top, then the file system's
// root. OK writes the chosen folder into SelectedFolder of the open wizard and closes with
// Accepted; Cancel closes with Rejected.
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

    // The picker's size with its window frame, as the window system draws it.
    static constexpr QSize OuterSize {297, 355};

    QLabel* Label1 = nullptr;
    QTreeView* ShellTreeView1 = nullptr;
    QPushButton* Bmeta = nullptr;
    QPushButton* dxButton3 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void CreateWindow();
    void FitOuterSize();
    void CreateFolderTree();
    void CreateButtons();
    void HandInFolder(const std::string& folder);

    const UiText& m_text;
    FolderTreeModel* m_folders = nullptr;
    std::optional<QSize> m_fittedSize; // the size FitOuterSize gave last
    bool m_sizedByUser = false;
};
