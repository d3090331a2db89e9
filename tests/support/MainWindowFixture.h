#pragma once

#include "MainFrm/TMain.h"
#include "SystemSeams.h"
#include "TempFolder.h"
#include "TestSeams.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

// A main window created in a fresh exe folder, as at a program start.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SystemSeams::SetExeFolder(dir.path());
        TestSeams::ClearBoxHistory();
        TestSeams::SetUnattendedBoxes(true);
    }
    void TearDown() override
    {
        window.reset();
        TestSeams::ClearBoxHistory();
    }

    TMain& Start()
    {
        window = std::make_unique<TMain>();
        // The timers are driven by hand so that no run starts behind the test's back.
        window->Timer1->stop();
        window->Timer3->stop();
        window->FormCreate();
        return *window;
    }

    static std::string Text(const QLabel* label) { return label->text().toStdString(); }
    static std::string Text(const QAction* action) { return action->text().toStdString(); }
    static std::string Text(const QToolButton* button) { return button->text().toStdString(); }

    std::vector<std::string> ErrorBoxes() const
    {
        std::vector<std::string> texts;
        for (const auto& box : TestSeams::BoxHistory())
            if (box.icon == QMessageBox::Critical)
                texts.push_back(box.text);
        return texts;
    }

    TempFolder dir;
    std::unique_ptr<TMain> window;
};
