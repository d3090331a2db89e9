#include "widgets/WindowFrame.h"

#include <QEvent>
#include <QWindow>

namespace {

// Waits for the first frame the window manager puts around the window, then takes its width off
// the inside size once.
class OuterSizeOnFirstFrame : public QObject {
public:
    OuterSizeOnFirstFrame(QWidget* window, const QSize& outer)
        : QObject(window)
        , m_outer(outer)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
            fit(static_cast<QWidget*>(watched));
            break;
        default:
            break;
        }
        return false;
    }

private:
    void fit(QWidget* window)
    {
        if (m_fitted || !window->windowHandle())
            return;
        const QMargins frame = window->windowHandle()->frameMargins();
        if (frame.isNull())
            return;
        m_fitted = true;
        window->resize(m_outer.shrunkBy(frame));
    }

    QSize m_outer;
    bool m_fitted = false;
};

} // namespace

void KeepTitleBarBlank(QWidget* window)
{
    // Window managers put a name of their own ("Unnamed Window") on a window whose name is empty;
    // a lone blank shows as nothing.
    window->setWindowTitle(QStringLiteral(" "));
}

void SetOuterSize(QWidget* window, const QSize& outer)
{
    window->resize(outer);
    window->installEventFilter(new OuterSizeOnFirstFrame(window, outer));
}
