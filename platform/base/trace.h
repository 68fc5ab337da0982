// The diagnostic trace: one printf-style line at a time, at most 255 characters.
//
// Lines go to standard error when OSSEN_TRACE is set in the environment and nowhere
// otherwise; a sink installed with SetTraceSink sees every line either way (tests use it).
#pragma once

namespace ossen {

inline constexpr int kTraceMaxChars = 255;

void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

using TraceSink = void (*)(const char* line);
// Installs a function that receives every traced line; null removes it. Returns the old one.
TraceSink SetTraceSink(TraceSink sink);

}  // namespace ossen
