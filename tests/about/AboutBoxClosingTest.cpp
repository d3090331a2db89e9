#include "MainFrm/About/AboutBox.h"
#include "MainFrm/About/AboutPlacement.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs act on the about box once it is the active modal window. The opening effect lets timers
// run before the dialog is shown, so the check is repeated until the dialog is up.
void WhenAboutBoxIsOpen(const std::function<void(AboutBox&)>& act)
{
    QTimer::singleShot(0, [act] {
        if (auto* box = qobject_cast<AboutBox*>(QApplication::activeModalWidget()))
            act(*box);
        else
            WhenAboutBoxIsOpen(act);
    });
}

// A dialog that the test failed to close would keep the test waiting for ever.
void CloseAnyDialogLeftOpenLater()
{
    QTimer::singleShot(10000, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
}

int AboutBoxesAlive()
{
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        count += qobject_cast<AboutBox*>(window) ? 1 : 0;
    return count;
}

struct Opening {
    bool seen = false;
    QRect geometry;
    QSize size;
    bool visible = false;
};

int ShowAboutBoxAndThen(Opening& opening, const std::function<void(AboutBox&)>& close)
{
    WhenAboutBoxIsOpen([&opening, close](AboutBox& box) {
        opening.seen = true;
        opening.geometry = box.frameGeometry();
        opening.size = box.size();
        opening.visible = box.isVisible();
        close(box);
    });
    CloseAnyDialogLeftOpenLater();
    int result = -1;
    QObject::connect(ShowAboutBox(), &QDialog::finished, [&result](int finished) { result = finished; });
    EXPECT_FALSE(opening.seen) << "the box was handled before ShowAboutBox returned";
    // The box returns at once and waits while the event loop runs, until it is closed and gone.
    EXPECT_TRUE(QTest::qWaitFor([] { return AboutBoxesAlive() == 0; }, 20000));
    return result;
}

} // namespace

TEST(ShowAboutBox, EnterClosesIt)
{
    Opening opening;
    const int result = ShowAboutBoxAndThen(opening, [](AboutBox& box) { QTest::keyClick(&box, Qt::Key_Return); });
    EXPECT_TRUE(opening.seen);
    EXPECT_TRUE(opening.visible);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(AboutBoxesAlive(), 0);
}

TEST(ShowAboutBox, EscapeClosesIt)
{
    Opening opening;
    const int result = ShowAboutBoxAndThen(opening, [](AboutBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_TRUE(opening.seen);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(AboutBoxesAlive(), 0);
}

TEST(ShowAboutBox, AClickOnOkClosesIt)
{
    Opening opening;
    const int result = ShowAboutBoxAndThen(opening, [](AboutBox& box) {
        QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
    });
    EXPECT_TRUE(opening.seen);
    EXPECT_EQ(result, QDialog::Accepted);
}

TEST(ShowAboutBox, TheTitleBarsCloseButtonClosesIt)
{
    Opening opening;
    const int result = ShowAboutBoxAndThen(opening, [](AboutBox& box) { box.close(); });
    EXPECT_TRUE(opening.seen);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(AboutBoxesAlive(), 0);
}

TEST(ShowAboutBox, OpensCentredOnTheScreen)
{
    Opening opening;
    ShowAboutBoxAndThen(opening, [](AboutBox& box) { box.accept(); });
    ASSERT_TRUE(opening.seen);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // The frame's size is known only once the window is shown, so the window is centred by its own size.
    EXPECT_EQ(opening.geometry.topLeft(), CentredOnScreen(opening.size, screen));
    EXPECT_TRUE(screen.contains(opening.geometry));
}

TEST(CentredOnScreen, CentresAWindowThatFits)
{
    EXPECT_EQ(CentredOnScreen(QSize(440, 300), QRect(0, 0, 1920, 1080)), QPoint(740, 390));
    EXPECT_EQ(CentredOnScreen(QSize(441, 301), QRect(0, 0, 800, 600)), QPoint(179, 149));
    EXPECT_EQ(CentredOnScreen(QSize(440, 300), QRect(1920, 30, 1280, 994)), QPoint(1920 + 420, 30 + 347));
}

TEST(CentredOnScreen, NeverPutsAWindowLeftOfOrAboveTheScreen)
{
    EXPECT_EQ(CentredOnScreen(QSize(440, 300), QRect(0, 0, 400, 200)), QPoint(0, 0));
    EXPECT_EQ(CentredOnScreen(QSize(440, 300), QRect(0, 0, 440, 300)), QPoint(0, 0));
    EXPECT_EQ(CentredOnScreen(QSize(440, 300), QRect(100, 50, 400, 1000)), QPoint(100, 400));
}
