#pragma once
// The LDAP client of this platform: wldap32, in its 8-bit forms (UNICODE is
// not defined, so the unsuffixed names are the A forms).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// windows.h names a function ReplaceFile, as does base/AtomicFile.h.
#undef ReplaceFile

// winber.h needs the types winldap.h declares.
#include <winldap.h>
#include <winber.h>
