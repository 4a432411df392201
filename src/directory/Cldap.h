#pragma once
// The directory classes: entries, the search connection and the browser.
#include "directory/LdapBrowser.h"
#include "directory/LdapConnection.h"
#include "directory/LdapEntries.h"
