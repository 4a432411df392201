#pragma once
// The help window: topics of a compiled help file in a text browser, with
// its table of contents and index beside them. It belongs to no window of
// the program and stays open while the program goes on.

#include "help/ChmArchive.h"

#include <QPointer>
#include <QTextBrowser>
#include <QWidget>

#include <memory>

class QAction;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

// Shows chm: addresses from the archive, pages of its own under help:, and
// hands any other address to the desktop.
class TChmBrowser : public QTextBrowser {
    Q_OBJECT
  public:
    explicit TChmBrowser(QWidget* parent = nullptr);
    void SetArchive(const TChmArchive* archive) { archive_ = archive; }
    // The file that the "cannot open" page names.
    void SetUnreadableFile(const QString& path) { unreadableFile_ = path; }
    QVariant loadResource(int type, const QUrl& name) override;

  protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

  private:
    const TChmArchive* archive_ = nullptr;
    QString unreadableFile_;
};

class THelpWindow : public QWidget {
    Q_OBJECT
  public:
    THelpWindow();
    ~THelpWindow() override;

    // Opens the help file unless it is the one already shown; false when it
    // cannot be read, with a page that says so.
    bool OpenFile(const QString& path);
    void ShowContext(uint32_t context); // the topic, or a "topic not found" page
    void ShowContents();                // the contents tab, and the start topic if none is shown
    void ShowIndex();                   // the index tab, its keyword field focused
    void ShowTopic(const QString& archivePath);
    // Shows the window, restores it when minimised, raises it and gives it the focus.
    void BringForward();

    // The archive path of the topic shown, without its anchor; empty for a
    // page of the viewer's own.
    QString CurrentTopic() const;
    const TChmArchive* Archive() const { return archive_.get(); }

    QAction* actBack = nullptr;
    QAction* actForward = nullptr;
    QAction* actHome = nullptr;
    QTabWidget* tabNavigation = nullptr;
    QTreeWidget* tvwContents = nullptr;
    QLineEdit* txtKeyword = nullptr;
    QListWidget* lstIndex = nullptr;
    TChmBrowser* browser = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FillContents();
    void FillIndex();
    void ShowPage(const QUrl& url);
    void SourceChanged(const QUrl& url);
    void ContentsItemChosen(QTreeWidgetItem* item);
    void IndexItemChosen(QListWidgetItem* item);
    void KeywordEdited(const QString& text);

    QString path_;
    std::unique_ptr<TChmArchive> archive_;
    bool syncing_ = false;
    QPointer<QWidget> modalOwner_; // the modal dialog the window stands on, if any
};

// The address of a path inside the help file.
QUrl ChmUrl(const QString& archivePath);
