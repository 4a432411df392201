#include "config/fsetup.h"

#include "config/SpinEdit.h"
#include "directory/LdapBrowser.h"
#include "mainwindow/Accessible.h"
#include "search/Columns.h"
#include "search/Diagnostics.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// The client area the dialog keeps where its texts fit.
constexpr int ClientWidth = 589;
constexpr int ClientHeight = 295;

const char* const ChildrenHint =
    "When checked, Findaro will search in containers the reside under the ones selected.  If not "
    "checked, Findaro will search just the container";
const char* const ReferralsHint =
    "When checked, Findaro will follow referrals. Specifically, this enables you to point Findaro "
    "at a parent (or root) domain and Findaro will search the child domains as well.";
const char* const HotkeyHint =
    "When checked, this allows the user to press the <Windows> key and "
    "the letter P to bring up Findaro  (requires restart to take effect)";
const char* const HideConfigHint =
    "When checked, regular users cannot bring up this dialog box.  To edit settings, the "
    "Administrator runs Findaro with the \"findaro edit\" command line option";

QString Text(const char* text) {
    return QString::fromUtf8(text);
}

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QPushButton* MakeButton(const char* caption, const char* name, QSize minimum) {
    auto* button = Named(new QPushButton(Text(caption)), name);
    // No default and no auto-default button: Enter does not close the dialog.
    button->setAutoDefault(false);
    button->setDefault(false);
    // As drawn, or wider where the font needs it.
    const QStyle* style = button->style();
    const int textWidth = button->fontMetrics().horizontalAdvance(button->text()) +
                          2 * style->pixelMetric(QStyle::PM_ButtonMargin) +
                          2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    button->setMinimumSize(minimum.expandedTo(QSize(textWidth, 0)));
    return button;
}

QWidget* HelpPage(int context) {
    auto* page = new QWidget;
    page->setProperty("helpContext", context);
    return page;
}

// Lines of the log as "time stamp<TAB>text", drawn with tab stops every 100
// dialog units so that stamps and texts stand in two columns.
class TTabStopDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const QRect area =
            style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).adjusted(2, 0, -2, 0);
        QTextOption layout(Qt::AlignLeft | Qt::AlignVCenter);
        layout.setWrapMode(QTextOption::NoWrap);
        layout.setTabStopDistance(TabStop(opt.fontMetrics));
        painter->save();
        painter->setPen(opt.palette.color(
            opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(area, text, layout);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QString text = index.data().toString();
        const int tab = text.indexOf(u'\t');
        if (tab >= 0) // the text starts at the first tab stop after the stamp
            size.setWidth(int(TabStop(option.fontMetrics)) *
                              (1 + option.fontMetrics.horizontalAdvance(text.left(tab)) /
                                       int(TabStop(option.fontMetrics))) +
                          option.fontMetrics.horizontalAdvance(text.mid(tab + 1)) + 8);
        return size;
    }
    // A dialog unit is a quarter of the font's average character width.
    static qreal TabStop(const QFontMetrics& metrics) { return 25.0 * metrics.averageCharWidth(); }
};

} // namespace

TfrmSetup::TfrmSetup(TSetupHost host, TDiagnosticsLog& log)
    : QDialog(host.MainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                   Qt::WindowCloseButtonHint),
      host_(std::move(host)), log_(log) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Findaro Configuration"));
    setProperty("helpContext", SetupHelpContext);
    setModal(true);
    // The log changes while the dialog is hidden too; the list follows it
    // once the pages exist.
    log_.Changed = [this] { MirrorDiagnostics(); };
}

TfrmSetup::~TfrmSetup() {
    log_.Changed = nullptr;
}

void TfrmSetup::EnsureBuilt() {
    if (!built_)
        BuildPages();
}

