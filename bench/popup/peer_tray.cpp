// The smallest program that does what Findaro's pop-up does: a tray icon,
// and on Super+P a frameless bar with a line edit at the bottom-right of the
// work area. It is the yardstick that the pop-up benchmark measures against.

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <memory>

namespace {

constexpr int Width = 500;
constexpr int Height = 30;

QIcon drawnIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setBrush(Qt::darkGreen);
    painter.drawEllipse(1, 1, 14, 14);
    return QIcon(pixmap);
}

class Bar : public QWidget {
  public:
    Bar() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool) {
        setWindowTitle("PeerTray");
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, QColor(128, 128, 128));
        setPalette(p);
        resize(Width, Height);
        edit_ = std::make_unique<QLineEdit>(this);
        edit_->setGeometry(82, 5, Width - 160, 21);
    }

    void popUp() {
        const QScreen* screen = QGuiApplication::primaryScreen();
        move(screen->geometry().width() - width(),
             screen->availableGeometry().height() - height() - 1);
        show();
        raise();
        activateWindow();
        edit_->setFocus();
        edit_->selectAll();
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape)
            hide();
        else
            QWidget::keyPressEvent(event);
    }

  private:
    std::unique_ptr<QLineEdit> edit_;
};

// Super+P grabbed on the root window for every NumLock/CapsLock state.
class HotKey : public QAbstractNativeEventFilter {
  public:
    explicit HotKey(Bar& bar) : bar_(bar) {
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        if (!x11)
            return;
        conn_ = x11->connection();
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(conn_);
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, 'p');
        if (codes) {
            keycode_ = codes[0];
            free(codes);
        }
        xcb_key_symbols_free(symbols);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
        for (int extra : {0, int(XCB_MOD_MASK_LOCK), int(XCB_MOD_MASK_2),
                          int(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2)})
            xcb_grab_key(conn_, 1, root, uint16_t(XCB_MOD_MASK_4 | extra), keycode_,
                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_flush(conn_);
        qApp->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
            return false;
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (key->detail != keycode_ || !(key->state & XCB_MOD_MASK_4))
            return false;
        bar_.popUp();
        return true;
    }

  private:
    Bar& bar_;
    xcb_connection_t* conn_ = nullptr;
    xcb_keycode_t keycode_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    Bar bar;
    HotKey hotKey(bar);
    QMenu menu;
    menu.addAction("Exit", &app, &QCoreApplication::quit);
    QSystemTrayIcon tray(drawnIcon());
    tray.setToolTip("PeerTray");
    tray.setContextMenu(&menu);
    QObject::connect(&tray, &QSystemTrayIcon::activated,
                     [&bar](QSystemTrayIcon::ActivationReason r) {
                         if (r == QSystemTrayIcon::Trigger)
                             bar.popUp();
                     });
    tray.show();
    return app.exec();
}
