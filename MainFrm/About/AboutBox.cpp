#include "MainFrm/About/AboutBox.h"

#include "MainFrm/About/AboutContactLink.h"
#include "MainFrm/About/AboutIconSquare.h"
#include "MainFrm/About/AboutPlacement.h"
#include "MainFrm/About/AboutSunkenLabel.h"
#include "MainFrm/About/ExplodeEffect.h"
#include "platform/SystemInfo.h"
#include "widgets/ProgramIcons.h"
#include "widgets/TitleBarButtons.h"

#include <QCursor>
#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <algorithm>

namespace {

const QString ProgramName = QStringLiteral("Dupliqa");
const QString VersionText = QStringLiteral("Version 1.0.0");
const QString DescriptionText = QStringLiteral("Dupliqa ver.1.0.0");
const QString NoticeText = QStringLiteral("Backs up your folders while it sits in the tray.");
const QString ContactAddress = QStringLiteral("support@dupliqa.example");

constexpr QPoint IconSquareTopLeft(15, 7);
// The icon is drawn at twice the 32 pixels of its usual size.
constexpr int EnlargedIconSize = 64;
constexpr int TextColumnLeft = IconSquareTopLeft.x() + AboutIconSquare::Side + 8;
constexpr int TextColumnRight = AboutBox::Width - 6;
constexpr int TextColumnWidth = TextColumnRight - TextColumnLeft;
constexpr int ProgramNameTop = 24;
constexpr int SeparatorHeight = 2;
constexpr int SystemColumnWidth = 150;
constexpr QSize OkButtonSize(75, 25);
constexpr int ButtonMargin = 6;

QFont DialogFont()
{
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont ProgramNameFont()
{
    QFont font(QStringLiteral("Arial"), 10, QFont::Bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QLabel* MakeLabel(const QString& text, const QString& name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLabel* MakeBoldLabel(const QString& text, const QString& name, QWidget* parent)
{
    QLabel* label = MakeLabel(text, name, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QRect ScreenArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

AboutBox::AboutBox(UrlOpener openUrl)
    : QDialog(nullptr,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_openUrl(std::move(openUrl))
{
    setWindowTitle(QStringLiteral("Info"));
    KeepMinimiseAndMaximiseOff(this);
    setFont(DialogFont());

    auto* iconSquare = new AboutIconSquare(MainIconImage(EnlargedIconSize), this);
    iconSquare->setObjectName(QStringLiteral("iconSquare"));
    iconSquare->move(IconSquareTopLeft);

    auto* programName = new AboutSunkenLabel(ProgramName, ProgramNameFont(), this);
    programName->setObjectName(QStringLiteral("programName"));
    m_contactLink = new AboutContactLink(ContactAddress, this);
    m_contactLink->setObjectName(QStringLiteral("contactLink"));
    connect(m_contactLink, &AboutContactLink::clicked, this, &AboutBox::ContactLinkClick);

    int y = PlaceLine(programName, ProgramNameTop, 10);
    y = std::max(y, iconSquare->geometry().bottom() + 1);
    y = PlaceLine(MakeBoldLabel(VersionText, QStringLiteral("versionLine"), this), y, 4);
    y = PlaceLine(MakeLabel(DescriptionText, QStringLiteral("descriptionLine"), this), y, 24);
    y = PlaceLine(MakeLabel(NoticeText, QStringLiteral("noticeLine"), this), y, 1);
    y = PlaceLine(m_contactLink, y, 6);
    y = PlaceSeparator(y, 7);
    y = PlaceSystemBlock(y, 24);
    y = PlaceButtonRow(y);
    setFixedSize(Width, y);
}

bool AboutBox::OpenWithDesktop(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

void AboutBox::ContactLinkClick()
{
    // The address holds an at sign, so the desktop is asked to write a mail to it.
    if (!m_openUrl(QUrl(QStringLiteral("mailto:") + m_contactLink->text())))
        m_contactLink->setEnabled(false);
}

int AboutBox::PlaceLine(QWidget* line, int y, int gapAfter)
{
    line->setGeometry(TextColumnLeft, y, TextColumnWidth, line->sizeHint().height());
    return y + line->height() + gapAfter;
}

int AboutBox::PlaceSeparator(int y, int gapAfter)
{
    auto* separator = new QFrame(this);
    separator->setObjectName(QStringLiteral("separatorLine"));
    separator->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    separator->setGeometry(TextColumnLeft, y, TextColumnWidth, SeparatorHeight);
    return y + SeparatorHeight + gapAfter;
}

int AboutBox::PlaceSystemBlock(int y, int gapAfter)
{
    QLabel* captions
        = MakeLabel(QStringLiteral("Available Memory:\nPlatform, CPU:"), QStringLiteral("systemCaptions"), this);
    const QString values = QString::fromStdString(platform::MemoryLine(platform::TotalPhysicalMemory())) + '\n'
        + QString::fromStdString(platform::ProcessorLine(platform::ProcessorCount(), platform::ProcessorType()));
    QLabel* figures = MakeLabel(values, QStringLiteral("systemValues"), this);
    captions->setGeometry(TextColumnLeft, y, SystemColumnWidth, captions->sizeHint().height());
    // A long processor line gets the width it needs instead of being cut off at its column's end.
    const int figuresWidth = std::max(SystemColumnWidth, figures->sizeHint().width());
    figures->setGeometry(TextColumnLeft + SystemColumnWidth, y, figuresWidth, figures->sizeHint().height());
    return y + std::max(captions->height(), figures->height()) + gapAfter;
}

int AboutBox::PlaceButtonRow(int y)
{
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(QRect(QPoint(Width - ButtonMargin - OkButtonSize.width(), y), OkButtonSize));
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    return y + OkButtonSize.height() + ButtonMargin;
}

AboutBox* ShowAboutBox(QWidget* owner)
{
    auto* box = new AboutBox;
    if (owner)
        box->setParent(owner, box->windowFlags());
    box->setAttribute(Qt::WA_DeleteOnClose);
    // It blocks its owner alone: the tray icon still answers while it is open, and Exit from the
    // tray menu closes it.
    box->setWindowModality(Qt::WindowModal);
    box->move(CentredOnScreen(box->size(), ScreenArea()));
    PlayExplodeEffect(QCursor::pos(), box->frameGeometry(), box, [box] { box->open(); });
    return box;
}