void TfrmSetup::BuildPages() {
    built_ = true;
    PageControl1 = Named(new QTabWidget, "PageControl1");
    PageControl1->setUsesScrollButtons(false);
    PageControl1->tabBar()->setElideMode(Qt::ElideNone);
    PageControl1->addTab(BuildContainersPage(), QStringLiteral("Search Containers"));
    PageControl1->addTab(BuildSearchFieldsPage(), QStringLiteral("Search Fields"));
    PageControl1->addTab(BuildDisplayPage(), QStringLiteral("Display Format"));
    PageControl1->addTab(BuildMiscPage(), QStringLiteral("Misc Options"));
    PageControl1->addTab(BuildDiagnosticsPage(), QStringLiteral("Diagnostics"));

    cmdAbout = MakeButton("About", "cmdAbout", {75, 25});
    cmdOK = MakeButton("OK", "cmdOK", {75, 25});
    cmdCancel = MakeButton("Cancel", "cmdCancel", {75, 25});
    cmdHelp = MakeButton("Help", "cmdHelp", {70, 25});
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdAbout);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addSpacing(20);
    buttons->addWidget(cmdHelp);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 9, 5);
    layout->setSpacing(5);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);

    winId(); // the native window, whose frame the placement counts

    connect(cmdAbout, &QPushButton::clicked, this, &TfrmSetup::aboutRequested);
    connect(cmdHelp, &QPushButton::clicked, this, &TfrmSetup::helpRequested);
    connect(cmdOK, &QPushButton::clicked, this, &TfrmSetup::cmdOKClick);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmSetup::cmdCancelClick);

    // The smallest size at which every page's texts fit, and never below the
    // client area the dialog was drawn for.
    layout->activate();
    setFixedSize(layout->totalMinimumSize().expandedTo(QSize(ClientWidth, ClientHeight)));
    MirrorDiagnostics();
}

QWidget* TfrmSetup::BuildContainersPage() {
    QWidget* page = HelpPage(1007);
    auto* group = Named(new QGroupBox(QStringLiteral("Active Directory Setup")), "GroupBox1");

    optCurrentDomain =
        Named(new QRadioButton(QStringLiteral("Current Domain")), "optCurrentDomain");
    optAnotherDomain =
        Named(new QRadioButton(QStringLiteral("Another Domain")), "optAnotherDomain");
    optCurrentDomain->setChecked(true);
    txtDomainName = Named(new QLineEdit, "txtDomainName");
    txtDomainName->setMinimumWidth(141);
    SetAccessibleName(txtDomainName, QStringLiteral("Domain name"));
    cmdConnect = MakeButton("Connect", "cmdConnect", {70, 20});
    cmdDisconnect = MakeButton("Disconnect", "cmdDisconnect", {70, 20});
    auto* connectedLabel = Named(new QLabel(QStringLiteral("Connected To :")), "Label3");
    lblConnectedTo = Named(new QLabel, "lblConnectedTo");
    // A longer server name is cut off, as the field is fixed.
    lblConnectedTo->setFixedWidth(196);
    lblConnectedTo->setMinimumHeight(17);
    connectedLabel->setBuddy(lblConnectedTo);
    auto* treeLabel = Named(new QLabel(QStringLiteral("Select Container to Search :")), "Label4");
    tvwDomain = Named(new QTreeWidget, "tvwDomain");
    tvwDomain->setHeaderHidden(true);
    tvwDomain->setColumnCount(1);
    tvwDomain->setIndentation(19);
    tvwDomain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvwDomain->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvwDomain->setAllColumnsShowFocus(true);
    tvwDomain->setMinimumSize(241, 106);
    treeLabel->setBuddy(tvwDomain);
    cmdAdd = MakeButton(">>", "cmdAdd", {22, 22});
    cmdDelete = MakeButton("<<", "cmdDelete", {22, 22});
    SetAccessibleName(cmdAdd, QStringLiteral("Add container"));
    SetAccessibleName(cmdDelete, QStringLiteral("Remove container"));
    auto* listLabel =
        Named(new QLabel(QStringLiteral("These containers will be searched :")), "Label5");
    lstContainers = Named(new QListWidget, "lstContainers");
    lstContainers->setMinimumSize(277, 188);
    lstContainers->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    listLabel->setBuddy(lstContainers);

    auto* domainRow = new QGridLayout;
    domainRow->setHorizontalSpacing(6);
    domainRow->setVerticalSpacing(2);
    domainRow->addWidget(optCurrentDomain, 0, 0);
    domainRow->addWidget(optAnotherDomain, 1, 0);
    domainRow->addWidget(txtDomainName, 1, 1);
    auto* connectRow = new QHBoxLayout;
    connectRow->addWidget(cmdConnect);
    connectRow->addSpacing(8);
    connectRow->addWidget(cmdDisconnect);
    connectRow->addStretch(1);
    auto* connectedRow = new QHBoxLayout;
    connectedRow->addWidget(connectedLabel);
    connectedRow->addWidget(lblConnectedTo);
    connectedRow->addStretch(1);
    auto* left = new QVBoxLayout;
    left->setSpacing(3);
    left->addLayout(domainRow);
    left->addLayout(connectRow);
    left->addLayout(connectedRow);
    left->addWidget(treeLabel);
    left->addWidget(tvwDomain, 1);
    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    middle->addWidget(cmdAdd);
    middle->addWidget(cmdDelete);
    middle->addStretch(1);
    auto* right = new QVBoxLayout;
    right->setSpacing(3);
    right->addWidget(listLabel);
    right->addWidget(lstContainers, 1);
    auto* columns = new QHBoxLayout(group);
    columns->setContentsMargins(7, 4, 7, 7);
    columns->addLayout(left, 1);
    columns->addLayout(middle);
    columns->addLayout(right, 1);

    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(4, 4, 4, 4);
    pageLayout->addWidget(group);

    connect(optCurrentDomain, &QRadioButton::clicked, this, &TfrmSetup::optCurrentDomainClick);
    connect(optAnotherDomain, &QRadioButton::clicked, this, &TfrmSetup::optAnotherDomainClick);
    connect(cmdConnect, &QPushButton::clicked, this, &TfrmSetup::cmdConnectClick);
    connect(cmdDisconnect, &QPushButton::clicked, this, &TfrmSetup::cmdDisconnectClick);
    connect(tvwDomain, &QTreeWidget::itemExpanded, this, &TfrmSetup::tvwDomainExpanding);
    connect(cmdAdd, &QPushButton::clicked, this, &TfrmSetup::cmdAddClick);
    connect(cmdDelete, &QPushButton::clicked, this, &TfrmSetup::cmdDeleteClick);
    return page;
}

