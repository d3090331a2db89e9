#pragma once

#include <QImage>
#include <QWidget>

// The picture square of the about box: the icon centred inside a thin black frame that casts a
// grey shadow to the right and below, all on the dialog's face colour.
class AboutIconSquare : public QWidget {
public:
    static constexpr int Side = 105;
    static constexpr int ShadowWidth = 6;
    static constexpr QRgb ShadowColour = 0xff808080;

    AboutIconSquare(const QImage& icon, QWidget* parent);

    QSize sizeHint() const override { return {Side, Side}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_icon;
};
