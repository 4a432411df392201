#pragma once
// The LDAP client of this platform: wldap32. The session calls its wide (W)
// forms by name, with UTF-8 converted at the seam.
#include "base/windows/WindowsHeader.h"
// windows.h names a function ReplaceFile, as does base/AtomicFile.h.
#undef ReplaceFile

// winber.h needs the types winldap.h declares.
#include <winldap.h>
#include <winber.h>
