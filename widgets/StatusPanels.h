#pragma once

#include <QLabel>
#include <QStatusBar>

#include <vector>

// One panel of a classic status bar: a sunken frame whose text starts just inside its left edge
// and is cut at the frame, so that a long path never runs into the next panel.
class StatusPanel : public QLabel {
public:
    explicit StatusPanel(QWidget* parent = nullptr);

    // Where the text is drawn: inside the frame, after a small gap on the left.
    QRect TextArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A status bar whose panels have fixed widths and lie side by side from its left edge with
// nothing between them. QStatusBar's own layout puts gaps and frames of its own between its
// widgets, so that the panels together no longer fit a narrow window and run into each other.
class FixedPanelBar : public QStatusBar {
public:
    FixedPanelBar(const std::vector<int>& widths, QWidget* parent = nullptr);

    StatusPanel* Panel(size_t index) const { return m_panels.at(index); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layPanels();

    std::vector<int> m_widths;
    std::vector<StatusPanel*> m_panels;
};
