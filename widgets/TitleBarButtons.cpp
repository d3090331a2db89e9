#include "widgets/TitleBarButtons.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#if QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace {

#if QT_CONFIG(xcb)

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name)
{
    const ReplyPtr<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr)};
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The first value of a 32-bit property, or none.
xcb_window_t WindowProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property)
{
    const ReplyPtr<xcb_get_property_reply_t> reply{xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_WINDOW, 0, 1), nullptr)};
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return XCB_WINDOW_NONE;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
}

// The name the running window manager gives itself (EWMH), or empty.
std::string WindowManagerName(xcb_connection_t* connection, xcb_window_t root)
{
    const xcb_window_t check = WindowProperty(connection, root, Atom(connection, "_NET_SUPPORTING_WM_CHECK"));
    if (check == XCB_WINDOW_NONE)
        return {};
    const ReplyPtr<xcb_get_property_reply_t> reply{xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, check, Atom(connection, "_NET_WM_NAME"), Atom(connection, "UTF8_STRING"), 0,
                         64),
        nullptr)};
    if (!reply || reply->format != 8)
        return {};
    return {static_cast<const char*>(xcb_get_property_value(reply.get())),
            static_cast<size_t>(xcb_get_property_value_length(reply.get()))};
}

// Openbox puts minimise and maximise buttons on every dialog and normal window, whatever the
// Motif hints say about them, and the close button on every window with a title bar. The one
// kind of window with a title bar it gives neither of the first two is a torn-off toolbar, which
// it otherwise handles as it does any other window: moved, resized within the size hints, kept
// above the window it belongs to, closed by the close request. Other window managers follow the
// Motif hints and keep their own window types.
void MarkAsToolbarUnderOpenbox(QWidget* window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return;
    xcb_connection_t* connection = x11->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    if (WindowManagerName(connection, root) != "Openbox")
        return;
    const xcb_atom_t toolbar = Atom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
                        Atom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &toolbar);
    xcb_flush(connection);
}

#endif

// The window manager reads a window's type each time the window is mapped, which follows the
// show event.
class TypeBeforeEachShow : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
#if QT_CONFIG(xcb)
        if (event->type() == QEvent::Show)
            MarkAsToolbarUnderOpenbox(static_cast<QWidget*>(watched));
#else
        (void)watched;
        (void)event;
#endif
        return false;
    }
};

} // namespace

void KeepMinimiseAndMaximiseOff(QWidget* window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    window->installEventFilter(new TypeBeforeEachShow(window));
}
