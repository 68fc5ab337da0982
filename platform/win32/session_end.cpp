#include "platform/win32/session_end.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

#include "platform/base/trace.h"

namespace ossen {

namespace {

constexpr int kSessionSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The pipe's write end, for the signal handler; -1 until the first installation.
volatile sig_atomic_t signalPipeWrite = -1;

// The UI thread's side of the pipe. It lives until the process ends: a signal can come at
// any time, and the process ends right after the handler anyway.
struct SessionEnd {
  int readFd = -1;
  std::function<void()> handler;
  bool running = false;
  QPointer<QSocketNotifier> notifier;  // owned by the application object
};

SessionEnd& State() {
  static SessionEnd state;
  return state;
}

extern "C" void OnSessionSignal(int) {
  int savedErrno = errno;
  char byte = 1;
  // A full pipe already holds a wake-up; nothing is lost by dropping this one.
  ssize_t written = ::write(signalPipeWrite, &byte, 1);
  (void)written;
  errno = savedErrno;
}

void OnSignalPipeReadable() {
  SessionEnd& state = State();
  char drained[64];
  while (::read(state.readFd, drained, sizeof drained) > 0) {
  }
  // A signal during the handler (its nested event loops deliver this again) changes nothing.
  if (state.running) return;
  state.running = true;
  if (state.handler) state.handler();
  std::fflush(nullptr);
  // Straight out: the application's objects are still on the stack, and what must reach
  // the disk is the handler's work.
  ::_exit(0);
}

bool MakeSignalPipe(SessionEnd& state) {
  if (state.readFd >= 0) return true;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    Trace("session end: no pipe (errno %d); signals keep their default action", errno);
    return false;
  }
  state.readFd = fds[0];
  signalPipeWrite = fds[1];
  return true;
}

}  // namespace

void InstallSessionEndHandler(std::function<void()> handler) {
  SessionEnd& state = State();
  if (QCoreApplication::instance() == nullptr) {
    Trace("session end: needs a running Qt application; signals keep their default action");
    return;
  }
  if (!MakeSignalPipe(state)) return;
  state.handler = std::move(handler);
  if (state.notifier) state.notifier->deleteLater();
  // The application object owns the notifier; it must not outlive the event loop.
  auto notifier = std::make_unique<QSocketNotifier>(state.readFd, QSocketNotifier::Read);
  notifier->setParent(QCoreApplication::instance());
  QObject::connect(notifier.get(), &QSocketNotifier::activated, [] { OnSignalPipeReadable(); });
  state.notifier = notifier.release();

  struct sigaction action {};
  action.sa_handler = OnSessionSignal;
  ::sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kSessionSignals) ::sigaction(signal, &action, nullptr);
}

}  // namespace ossen
