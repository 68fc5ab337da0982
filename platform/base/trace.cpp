#include "platform/base/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ossen {

namespace {
TraceSink g_sink = nullptr;
}

TraceSink SetTraceSink(TraceSink sink) {
  TraceSink old = g_sink;
  g_sink = sink;
  return old;
}

void Trace(const char* format, ...) {
  char line[kTraceMaxChars + 1] = {};
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);  // cuts what does not fit
  va_end(args);

  if (g_sink) g_sink(line);
  if (std::getenv("OSSEN_TRACE")) {
    std::size_t n = std::strlen(line);
    std::fputs(line, stderr);
    if (n == 0 || line[n - 1] != '\n') std::fputc('\n', stderr);
  }
}

}  // namespace ossen
