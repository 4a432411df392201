#include "help/HelpWindow.h"

#include "help/Sitemap.h"
#include "mainwindow/Accessible.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrlQuery>
#include <QVBoxLayout>
#include <QWindow>

namespace {

const QString ChmScheme = QStringLiteral("chm");
// Pages of the viewer's own: a topic the map does not know, an unreadable file.
const QString PageScheme = QStringLiteral("help");
constexpr int LocalRole = Qt::UserRole;

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString TopicOf(const QUrl& url) {
    return url.scheme() == ChmScheme ? url.path() : QString();
}

QByteArray OwnPage(const QString& heading, const QString& body) {
    return QStringLiteral("<html><head><meta charset=\"utf-8\"><title>%1</title></head>"
                          "<body style=\"font-family: sans-serif\"><h2>%1</h2>%2</body></html>")
        .arg(heading.toHtmlEscaped(), body)
        .toUtf8();
}

} // namespace

QUrl ChmUrl(const QString& archivePath) {
    return QUrl(
        ChmScheme + QLatin1Char(':') +
        (archivePath.startsWith(QLatin1Char('/')) ? archivePath : QLatin1Char('/') + archivePath));
}

TChmBrowser::TChmBrowser(QWidget* parent) : QTextBrowser(parent) {
    // Links are followed here; doSetSource sends foreign ones to the desktop.
    setOpenExternalLinks(false);
    setOpenLinks(true);
}

QVariant TChmBrowser::loadResource(int type, const QUrl& name) {
    QUrl url = name;
    if (url.isRelative()) {
        const QUrl base = source().isValid() ? source() : ChmUrl(QStringLiteral("/"));
        url = base.resolved(name);
    }
    if (url.scheme() == PageScheme) {
        const QUrlQuery query(url);
        const QString start =
            archive_ && !archive_->DefaultTopic().empty()
                ? QStringLiteral("<p><a href=\"%1\">Go to the first page of the help</a></p>")
                      .arg(ChmUrl(FromUtf8(archive_->DefaultTopic())).toString())
                : QString();
        if (url.path() == QLatin1String("topic-not-found"))
            return OwnPage(
                QStringLiteral("Topic not found"),
                QStringLiteral("<p>The help file has no topic for the context number %1.</p>")
                        .arg(query.queryItemValue(QStringLiteral("context")).toHtmlEscaped()) +
                    start);
        if (url.path() == QLatin1String("cannot-open"))
            return OwnPage(
                QStringLiteral("Cannot open the help file"),
                QStringLiteral(
                    "<p>The file <b>%1</b> is missing or is not a compiled help file.</p>")
                    .arg(unreadableFile_.toHtmlEscaped()));
        return {};
    }
    if (url.scheme() != ChmScheme || !archive_)
        return {};
    const std::optional<std::string> data = archive_->Read(url.path().toStdString());
    if (!data)
        return {};
    const QByteArray bytes(data->data(), qsizetype(data->size()));
    if (type == QTextDocument::StyleSheetResource)
        return QString::fromUtf8(bytes);
    return bytes;
}

void TChmBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    if (name.scheme() == ChmScheme || name.scheme() == PageScheme || name.isRelative()) {
        QTextBrowser::doSetSource(name, type);
        return;
    }
    // A web or mail address in a topic belongs to the desktop's programs;
    // other addresses (files, programs) are not a help file's to open.
    const QString scheme = name.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto"))
        QDesktopServices::openUrl(name);
}

