#pragma once

#include "widgets/FormBuilding.h"

#include "localisation/UiText.h"

#include <QDialog>
#include <QSize>

#include <deque>
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
// root. OK keeps the selected folder as the chosen one and closes with Accepted; Cancel closes
// with Rejected. Whoever opened the picker reads ChosenFolder when it has finished.
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
    // The folder that OK chose; empty before OK.
    const std::string& ChosenFolder() const { return m_chosen; }

    // Shows the picker modal to its parent's window and returns at once, unless a test queued
    // an answer for it: then it finishes with that answer without showing anything, an OK
    // answer choosing its folder exactly as the OK button does.
    void Open();

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
    friend struct TestSeams;
    // Answers queued by tests alone: a folder for OK, nothing for Cancel.
    static std::deque<std::optional<std::string>> s_rehearsedAnswers;

    void CreateWindow();
    void FitOuterSize();
    void CreateFolderTree();
    void CreateButtons();

    const UiText& m_text;
    FolderTreeModel* m_folders = nullptr;
    std::optional<QSize> m_fittedSize; // the size FitOuterSize gave last
    bool m_sizedByUser = false;
    std::string m_chosen;
};
