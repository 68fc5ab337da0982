// The end of the desktop session (SIGTERM, SIGHUP, SIGINT) as one callback on the UI thread.
#pragma once

#include <functional>

namespace ossen {

// From now on SIGTERM, SIGHUP and SIGINT do not kill the process at once: they call `handler`
// once on the thread that installed it, from its Qt event loop (self-pipe + QSocketNotifier),
// and the process then exits with status 0 (after `handler` returns). Safe in the signal handler
// (only write() to the pipe). A second signal during `handler` is ignored.
void InstallSessionEndHandler(std::function<void()> handler);

}  // namespace ossen
