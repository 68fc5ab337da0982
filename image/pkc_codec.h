// The zlib form of a packed DIB: header and colour table (or masks) as they are, then the
// raw rows as one MEMO block. Compression 0 is stored as "PKC1", 3 (bit fields) as "PKC2".
#pragma once

#include "image/global_block.h"

namespace ossen {

// A new "PKC1"/"PKC2" packed DIB, or null unless `dib` is a whole packed DIB with
// compression 0 or 3.
GlobalBlock PkcCompress(ByteView dib);

// A new packed DIB with compression 0 ("PKC1") or 3 ("PKC2") and image size 0, or null
// unless `dib` is a whole "PKC1"/"PKC2" packed DIB whose block inflates to at least
// stride x height bytes.
GlobalBlock PkcDecompress(ByteView dib);

}  // namespace ossen
