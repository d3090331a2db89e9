#include "widgets/StatusPanels.h"

#include <QPainter>

namespace {

// Gap between a panel's frame and the start of its text.
constexpr int TextInset = 1;
// The panels start this far below the bar's top edge, which keeps a line of the window's face
// between the list above and the panels.
constexpr int PanelTop = 2;

} // namespace

StatusPanel::StatusPanel(QWidget* parent)
    : QLabel(parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setLineWidth(1);
    setTextFormat(Qt::PlainText);
}

QRect StatusPanel::TextArea() const
{
    return contentsRect().adjusted(TextInset, 0, 0, 0);
}

void StatusPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    painter.setClipRect(contentsRect());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(TextArea(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
}

FixedPanelBar::FixedPanelBar(const std::vector<int>& widths, QWidget* parent)
    : QStatusBar(parent)
    , m_widths(widths)
{
    for (size_t i = 0; i < m_widths.size(); ++i)
        m_panels.push_back(new StatusPanel(this));
    layPanels();
}

void FixedPanelBar::resizeEvent(QResizeEvent* event)
{
    QStatusBar::resizeEvent(event);
    layPanels();
}

void FixedPanelBar::layPanels()
{
    int left = 0;
    for (size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i]->setGeometry(left, PanelTop, m_widths[i], std::max(0, height() - PanelTop));
        left += m_widths[i];
    }
}
