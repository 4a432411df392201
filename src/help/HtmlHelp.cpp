#include "help/HtmlHelp.h"

#include "BuildInfo.h"
#include "base/ExecutablePath.h"
#include "help/HtmlHelpViewer.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

THtmlHelp::THtmlHelp(std::function<QString()> helpFilePath)
    : helpFilePath_(std::move(helpFilePath)) {}

THtmlHelp::~THtmlHelp() = default;

bool THtmlHelp::LoadHtmlHelp() {
    if (!viewer_)
        viewer_ = LoadHtmlHelpViewer();
    return viewer_ != nullptr;
}

void THtmlHelp::SetViewer(std::unique_ptr<IHtmlHelpViewer> viewer) {
    viewer_ = std::move(viewer);
}

int32_t THtmlHelp::OpenHelp(uint16_t Command, int32_t Data) {
    const QString path = helpFilePath_();
    // Said once a run; afterwards the viewer gets the request and says
    // what it says about a missing file.
    if (!warned_ && !QFileInfo::exists(path)) {
        warned_ = true;
        QMessageBox box(QMessageBox::Warning, QString::fromUtf8(ProductName),
                        QStringLiteral("Cannot find Help File : ") + path, QMessageBox::Ok);
        box.exec();
        return 0;
    }
    if (!viewer_)
        return 0;
    switch (Command) {
    case HELP_CONTEXT:
        viewer_->HtmlHelp(path, HH_HELP_CONTEXT, Data);
        break;
    case HELP_CONTENTS:
        viewer_->HtmlHelp(path, HH_DISPLAY_INDEX, Data);
        break;
    case HELP_TOC:
        viewer_->HtmlHelp(path, HH_DISPLAY_TOC, 0);
        break;
    default:
        break;
    }
    return 0;
}

QString HelpFilePath() {
    return QDir(QFile::decodeName(findaro::ExecutableFolder().c_str()))
        .filePath(QString::fromUtf8(HelpFileName));
}

THtmlHelp& ApplicationHelp() {
    static THtmlHelp help(HelpFilePath);
    return help;
}

bool LoadHtmlHelp() {
    return ApplicationHelp().LoadHtmlHelp();
}

int32_t OpenHelp(uint16_t Command, int32_t Data) {
    return ApplicationHelp().OpenHelp(Command, Data);
}
