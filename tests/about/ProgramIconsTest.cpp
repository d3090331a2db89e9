#include "TempFolder.h"
#include "widgets/ProgramIcons.h"

#include <QColor>
#include <QSet>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

// resources/dupliqa.png in the source tree, found from this file's own path.
QString CommittedIconPath()
{
    const std::filesystem::path sourceTree = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    return QString::fromStdString((sourceTree / "resources" / "dupliqa.png").string());
}

constexpr int CommittedIconSize = 256;

const QSet<QRgb>& SixteenStandardColours()
{
    static const QSet<QRgb> colours {
        qRgb(0, 0, 0), qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0),
        qRgb(0, 0, 128), qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0),
        qRgb(0, 0, 255), qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
    };
    return colours;
}

bool IsGreenish(QRgb pixel)
{
    return qAlpha(pixel) == 255 && qGreen(pixel) > qRed(pixel) + 40 && qGreen(pixel) > qBlue(pixel) + 40;
}

bool IsBluish(QRgb pixel)
{
    return qAlpha(pixel) == 255 && qBlue(pixel) > qRed(pixel) + 40 && qBlue(pixel) > qGreen(pixel) + 40;
}

int CountPixels(const QImage& image, bool (*matches)(QRgb))
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += matches(image.pixel(x, y)) ? 1 : 0;
    return count;
}

} // namespace

TEST(MainIcon, IsABlueDisketteWithAGreenArrowOnATransparentGround)
{
    for (int size : {32, 64, 256}) {
        const QImage image = MainIconImage(size);
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size - 1, size - 1)), 0) << size;
        EXPECT_GT(CountPixels(image, IsGreenish), size * size / 20) << size;
        EXPECT_GT(CountPixels(image, IsBluish), size * size / 10) << size;
    }
}

TEST(TrayIcon, Is32PixelsSquareInTheSixteenStandardColours)
{
    const QImage image = TrayIconImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(32, 32));
    QSet<QRgb> used;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 0)
                continue;
            EXPECT_EQ(qAlpha(pixel), 255) << x << "," << y;
            EXPECT_TRUE(SixteenStandardColours().contains(pixel | 0xff000000)) << x << "," << y;
            used.insert(pixel);
        }
    EXPECT_GE(used.size(), 5);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_FALSE(TrayIcon().isNull());
}

TEST(TrayIcon, IsNotTheMainIcon)
{
    EXPECT_NE(TrayIconImage().convertToFormat(QImage::Format_ARGB32),
              MainIconImage(32).convertToFormat(QImage::Format_ARGB32));
}

TEST(WriteMainIconPng, WritesAPictureThatReadsBackAsTheDrawing)
{
    TempFolder dir;
    const QString path = QString::fromStdString(dir / "icon.png");
    ASSERT_TRUE(WriteMainIconPng(path, 48));
    const QImage read(path);
    ASSERT_EQ(read.size(), QSize(48, 48));
    EXPECT_EQ(read.convertToFormat(QImage::Format_ARGB32), MainIconImage(48).convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(ReadFileBytes(dir / "icon.png").substr(1, 3), "PNG");
}

TEST(WriteMainIconPng, ReportsAFileThatCannotBeWritten)
{
    TempFolder dir;
    EXPECT_FALSE(WriteMainIconPng(QString::fromStdString(dir / "missing/icon.png"), 32));
}

// The install script copies resources/dupliqa.png; it must show the icon the program draws.
// When the drawing changes, regenerate the file with
//   about_tests --gtest_also_run_disabled_tests --gtest_filter=CommittedIcon.DISABLED_Regenerate
TEST(CommittedIcon, IsTheMainIconAsDrawnNow)
{
    const QImage committed(CommittedIconPath());
    ASSERT_FALSE(committed.isNull()) << CommittedIconPath().toStdString();
    EXPECT_EQ(committed.convertToFormat(QImage::Format_ARGB32),
              MainIconImage(CommittedIconSize).convertToFormat(QImage::Format_ARGB32));
}

TEST(CommittedIcon, DISABLED_Regenerate)
{
    ASSERT_TRUE(WriteMainIconPng(CommittedIconPath(), CommittedIconSize)) << CommittedIconPath().toStdString();
}
