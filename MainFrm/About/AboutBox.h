#pragma once

#include <QDialog>

#include <functional>

class AboutContactLink;
class QUrl;

// Opens a URL with the desktop's default handler; false when the desktop reports failure.
using UrlOpener = std::function<bool(const QUrl&)>;

// The about box: the program's picture, name and version, a notice, a contact link and the
// machine's memory and processors, laid out in pixels from the top. Its texts are fixed; none of
// them follows the language setting.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int Width = 440;

    // openUrl opens the contact link; tests pass their own.
    explicit AboutBox(UrlOpener openUrl = OpenWithDesktop);

    static bool OpenWithDesktop(const QUrl& url);

private:
    void ContactLinkClick();

    int PlaceLine(QWidget* line, int y, int gapAfter);
    int PlaceSeparator(int y, int gapAfter);
    int PlaceSystemBlock(int y, int gapAfter);
    int PlaceButtonRow(int y);

    UrlOpener m_openUrl;
    AboutContactLink* m_contactLink;
};

// Builds a new about box, centres it on the screen and returns at once; the box is shown modal to
// owner's window once the opening effect has played. The box deletes itself when it closes.
AboutBox* ShowAboutBox(QWidget* owner = nullptr);
