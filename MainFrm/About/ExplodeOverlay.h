#pragma once

#include <QRegion>
#include <QWidget>

// A click-through window over part of the screen that shows dotted outlines the way inverting
// the screen's pixels would: each outline drawn toggles its pixels, so drawing the same outlines
// a second time leaves nothing shown. Qt cannot draw on the screen itself, hence the window.
// The window is shown only while any pixel is toggled, and shows nothing but the toggled pixels.
class ExplodeOverlay : public QWidget {
public:
    // area: the part of the screen the outlines lie in, in screen coordinates.
    explicit ExplodeOverlay(const QRect& area);

    // Toggles the pixels of an outline given in screen coordinates.
    void ToggleOutline(const QRect& outline);

    // The pixels shown now, in screen coordinates.
    QRegion ShownPixels() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect m_area;
    bool m_shaped;
    QRegion m_toggled;
};
