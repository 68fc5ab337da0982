// Temporary file names as Windows hands them out.
#pragma once

#include "platform/base/win_types.h"

namespace ossen {

// Forms `folder` + up to three characters of `prefix` + `unique` as upper-case hex (its
// low 16 bits, at most four digits) + ".TMP" into `out` (MAX_PATH characters).
// With `unique` 0 the number is picked here: the first free one, walking through
// 1..0xFFFF from a time- and process-dependent start, and the file is created empty
// (exclusively, mode 0600) so no other caller gets the same name. Returns the number used
// (`unique` itself when it was given), 0 on failure. `out` always holds a terminated
// string afterwards: the name, or "" on failure.
UINT GetTempFileName(const char* winFolder, const char* prefix, UINT unique, char* out);

// A fresh, created temporary file in the temporary folder ("c:\" when that folder cannot
// be entered), with `prefix` ("TMP" when null). The current directory is left as it was.
// Returns the number used, 0 on failure (with "" in `out`).
UINT MakeTempFileName(const char* prefix, char* out);

}  // namespace ossen
