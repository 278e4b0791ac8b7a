#pragma once

// The ODBC API as Windows declares it: its headers need the system's types
// first.
#include <windows.h>

#include <sql.h>
#include <sqlext.h>