QWidget* TfrmSetup::BuildSearchFieldsPage() {
    QWidget* page = HelpPage(1005);
    auto* fields = Named(new QGroupBox(QStringLiteral("Search the following fields")), "GroupBox2");
    auto* fieldsLayout = new QVBoxLayout(fields);
    for (const SearchFieldDef& box : SearchFieldTable()) {
        auto* check = new QCheckBox(Text(box.BoxCaption));
        check->setObjectName(QStringLiteral("chk") + QLatin1String(box.Key));
        fieldsLayout->addWidget(check);
        flagBoxes_.emplace_back(box.Flag, check);
    }
    fieldsLayout->addStretch(1);

    auto* patterns = Named(new QGroupBox(QStringLiteral("Pattern Matching")), "GroupBox3");
    auto* patternsLayout = new QVBoxLayout(patterns);
    auto addPattern = [&](const char* name, const char* caption, const char* example) {
        auto* option = Named(new QRadioButton(Text(caption)), name);
        auto* line = new QLabel(Text(example));
        line->setObjectName(QLatin1String(name) + QStringLiteral("Example"));
        QPalette blue = line->palette();
        blue.setColor(QPalette::WindowText, Qt::blue);
        line->setPalette(blue);
        line->setIndent(option->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) + 6);
        patternsLayout->addWidget(option);
        patternsLayout->addWidget(line);
        patternsLayout->addSpacing(6);
        return option;
    };
    optSearchExact = addPattern("optSearchExact", "Search for exact text entered",
                                "Smith will find Smith but not Smithson");
    optSearchStartsWith =
        addPattern("optSearchStartsWith", "Search for data starting with text entered",
                   "Smith will find  Smith and Smithson");
    optSearchContains =
        addPattern("optSearchContains", "Search for data containing the text entered",
                   "Smith will find Smith, Smithson and Blacksmith");
    optSearchStartsWith->setChecked(true);
    patternsLayout->addStretch(1);

    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(fields);
    layout->addWidget(patterns, 1);
    return page;
}

QWidget* TfrmSetup::BuildDisplayPage() {
    QWidget* page = HelpPage(1006);
    auto* fields =
        Named(new QGroupBox(QStringLiteral("Display the following fields in the results :")),
              "GroupBox4");
    auto* grid = new QGridLayout(fields);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(24);
    const auto boxes = ResultColumnTable();
    // Nine in the left column, the rest in the right.
    const int leftRows = 9;
    for (size_t i = 0; i < boxes.size(); ++i) {
        auto* check = new QCheckBox(Text(boxes[i].BoxCaption));
        check->setObjectName(QStringLiteral("chk") + QLatin1String(boxes[i].Key));
        grid->addWidget(check, int(i) % leftRows, int(i) / leftRows);
        flagBoxes_.emplace_back(boxes[i].Flag, check);
    }
    grid->setRowStretch(leftRows, 1);

    auto* size = Named(new QGroupBox(QStringLiteral("Size")), "GroupBox5");
    txtSpinWidth = Named(new TSpinEdit(200, 700), "txtSpinWidth");
    txtSpinHeight = Named(new TSpinEdit(100, 500), "txtSpinHeight");
    auto* sizeLayout = new QGridLayout(size);
    auto* widthLabel = new QLabel(QStringLiteral("Width :"));
    auto* heightLabel = new QLabel(QStringLiteral("Height :"));
    widthLabel->setBuddy(txtSpinWidth);
    heightLabel->setBuddy(txtSpinHeight);
    sizeLayout->addWidget(widthLabel, 0, 0);
    sizeLayout->addWidget(txtSpinWidth, 0, 1);
    sizeLayout->addWidget(heightLabel, 1, 0);
    sizeLayout->addWidget(txtSpinHeight, 1, 1);
    sizeLayout->setRowStretch(2, 1);

    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(fields, 1);
    layout->addWidget(size);

    connect(txtSpinWidth, &TSpinEdit::Changed, this, &TfrmSetup::txtSpinWidthChange);
    connect(txtSpinHeight, &TSpinEdit::Changed, this, &TfrmSetup::txtSpinHeightChange);
    return page;
}

