#include "MainFrm/About/AboutBox.h"
#include "MainFrm/About/AboutContactLink.h"
#include "MainFrm/About/AboutIconSquare.h"
#include "MainFrm/About/AboutSunkenLabel.h"
#include "platform/SystemInfo.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

constexpr int TextColumnLeft = 15 + 105 + 8;
constexpr int TextColumnRight = 440 - 6;

class AboutBoxLayout : public ::testing::Test {
protected:
    template <typename Widget = QWidget> Widget* Find(const char* name)
    {
        auto* widget = box.findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QLabel* Label(const char* name) { return Find<QLabel>(name); }

    static int Bottom(const QWidget* widget) { return widget->y() + widget->height(); }

    AboutBox box {[](const QUrl&) { return true; }};
};

bool IsTextColumnLine(const QWidget* line)
{
    return line->x() == TextColumnLeft && line->x() + line->width() == TextColumnRight;
}

} // namespace

TEST_F(AboutBoxLayout, HasItsFixedTitleWidthAndFrame)
{
    EXPECT_EQ(box.windowTitle(), "Info");
    EXPECT_EQ(box.width(), 440);
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_EQ(box.parent(), nullptr);
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(box.windowFlags() & Qt::WindowContextHelpButtonHint);
    EXPECT_TRUE(box.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(AboutBoxLayout, ShowsTheFixedTextsFromTopToBottom)
{
    EXPECT_EQ(Find<AboutSunkenLabel>("programName")->text(), "Dupliqa");
    EXPECT_EQ(Label("versionLine")->text(), "Version 1.0.0");
    EXPECT_EQ(Label("descriptionLine")->text(), "Dupliqa ver.1.0.0");
    EXPECT_EQ(Label("noticeLine")->text(), "Backs up your folders while it sits in the tray.");
    EXPECT_EQ(Find<AboutContactLink>("contactLink")->text(), "support@dupliqa.example");
    EXPECT_EQ(Label("systemCaptions")->text(), "Available Memory:\nPlatform, CPU:");
    EXPECT_EQ(Find<QPushButton>("okButton")->text(), "OK");

    const char* topToBottom[] = {"programName", "versionLine", "descriptionLine", "noticeLine", "contactLink",
                                 "separatorLine", "systemCaptions", "okButton"};
    for (size_t i = 1; i < std::size(topToBottom); ++i)
        EXPECT_GT(Find(topToBottom[i])->y(), Bottom(Find(topToBottom[i - 1]))) << topToBottom[i];
}

TEST_F(AboutBoxLayout, PlacesEachLineAtItsGapBelowThePreviousOne)
{
    QWidget* name = Find("programName");
    QWidget* iconSquare = Find("iconSquare");
    EXPECT_EQ(name->y(), 24);
    // The lines after the name start no higher than the bottom of the icon square.
    EXPECT_EQ(Find("versionLine")->y(), std::max(Bottom(name) + 10, Bottom(iconSquare)));
    EXPECT_EQ(Find("versionLine")->y(), 112);
    EXPECT_EQ(Find("descriptionLine")->y(), Bottom(Find("versionLine")) + 4);
    EXPECT_EQ(Find("noticeLine")->y(), Bottom(Find("descriptionLine")) + 24);
    EXPECT_EQ(Find("contactLink")->y(), Bottom(Find("noticeLine")) + 1);
    EXPECT_EQ(Find("separatorLine")->y(), Bottom(Find("contactLink")) + 6);
    EXPECT_EQ(Find("systemCaptions")->y(), Bottom(Find("separatorLine")) + 7);
    EXPECT_EQ(Find("systemValues")->y(), Find("systemCaptions")->y());
    const int systemBottom = std::max(Bottom(Find("systemCaptions")), Bottom(Find("systemValues")));
    auto* ok = Find<QPushButton>("okButton");
    EXPECT_EQ(ok->geometry(), QRect(440 - 6 - 75, systemBottom + 24, 75, 25));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(box.height(), Bottom(ok) + 6);
}

TEST_F(AboutBoxLayout, MakesEachLineAsHighAsItsText)
{
    for (const char* name : {"versionLine", "descriptionLine", "noticeLine", "contactLink"}) {
        QLabel* line = Label(name);
        EXPECT_EQ(line->height(), QFontMetrics(line->font()).height()) << name;
    }
    auto* programName = Find<AboutSunkenLabel>("programName");
    // The light edge of the sunken letters adds one pixel.
    EXPECT_EQ(programName->height(), QFontMetrics(programName->font()).height() + 1);
    QLabel* captions = Label("systemCaptions");
    const QRect twoLines = QFontMetrics(captions->font()).boundingRect(QRect(0, 0, 1000, 1000), 0, captions->text());
    EXPECT_EQ(captions->height(), twoLines.height());
    EXPECT_EQ(Find("separatorLine")->height(), 2);
}

TEST_F(AboutBoxLayout, PutsTheLinesInTheTextColumn)
{
    for (const char* name : {"programName", "versionLine", "descriptionLine", "noticeLine", "contactLink",
                             "separatorLine"})
        EXPECT_TRUE(IsTextColumnLine(Find(name))) << name << " at " << Find(name)->x() << ", " << Find(name)->width();
}

TEST_F(AboutBoxLayout, SetsTheSystemBlockInTwoColumnsOf150Pixels)
{
    QLabel* captions = Label("systemCaptions");
    QLabel* values = Label("systemValues");
    EXPECT_EQ(captions->x(), TextColumnLeft);
    EXPECT_EQ(captions->width(), 150);
    EXPECT_EQ(values->x(), TextColumnLeft + 150);
    EXPECT_GE(values->width(), 150);
    const std::string expected = platform::MemoryLine(platform::TotalPhysicalMemory()) + "\n"
        + platform::ProcessorLine(platform::ProcessorCount(), platform::ProcessorType());
    EXPECT_EQ(values->text().toStdString(), expected);
}

TEST_F(AboutBoxLayout, SetsTheFontsOfTheLines)
{
    const QFont name = Find("programName")->font();
    EXPECT_EQ(name.family(), "Arial");
    EXPECT_EQ(name.pointSize(), 10);
    EXPECT_TRUE(name.bold());
    EXPECT_EQ(box.font().family(), "MS Sans Serif");
    EXPECT_EQ(box.font().pointSize(), 8);
    EXPECT_TRUE(Label("versionLine")->font().bold());
    EXPECT_FALSE(Label("descriptionLine")->font().bold());
    EXPECT_FALSE(Label("noticeLine")->font().bold());
}

TEST_F(AboutBoxLayout, DrawsTheProgramNameSunken)
{
    auto* name = Find<AboutSunkenLabel>("programName");
    const QImage picture = name->grab().toImage();
    const QRgb dark = qRgb(96, 96, 96);
    const QRgb light = qRgb(255, 255, 255);
    int darkPixels = 0;
    int lightPixels = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            darkPixels += picture.pixel(x, y) == dark ? 1 : 0;
            lightPixels += picture.pixel(x, y) == light ? 1 : 0;
        }
    EXPECT_GT(darkPixels, 20);
    EXPECT_GT(lightPixels, 5);
}

TEST_F(AboutBoxLayout, FramesTheIconSquareWithAGreyShadow)
{
    auto* square = Find<AboutIconSquare>("iconSquare");
    EXPECT_EQ(square->geometry(), QRect(15, 7, 105, 105));
    const QImage picture = square->grab().toImage();
    ASSERT_EQ(picture.size(), QSize(105, 105));
    const QRgb face = box.palette().color(QPalette::Window).rgb();
    const QRgb black = qRgb(0, 0, 0);
    const QRgb grey = qRgb(128, 128, 128);
    auto at = [&](int x, int y) { return picture.pixel(x, y) | 0xff000000; };
    // The thin black frame: 99 pixels square, one pixel wide.
    EXPECT_EQ(at(0, 0), black);
    EXPECT_EQ(at(98, 0), black);
    EXPECT_EQ(at(0, 98), black);
    EXPECT_EQ(at(98, 98), black);
    EXPECT_EQ(at(1, 1), face);
    // The shadow: 6 pixels along the right and the bottom, starting 6 pixels in.
    EXPECT_EQ(at(99, 6), grey);
    EXPECT_EQ(at(104, 104), grey);
    EXPECT_EQ(at(6, 104), grey);
    EXPECT_EQ(at(104, 5), face);
    EXPECT_EQ(at(5, 104), face);
    // The icon, twice its usual 32 pixels, in the middle of the frame.
    EXPECT_NE(at(49, 60), face);
    EXPECT_EQ(at(17 + 65, 49), face);
}

TEST_F(AboutBoxLayout, ShowsTheContactAddressAsABlueUnderlinedLink)
{
    auto* link = Find<AboutContactLink>("contactLink");
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->palette().color(QPalette::Active, QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
}