THelpWindow::THelpWindow() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("frmHelp"));
    SetAccessibleName(this, QStringLiteral("Help"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(960, 680);

    auto* toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("tbrHelp"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SetAccessibleName(toolbar, QStringLiteral("Help navigation"));
    actBack =
        toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Back"));
    actBack->setObjectName(QStringLiteral("actBack"));
    actBack->setShortcut(QKeySequence::Back);
    actBack->setEnabled(false);
    actForward = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowForward),
                                    QStringLiteral("Forward"));
    actForward->setObjectName(QStringLiteral("actForward"));
    actForward->setShortcut(QKeySequence::Forward);
    actForward->setEnabled(false);
    actHome = toolbar->addAction(
        QIcon::fromTheme(QStringLiteral("go-home"), style()->standardIcon(QStyle::SP_DirHomeIcon)),
        QStringLiteral("Home"));
    actHome->setObjectName(QStringLiteral("actHome"));

    tabNavigation = new QTabWidget;
    tabNavigation->setObjectName(QStringLiteral("tabNavigation"));
    SetAccessibleName(tabNavigation, QStringLiteral("Contents and index"));
    tvwContents = new QTreeWidget;
    tvwContents->setObjectName(QStringLiteral("tvwContents"));
    SetAccessibleName(tvwContents, QStringLiteral("Contents"));
    tvwContents->setHeaderHidden(true);
    tvwContents->setRootIsDecorated(true);
    tabNavigation->addTab(tvwContents, QStringLiteral("Contents"));

    auto* indexPage = new QWidget;
    indexPage->setObjectName(QStringLiteral("pagIndex"));
    auto* indexLayout = new QVBoxLayout(indexPage);
    auto* keywordLabel = new QLabel(QStringLiteral("Type the keyword to find:"));
    txtKeyword = new QLineEdit;
    txtKeyword->setObjectName(QStringLiteral("txtKeyword"));
    SetAccessibleName(txtKeyword, QStringLiteral("Keyword to find"));
    keywordLabel->setBuddy(txtKeyword);
    lstIndex = new QListWidget;
    lstIndex->setObjectName(QStringLiteral("lstIndex"));
    SetAccessibleName(lstIndex, QStringLiteral("Index"));
    indexLayout->addWidget(keywordLabel);
    indexLayout->addWidget(txtKeyword);
    indexLayout->addWidget(lstIndex);
    tabNavigation->addTab(indexPage, QStringLiteral("Index"));

    browser = new TChmBrowser;
    browser->setObjectName(QStringLiteral("browser"));
    SetAccessibleName(browser, QStringLiteral("Help topic"));

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->setObjectName(QStringLiteral("splHelp"));
    splitter->addWidget(tabNavigation);
    splitter->addWidget(browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 700});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(splitter, 1);

    connect(actBack, &QAction::triggered, browser, &QTextBrowser::backward);
    connect(actForward, &QAction::triggered, browser, &QTextBrowser::forward);
    connect(actHome, &QAction::triggered, this, [this] {
        if (archive_ && !archive_->DefaultTopic().empty())
            ShowTopic(FromUtf8(archive_->DefaultTopic()));
    });
    connect(browser, &QTextBrowser::backwardAvailable, actBack, &QAction::setEnabled);
    connect(browser, &QTextBrowser::forwardAvailable, actForward, &QAction::setEnabled);
    connect(browser, &QTextBrowser::sourceChanged, this, &THelpWindow::SourceChanged);
    connect(tvwContents, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { ContentsItemChosen(item); });
    connect(tvwContents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { ContentsItemChosen(item); });
    connect(lstIndex, &QListWidget::itemActivated, this, &THelpWindow::IndexItemChosen);
    connect(lstIndex, &QListWidget::itemClicked, this, &THelpWindow::IndexItemChosen);
    connect(txtKeyword, &QLineEdit::textEdited, this, &THelpWindow::KeywordEdited);
    connect(txtKeyword, &QLineEdit::returnPressed, this,
            [this] { IndexItemChosen(lstIndex->currentItem()); });
}

THelpWindow::~THelpWindow() = default;

bool THelpWindow::OpenFile(const QString& path) {
    if (archive_ && path == path_)
        return true;
    browser->SetArchive(nullptr);
    browser->clearHistory();
    tvwContents->clear();
    lstIndex->clear();
    archive_ = TChmArchive::Open(QFile::encodeName(path).toStdString());
    path_ = archive_ ? path : QString();
    browser->SetArchive(archive_.get());
    if (!archive_) {
        setWindowTitle(QStringLiteral("Help"));
        browser->SetUnreadableFile(path);
        ShowPage(QUrl(PageScheme + QStringLiteral(":cannot-open")));
        return false;
    }
    FillContents();
    FillIndex();
    setWindowTitle(archive_->Title().empty() ? QFileInfo(path).fileName()
                                             : FromUtf8(archive_->Title()));
    return true;
}

// The entries of the contents or the index: the file that #SYSTEM names,
// else the first one in the archive with the usual extension.
static std::vector<TSitemapEntry> SitemapOf(const TChmArchive& archive, std::string file,
                                            const char* extension) {
    if (file.empty() || !archive.Contains(file))
        for (const std::string& name : archive.Files())
            if (QString::fromStdString(name).endsWith(QLatin1String(extension),
                                                      Qt::CaseInsensitive)) {
                file = name;
                break;
            }
    return ParseSitemap(archive.Read(file).value_or(std::string()));
}

void THelpWindow::FillContents() {
    std::vector<std::pair<int, QTreeWidgetItem*>> parents;
    for (const TSitemapEntry& entry : SitemapOf(*archive_, archive_->ContentsFile(), ".hhc")) {
        while (!parents.empty() && parents.back().first >= entry.Depth)
            parents.pop_back();
        auto* item = parents.empty() ? new QTreeWidgetItem(tvwContents)
                                     : new QTreeWidgetItem(parents.back().second);
        item->setText(0, FromUtf8(entry.Name));
        item->setData(0, LocalRole, FromUtf8(entry.Local));
        parents.emplace_back(entry.Depth, item);
    }
    tvwContents->expandAll();
}

