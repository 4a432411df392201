// Outside Windows a test's proxy values are a file in its own folder.
#include "AboutTestSupport.h"

std::string ScratchProxyLocation(const QString& folder) {
    return (folder + QStringLiteral("/Quillmere/ProxySettings.reg")).toStdString();
}

void RemoveScratchProxyLocation(const std::string&) {} // the folder goes with the test