QWidget* TfrmSetup::BuildMiscPage() {
    QWidget* page = HelpPage(1007);
    auto* group = Named(new QGroupBox(QStringLiteral("Misc Options")), "GroupBox6");
    txtMaxResults = Named(new TSpinEdit(10, 500), "txtMaxResults");
    txtMaxResults->setValue(100);
    txtSearchTimeOut = Named(new TSpinEdit(1, 120), "txtSearchTimeOut");
    txtSearchTimeOut->setValue(10);
    auto* maxLabel = new QLabel(QStringLiteral("Max Number of Results :"));
    auto* timeoutLabel = new QLabel(QStringLiteral("Search Timeout"));
    maxLabel->setBuddy(txtMaxResults);
    timeoutLabel->setBuddy(txtSearchTimeOut);
    auto check = [](const char* name, const char* caption, const char* hint) {
        auto* box = Named(new QCheckBox(Text(caption)), name);
        box->setToolTip(Text(hint));
        return box;
    };
    chkSearchChildren = check("chkSearchChildren", "Search Child Containers", ChildrenHint);
    chkSearchReferrals = check("chkSearchReferrals", "Search Referrals", ReferralsHint);
    chkHookHotkey = check(
        "chkHookHotkey", "Hook Global Hot Key  ( Windows Key + P)  (Requires Restart)", HotkeyHint);
    chkHideConfig =
        check("chkHideConfig", "Hide Configuration Dialog (Requires Restart)", HideConfigHint);

    auto* numbers = new QGridLayout;
    numbers->addWidget(maxLabel, 0, 0);
    numbers->addWidget(txtMaxResults, 0, 1);
    numbers->addWidget(timeoutLabel, 1, 0);
    numbers->addWidget(txtSearchTimeOut, 1, 1);
    numbers->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(group);
    layout->addLayout(numbers);
    layout->addSpacing(6);
    for (QCheckBox* box : {chkSearchChildren, chkSearchReferrals, chkHookHotkey, chkHideConfig})
        layout->addWidget(box);
    layout->addStretch(1);

    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(4, 4, 4, 4);
    pageLayout->addWidget(group);
    return page;
}

QWidget* TfrmSetup::BuildDiagnosticsPage() {
    QWidget* page = HelpPage(1008);
    auto* label =
        Named(new QLabel(QStringLiteral("Diagnostic results of the last search :")), "Label6");
    lstDiags = Named(new QListWidget, "lstDiags");
    lstDiags->setItemDelegate(new TTabStopDelegate(lstDiags));
    label->setBuddy(lstDiags);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->addWidget(label);
    layout->addWidget(lstDiags, 1);
    return page;
}

void TfrmSetup::MirrorDiagnostics() {
    if (!lstDiags)
        return;
    const std::vector<std::string>& lines = log_.Lines();
    // The log only grows between its clearings: append what is new.
    if (size_t(lstDiags->count()) > lines.size())
        lstDiags->clear();
    for (size_t i = size_t(lstDiags->count()); i < lines.size(); ++i)
        lstDiags->addItem(FromUtf8(lines[i]));
}

void TfrmSetup::ShowSetupDialog() {
    EnsureBuilt();
    QWidget* main = host_.MainWindow;

    main->resize(main->width(), OptionsRec.FormHeight);
    host_.PlaceMainWindow();

    txtSpinWidth->setValue(OptionsRec.FormWidth);
    txtSpinHeight->setValue(OptionsRec.FormHeight);
    main->repaint();

    PlaceDialog();
    LoadControls();

    if (exec() != QDialog::Accepted)
        return;

    SaveControls();
    SaveSettings();
    host_.BuildResultColumns();
}

