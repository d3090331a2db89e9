#pragma once

#include <QProgressBar>

// A progress bar drawn as the classic gauge: a black filling on white inside a thin black frame,
// with the percentage in its middle, black where it lies on white and white where it lies on
// black, so that it reads at every value. The digits are placed by their own height, not by the
// font's line height, so that a low bar does not cut them at the bottom.
class Gauge : public QProgressBar {
public:
    explicit Gauge(QWidget* parent = nullptr);

    // The part of the inside that is filled black at the current value.
    QRect FilledArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect inside() const;
    QFont fontThatFits() const;
};
