#pragma once
// The LDAP client of this platform: OpenLDAP's libldap.
#include <ldap.h>
