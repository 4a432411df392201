#pragma once
// Helpers for the About box's widget tests: a scratch proxy store, a driver
// for the modal windows a step opens, and a recorder of the addresses handed
// to the browser.

#include "about/ProxySettings.h"
#include "about/ProxyStore.h"
#include "about/fabout.h"
#include "mainwindow/gui_test_support.h" // ShownBox

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Where a test keeps its proxy values (inside `folder` where they are a
// file), and how that place is removed again; one per platform.
std::string ScratchProxyLocation(const QString& folder);
void RemoveScratchProxyLocation(const std::string& location);

// Each showing of a modal window is handed to the next queued action; message
// boxes with no action left are recorded and closed.
class ModalDriver : public QObject {
  public:
    ModalDriver() {
        qApp->installEventFilter(this);
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || handled_.contains(modal))
                return;
            handled_.insert(modal);
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                boxes.push_back(
                    {box->windowTitle(), box->text(), box->icon(), box->parentWidget()});
                if (actions_.empty()) {
                    box->done(QMessageBox::Ok);
                    return;
                }
            }
            if (!actions_.empty()) {
                // Outside this tick: an action may open a modal window itself,
                // and a timer does not fire again while its slot runs.
                QTimer::singleShot(
                    0, modal, [action = std::move(actions_.front()), modal] { action(modal); });
                actions_.pop_front();
            }
        });
        timer_.start();
    }
    ~ModalDriver() override { qApp->removeEventFilter(this); }
    void Then(std::function<void(QWidget*)> action) { actions_.push_back(std::move(action)); }
    std::vector<ShownBox> boxes;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && watched->isWidgetType())
            handled_.remove(static_cast<QWidget*>(watched)); // its next showing is new
        return false;
    }

  private:
    QTimer timer_;
    QSet<QWidget*> handled_;
    std::deque<std::function<void(QWidget*)>> actions_;
};

class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    UrlRecorder() {
        for (const char* scheme : {"http", "https", "file", "javascript", "ftp"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~UrlRecorder() override {
        for (const char* scheme : {"http", "https", "file", "javascript", "ftp"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QStringList opened;
  public slots:
    void open(const QUrl& url) { opened << url.toString(); }
};

// The proxy store of one test, empty unless written: a scratch file, or on
// Windows a scratch key of the current user's registry.
class ProxyFileScope {
  public:
    ProxyFileScope() : location_(ScratchProxyLocation(dir_.path())) {
        SetProxySettingsLocation(location_);
        ProxyRec = TProxyRec{};
    }
    ~ProxyFileScope() {
        SetProxySettingsLocation({});
        RemoveScratchProxyLocation(location_);
    }
    // What a fresh load finds; none when nothing was stored.
    std::optional<TProxyRec> Stored() const {
        bool found = false;
        ReadProxyStore([&found](const RegLookup&) { found = true; });
        if (!found)
            return std::nullopt;
        TProxyRec rec;
        LoadProxySettings(rec);
        return rec;
    }

  private:
    QTemporaryDir dir_;
    std::string location_;
};