void THelpWindow::FillIndex() {
    for (const TSitemapEntry& entry : SitemapOf(*archive_, archive_->IndexFile(), ".hhk")) {
        auto* item = new QListWidgetItem(FromUtf8(entry.Name), lstIndex);
        item->setData(LocalRole, FromUtf8(entry.Local));
    }
}

void THelpWindow::ShowContext(uint32_t context) {
    const std::string topic = archive_ ? archive_->TopicForContext(context) : std::string();
    if (!topic.empty()) {
        ShowTopic(FromUtf8(topic));
        return;
    }
    QUrl page(PageScheme + QStringLiteral(":topic-not-found"));
    page.setQuery(QStringLiteral("context=%1").arg(context));
    ShowPage(page);
}

void THelpWindow::ShowContents() {
    tabNavigation->setCurrentWidget(tvwContents);
    if (CurrentTopic().isEmpty() && archive_ && !archive_->DefaultTopic().empty())
        ShowTopic(FromUtf8(archive_->DefaultTopic()));
}

void THelpWindow::ShowIndex() {
    tabNavigation->setCurrentWidget(lstIndex->parentWidget());
    if (CurrentTopic().isEmpty() && archive_ && !archive_->DefaultTopic().empty())
        ShowTopic(FromUtf8(archive_->DefaultTopic()));
    txtKeyword->setFocus(Qt::OtherFocusReason);
}

void THelpWindow::ShowTopic(const QString& archivePath) {
    ShowPage(ChmUrl(archivePath));
}

void THelpWindow::ShowPage(const QUrl& url) {
    browser->setSource(url);
}

bool THelpWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == modalOwner_ && event->type() == QEvent::Hide) {
        modalOwner_->removeEventFilter(this);
        modalOwner_ = nullptr;
        if (windowHandle())
            windowHandle()->setTransientParent(nullptr);
    }
    return QWidget::eventFilter(watched, event);
}

QString THelpWindow::CurrentTopic() const {
    return TopicOf(browser->source());
}

void THelpWindow::BringForward() {
    // A modal dialog blocks every other window of the program, and Qt exempts
    // only the windows that stand on it. So the help asked for from a modal
    // dialog stands on that dialog until the dialog goes.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == this)
        modal = nullptr;
    if (modal != modalOwner_) {
        if (modalOwner_)
            modalOwner_->removeEventFilter(this);
        modalOwner_ = modal;
        if (modal)
            modal->installEventFilter(this);
        winId();
        windowHandle()->setTransientParent(modal ? modal->window()->windowHandle() : nullptr);
    }
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void THelpWindow::SourceChanged(const QUrl& url) {
    const QString title = archive_ && !archive_->Title().empty() ? FromUtf8(archive_->Title())
                                                                 : QStringLiteral("Help");
    const QString topic = browser->documentTitle();
    setWindowTitle(topic.isEmpty() ? title : title + QStringLiteral(" - ") + topic);

    // The contents follow the topic shown, whichever way it was reached.
    const QString shown = TopicOf(url);
    QTreeWidgetItem* match = nullptr;
    for (QTreeWidgetItemIterator it(tvwContents); *it && !shown.isEmpty(); ++it) {
        const QString local = (*it)->data(0, LocalRole).toString().section(QLatin1Char('#'), 0, 0);
        if (ChmUrl(local).path().compare(shown, Qt::CaseInsensitive) == 0) {
            match = *it;
            break;
        }
    }
    syncing_ = true;
    tvwContents->setCurrentItem(match);
    syncing_ = false;
}

void THelpWindow::ContentsItemChosen(QTreeWidgetItem* item) {
    if (syncing_ || !item)
        return;
    const QString local = item->data(0, LocalRole).toString();
    if (!local.isEmpty() && ChmUrl(local) != browser->source())
        ShowTopic(local);
}

void THelpWindow::IndexItemChosen(QListWidgetItem* item) {
    if (!item)
        return;
    const QString local = item->data(LocalRole).toString();
    if (!local.isEmpty())
        ShowTopic(local);
}

void THelpWindow::KeywordEdited(const QString& text) {
    for (int i = 0; i < lstIndex->count(); ++i) {
        QListWidgetItem* item = lstIndex->item(i);
        if (item->text().startsWith(text, Qt::CaseInsensitive)) {
            lstIndex->setCurrentItem(item);
            lstIndex->scrollToItem(item, QAbstractItemView::PositionAtTop);
            return;
        }
    }
}
