#include "MainFrm/About/AboutBox.h"
#include "MainFrm/About/AboutContactLink.h"

#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <vector>

namespace {

// Stands in for the desktop: records every URL it is asked to open and answers as told.
struct FakeDesktop {
    std::vector<QUrl> opened;
    bool succeeds = true;

    UrlOpener Opener()
    {
        return [this](const QUrl& url) {
            opened.push_back(url);
            return succeeds;
        };
    }
};

AboutContactLink* ContactLinkOf(AboutBox& box)
{
    return box.findChild<AboutContactLink*>(QStringLiteral("contactLink"));
}

void ClickOn(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

} // namespace

TEST(AboutBoxContactLink, AClickAsksTheDesktopToWriteAMail)
{
    FakeDesktop desktop;
    AboutBox box(desktop.Opener());
    box.show();
    ClickOn(ContactLinkOf(box));
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0].toString(), "mailto:support@dupliqa.example");
    EXPECT_TRUE(ContactLinkOf(box)->isEnabled());
    ClickOn(ContactLinkOf(box));
    EXPECT_EQ(desktop.opened.size(), 2u);
}

TEST(AboutBoxContactLink, IsDisabledSilentlyWhenTheDesktopCannotOpenIt)
{
    FakeDesktop desktop;
    desktop.succeeds = false;
    AboutBox box(desktop.Opener());
    box.show();
    ClickOn(ContactLinkOf(box));
    EXPECT_EQ(desktop.opened.size(), 1u);
    EXPECT_FALSE(ContactLinkOf(box)->isEnabled());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // Disabled for the rest of this dialog's life: further clicks reach nothing.
    ClickOn(ContactLinkOf(box));
    EXPECT_EQ(desktop.opened.size(), 1u);
}

TEST(AboutBoxContactLink, WorksAgainInTheNextDialog)
{
    FakeDesktop desktop;
    desktop.succeeds = false;
    {
        AboutBox first(desktop.Opener());
        first.show();
        ClickOn(ContactLinkOf(first));
        EXPECT_FALSE(ContactLinkOf(first)->isEnabled());
    }
    AboutBox second(desktop.Opener());
    EXPECT_TRUE(ContactLinkOf(second)->isEnabled());
}

