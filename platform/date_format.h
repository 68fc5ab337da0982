// placeholder until the date pictures land: the user's short date picture and the Windows
// picture language for dates and times, enough for the book window's fields.
#pragma once

#include "platform/win_types.h"

namespace ossen {

using LCID = DWORD;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr DWORD DATE_SHORTDATE = 0x0001;

// Formats `moment` by `picture` (d dd M MM yy yyyy; h hh H HH m mm s ss t tt; 'quoted').
// Win32 semantics: with outSize 0 the length needed (terminator included); else the
// characters written with the terminator, 0 when `out` is too small.
int GetDateFormat(LCID locale, DWORD flags, const SYSTEMTIME* moment, const char* picture, char* out, int outSize);
int GetTimeFormat(LCID locale, DWORD flags, const SYSTEMTIME* moment, const char* picture, char* out, int outSize);

// Calls `callback` with the user's short date picture ("sShortDate" under
// HKEY_CURRENT_USER\Control Panel\International, else "M/d/yy") until it returns FALSE.
using DATEFMT_ENUMPROC = BOOL (*)(char* format);
BOOL EnumDateFormats(DATEFMT_ENUMPROC callback, LCID locale, DWORD flags);

}  // namespace ossen
