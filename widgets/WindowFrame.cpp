#include "widgets/WindowFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#ifdef DUPLIQA_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace {

#ifdef DUPLIQA_HAVE_XCB
xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}
#endif

// Both names of the window, the old one and the one in UTF-8, empty; on X11 only, where Qt writes
// them when it creates the native window.
void ClearWindowName(QWidget* window)
{
#ifdef DUPLIQA_HAVE_XCB
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t netName = Atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Atom(connection, "UTF8_STRING");
    if (netName != XCB_ATOM_NONE && utf8 != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, netName, utf8, 8, 0, nullptr);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

// Clears the name each time the window is about to be mapped: the window manager reads it then.
class BlankTitle : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            ClearWindowName(static_cast<QWidget*>(watched));
        return false;
    }
};

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
    window->setWindowTitle(QString());
    window->installEventFilter(new BlankTitle(window));
}

void SetOuterSize(QWidget* window, const QSize& outer)
{
    window->resize(outer);
    window->installEventFilter(new OuterSizeOnFirstFrame(window, outer));
}