void TfrmSetup::LoadControls() {
    switch (OptionsRec.SearchType) {
    case 0:
        optSearchExact->setChecked(true);
        break;
    case 1:
        optSearchStartsWith->setChecked(true);
        break;
    case 2:
        optSearchContains->setChecked(true);
        break;
    default: // the buttons keep the state they had
        break;
    }
    for (auto& [flag, box] : flagBoxes_)
        box->setChecked(OptionsRec.*flag != 0);
    txtMaxResults->setValue(OptionsRec.MaxResults);

    // A change of selection runs the newly selected button's reaction.
    QRadioButton* domain = OptionsRec.CurrentDomain != 0 ? optCurrentDomain : optAnotherDomain;
    if (!domain->isChecked()) {
        domain->setChecked(true);
        if (domain == optCurrentDomain)
            optCurrentDomainClick();
        else
            optAnotherDomainClick();
    }
    chkSearchReferrals->setChecked(OptionsRec.SearchReferrals != 0);
    chkSearchChildren->setChecked(OptionsRec.SearchChildren != 0);
    txtDomainName->setText(FromUtf8(OptionsRec.DomainName));
    txtSearchTimeOut->setValue(OptionsRec.SearchTimeout);

    lstContainers->clear();
    tvwDomain->clear();
    for (const std::string& dn : OptionsRec.SearchDN)
        lstContainers->addItem(FromUtf8(dn));

    PageControl1->setCurrentIndex(0);

    cmdDisconnect->setEnabled(false);
    optCurrentDomain->setEnabled(true);
    optAnotherDomain->setEnabled(true);
    txtDomainName->setEnabled(true);

    chkHookHotkey->setChecked(OptionsRec.HookHotkey != 0);
    chkHideConfig->setChecked(OptionsRec.HideConfig != 0);
}

void TfrmSetup::SaveControls() {
    if (optSearchExact->isChecked())
        OptionsRec.SearchType = 0;
    else if (optSearchStartsWith->isChecked())
        OptionsRec.SearchType = 1;
    else if (optSearchContains->isChecked())
        OptionsRec.SearchType = 2;
    for (auto& [flag, box] : flagBoxes_)
        OptionsRec.*flag = box->isChecked() ? 1 : 0;
    OptionsRec.FormWidth = txtSpinWidth->value();
    OptionsRec.FormHeight = txtSpinHeight->value();
    OptionsRec.MaxResults = txtMaxResults->value();
    OptionsRec.CurrentDomain = optCurrentDomain->isChecked() ? 1 : 0;
    OptionsRec.SearchReferrals = chkSearchReferrals->isChecked() ? 1 : 0;
    OptionsRec.SearchChildren = chkSearchChildren->isChecked() ? 1 : 0;
    OptionsRec.DomainName = txtDomainName->text().toUtf8().toStdString();
    OptionsRec.HookHotkey = chkHookHotkey->isChecked() ? 1 : 0;
    OptionsRec.HideConfig = chkHideConfig->isChecked() ? 1 : 0;
    OptionsRec.SearchTimeout = txtSearchTimeOut->value();
    OptionsRec.SearchDN.clear();
    for (int i = 0; i < lstContainers->count(); ++i)
        OptionsRec.SearchDN.push_back(lstContainers->item(i)->text().toUtf8().toStdString());
}

void TfrmSetup::PlaceDialog() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The outer size counts; the frame is known once the window manager has
    // framed the dialog at least once.
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QSize outer = size().grownBy(frame);
    const int left = screen->geometry().width() - outer.width();
    int top = screen->availableGeometry().height() - outer.height() - host_.MainWindow->height();
    if (top <= 0)
        top = 0;
    move(left, top);
}

void TfrmSetup::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // At the first showing the frame is only known once the window manager
    // has put it on; place again when it has.
    QTimer::singleShot(100, this, [this] {
        if (isVisible() && frameGeometry().size() != size())
            PlaceDialog();
    });
}

void TfrmSetup::LiveResize(const TSpinEdit& spin, bool width) {
    QWidget* main = host_.MainWindow;
    const int v = spin.ShownValue();
    if (v >= spin.minimum() && v <= spin.maximum()) {
        if (width)
            main->resize(v, main->height());
        else
            main->resize(main->width(), v);
    }
    host_.PlaceMainWindow();
    main->repaint();
}

void TfrmSetup::txtSpinWidthChange() {
    LiveResize(*txtSpinWidth, true);
}

void TfrmSetup::txtSpinHeightChange() {
    LiveResize(*txtSpinHeight, false);
}

void TfrmSetup::cmdOKClick() {
    accept();
}

void TfrmSetup::cmdCancelClick() {
    reject();
}

void TfrmSetup::keyPressEvent(QKeyEvent* event) {
    // Neither Escape nor Enter closes the dialog.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
