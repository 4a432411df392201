// The smallest program that does what Findaro's F1 does: a focused window,
// and on F1 a text browser window showing the search window's topic from
// the topic folder on disk, with no archive, no contents and no index. It is
// the yardstick that the help benchmark measures against.
//
// peer_help CONTENT_DIR

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextBrowser>

#include <memory>

namespace {

class Host : public QLineEdit {
  public:
    explicit Host(QString content) : content_(std::move(content)) {
        setWindowTitle("PeerHelpHost");
        resize(300, 30);
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() != Qt::Key_F1)
            return QLineEdit::keyPressEvent(event);
        if (!help_) {
            help_ = std::make_unique<QTextBrowser>();
            help_->setWindowTitle("Peer Help");
            help_->resize(900, 640);
            help_->setSearchPaths({content_});
        }
        help_->setSource(QUrl::fromLocalFile(content_ + "/search_window.htm"));
        help_->show();
        help_->raise();
        help_->activateWindow();
    }

  private:
    QString content_;
    std::unique_ptr<QTextBrowser> help_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    Host host(QString::fromLocal8Bit(argv[1]));
    host.show();
    return app.exec();
}
