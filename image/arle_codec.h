// Run-length forms of 8-bit packed DIBs.
//
// "ARLE": after the colour table, a table of one 32-bit offset per row (top row first,
// counted from the table's start), then each row as tokens. The top two bits of a token's
// first byte choose it, the low six count pixels:
//   00LLLLLL  short literal, L pixel bytes follow
//   01LLLLLL  short run, one pixel byte follows
//   10LLLLLL  long literal, length L x 256 + next byte, then that many pixel bytes
//   11LLLLLL  long run, length L x 256 + next byte, then one pixel byte
// "PRLE": the same ARLE data as one MEMO block.
//
// Every function takes the bytes of a whole packed DIB and returns a new packed DIB in one
// fixed global block, or null for any input it does not take or cannot read safely.
#pragma once

#include "image/global_block.h"

namespace ossen {

// Longest run or literal one token holds; longer ones are written as several tokens.
inline constexpr unsigned kArleMaxTokenPixels = 16383;

GlobalBlock ArleEncode(ByteView dib);   // 8 bits, compression 0 -> "ARLE"
GlobalBlock ArleDecode(ByteView dib);   // 8 bits, "ARLE" -> compression 0
GlobalBlock PrleEncode(ByteView dib);   // 8 bits, compression 0 -> "PRLE"
GlobalBlock PrleDecode(ByteView dib);   // 8 bits, "PRLE" -> compression 0
GlobalBlock ArleToPrle(ByteView dib);   // "ARLE" -> "PRLE", the ARLE data packed as it is
GlobalBlock PrleToArle(ByteView dib);   // "PRLE" -> "ARLE"

}  // namespace ossen
