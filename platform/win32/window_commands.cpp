#include "platform/win32/window_commands.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/base/unique_fd.h"
#include "platform/win32/named_mapping.h"

namespace ossen {

namespace {

// One request: magic, message, first and second parameter; each 32-bit little-endian.
constexpr std::uint32_t kRequestMagic = 0x3143534fu;  // "OSC1"
constexpr std::size_t kRequestBytes = 16;
// The answer, sent once the handler has returned.
constexpr char kReply[4] = {'D', 'O', 'N', 'E'};

// A connection that has not sent its whole request by then is dropped.
constexpr int kRequestDeadlineMs = 5000;
// More waiting connections than this are refused: a flood costs no more descriptors.
constexpr std::size_t kMaxPendingConnections = 32;
constexpr int kListenBacklog = 16;
constexpr int kCreateAttempts = 64;

constexpr char kSocketPrefix[] = "hwnd-";
constexpr char kSocketSuffix[] = ".sock";

void PutLe32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetLe32(const std::uint8_t* at) {
  return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::string SocketName(HWND handle) {
  char name[32];
  std::snprintf(name, sizeof name, "%s%08x%s", kSocketPrefix, handle, kSocketSuffix);
  return name;
}

// The folder's descriptor lets a socket path too long for sun_path be reached through
// /proc/self/fd instead.
struct SocketFolder {
  std::string path;
  UniqueFd fd;
};

// "<run folder>/windows", private to the user like the run folder itself; its own folder
// keeps socket and lock names apart from the named mappings' files.
SocketFolder OpenSocketFolder() {
  SocketFolder folder;
  std::string table = MappingTableDir();
  if (table.empty()) return folder;
  std::string path = table + "/windows";
  if (::mkdir(path.c_str(), 0700) == 0) ::chmod(path.c_str(), 0700);
  folder.fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  if (folder.fd.get() < 0 || ::fstat(folder.fd.get(), &st) != 0 || st.st_uid != ::geteuid() ||
      (st.st_mode & 077) != 0) {
    Trace("window handles: %s is not a private folder of this user; not used", path.c_str());
    folder.fd.Reset();
    return folder;
  }
  folder.path = std::move(path);
  return folder;
}

bool SocketAddress(const SocketFolder& folder, HWND handle, sockaddr_un* address) {
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  std::string path = folder.path + "/" + SocketName(handle);
  if (path.size() >= sizeof address->sun_path)
    path = "/proc/self/fd/" + std::to_string(folder.fd.get()) + "/" + SocketName(handle);
  if (path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.data(), path.size());
  return true;
}

bool PeerIsThisUser(int fd) {
  ucred credentials{};
  socklen_t length = sizeof credentials;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) return false;
  return credentials.uid == ::geteuid();
}

// Connection attempt that never waits: a listener refuses (ECONNREFUSED) only when nobody
// listens on the file any more.
bool SocketIsStale(const SocketFolder& folder, HWND handle) {
  sockaddr_un address{};
  if (!SocketAddress(folder, handle, &address)) return false;
  UniqueFd probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (probe.get() < 0) return false;
  if (::connect(probe.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return false;
  return errno == ECONNREFUSED;
}

// Removes the sockets of receivers that ended without withdrawing their handle (killed).
// Runs under the folder's creation lock, and every live receiver listens before it lets go
// of that lock, so a refused connection always means a dead owner.
void RemoveStaleSockets(const SocketFolder& folder) {
  UniqueFd listing(::dup(folder.fd.get()));
  if (listing.get() < 0) return;
  DIR* dir = ::fdopendir(listing.get());
  if (dir == nullptr) return;
  listing.Release();
  std::vector<HWND> stale;
  while (dirent* entry = ::readdir(dir)) {
    unsigned handle = 0;
    char tail[8] = {};
    if (std::sscanf(entry->d_name, "hwnd-%8x%7s", &handle, tail) != 2) continue;
    if (SocketName(handle) != entry->d_name) continue;
    if (SocketIsStale(folder, handle)) stale.push_back(handle);
  }
  ::closedir(dir);
  for (HWND handle : stale) ::unlinkat(folder.fd.get(), SocketName(handle).c_str(), 0);
}

HWND RandomHandle() {
  HWND handle = 0;
  while (handle == 0) {
    if (::getrandom(&handle, sizeof handle, 0) != static_cast<ssize_t>(sizeof handle)) {
      auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
      handle = static_cast<HWND>((now ^ (now >> 32)) * 2654435761u ^ static_cast<std::uint32_t>(::getpid()));
    }
  }
  return handle;
}

using CommandHandler = std::function<void(WORD id)>;

// The receivers of this process, so that a command to one of them from its own thread runs
// at once instead of waiting for an event loop that this very call holds up.
class LocalReceivers {
 public:
  static LocalReceivers& Instance() {
    static LocalReceivers receivers;
    return receivers;
  }
  void Add(HWND handle, std::shared_ptr<CommandHandler> handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_[handle] = Entry{std::move(handler), QThread::currentThread()};
  }
  void Remove(HWND handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.erase(handle);
  }
  // The handler when `handle` is a receiver of the calling thread.
  std::shared_ptr<CommandHandler> OnThisThread(HWND handle) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = entries_.find(handle);
    if (it == entries_.end() || it->second.thread != QThread::currentThread()) return nullptr;
    return it->second.handler;
  }

 private:
  struct Entry {
    std::shared_ptr<CommandHandler> handler;
    QThread* thread = nullptr;
  };
  mutable std::mutex mutex_;
  std::unordered_map<HWND, Entry> entries_;
};

// Deletes a QObject from the event loop, so a notifier may be dropped from its own signal.
struct DeleteLater {
  void operator()(QObject* object) const { object->deleteLater(); }
};
template <typename T>
using LaterPtr = std::unique_ptr<T, DeleteLater>;
template <typename T, typename... Args>
LaterPtr<T> MakeLater(Args&&... args) {
  return LaterPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace

class CommandReceiver::Impl {
 public:
  Impl(HWND handle, SocketFolder folder, UniqueFd listener, CommandHandler handler)
      : handle_(handle),
        folder_(std::move(folder)),
        listener_(std::move(listener)),
        handler_(std::make_shared<CommandHandler>(std::move(handler))),
        acceptNotifier_(MakeLater<QSocketNotifier>(listener_.get(), QSocketNotifier::Read)) {
    QObject::connect(acceptNotifier_.get(), &QSocketNotifier::activated, [this] { AcceptPending(); });
    LocalReceivers::Instance().Add(handle_, handler_);
  }

  ~Impl() {
    LocalReceivers::Instance().Remove(handle_);
    // The file goes first, so no new sender finds it; waiting senders then see their
    // connections close.
    ::unlinkat(folder_.fd.get(), SocketName(handle_).c_str(), 0);
    acceptNotifier_->setEnabled(false);
    for (auto& [fd, connection] : connections_) connection.notifier->setEnabled(false);
  }

  HWND handle() const { return handle_; }

 private:
  struct Connection {
    UniqueFd fd;
    std::uint8_t request[kRequestBytes] = {};
    std::size_t received = 0;
    LaterPtr<QSocketNotifier> notifier;
    LaterPtr<QTimer> deadline;
  };

  void AcceptPending() {
    for (;;) {
      UniqueFd fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
      if (fd.get() < 0) {
        if (errno == EINTR) continue;
        return;  // EAGAIN: all taken; anything else: the next readiness tries again
      }
      if (!PeerIsThisUser(fd.get())) {
        Trace("window %08x: refused a connection of another user", handle_);
        continue;
      }
      if (connections_.size() >= kMaxPendingConnections) {
        Trace("window %08x: too many waiting connections; one refused", handle_);
        continue;
      }
      int key = fd.get();
      Connection& connection = connections_[key];
      connection.fd = std::move(fd);
      connection.notifier = MakeLater<QSocketNotifier>(key, QSocketNotifier::Read);
      QObject::connect(connection.notifier.get(), &QSocketNotifier::activated, [this, key] { ReadRequest(key); });
      connection.deadline = MakeLater<QTimer>();
      connection.deadline->setSingleShot(true);
      QObject::connect(connection.deadline.get(), &QTimer::timeout, [this, key] { Drop(key); });
      connection.deadline->start(kRequestDeadlineMs);
    }
  }

  void Drop(int key) {
    auto it = connections_.find(key);
    if (it == connections_.end()) return;
    it->second.notifier->setEnabled(false);
    it->second.deadline->stop();
    connections_.erase(it);
  }

  void ReadRequest(int key) {
    auto it = connections_.find(key);
    if (it == connections_.end()) return;
    Connection& connection = it->second;
    ssize_t got = ::recv(connection.fd.get(), connection.request + connection.received,
                         kRequestBytes - connection.received, MSG_DONTWAIT);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (got <= 0) {  // closed before the whole request, or broken
      Drop(key);
      return;
    }
    connection.received += static_cast<std::size_t>(got);
    if (connection.received < kRequestBytes) return;

    const std::uint8_t* request = connection.request;
    bool wellFormed = GetLe32(request) == kRequestMagic && GetLe32(request + 4) == WM_COMMAND &&
                      GetLe32(request + 8) <= 0xffffu && GetLe32(request + 12) == 0;
    if (!wellFormed) {
      Trace("window %08x: dropped a malformed command", handle_);
      Drop(key);
      return;
    }
    auto id = static_cast<WORD>(GetLe32(request + 8));
    // The handler may destroy this receiver (Exit does): the reply keeps its own descriptor
    // and handler, and nothing of `this` is touched once the handler has been called.
    UniqueFd replyTo(connection.fd.Release());
    std::shared_ptr<CommandHandler> handler = handler_;
    Drop(key);
    (*handler)(id);
    if (::send(replyTo.get(), kReply, sizeof kReply, MSG_NOSIGNAL | MSG_DONTWAIT) != sizeof kReply)
      Trace("command %u: the sender went away before the reply", id);
  }

  HWND handle_;
  SocketFolder folder_;
  UniqueFd listener_;
  std::shared_ptr<CommandHandler> handler_;
  LaterPtr<QSocketNotifier> acceptNotifier_;
  std::unordered_map<int, Connection> connections_;
};

CommandReceiver::CommandReceiver(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CommandReceiver::~CommandReceiver() = default;

std::unique_ptr<CommandReceiver> CommandReceiver::Create(std::function<void(WORD id)> handler) {
  if (!handler || QCoreApplication::instance() == nullptr) {
    Trace("window handle: needs a handler and a running Qt application");
    return nullptr;
  }
  SocketFolder folder = OpenSocketFolder();
  if (folder.path.empty()) return nullptr;
  ExclusiveFileLock lock(folder.path + "/.lock");
  if (!lock.held()) return nullptr;
  RemoveStaleSockets(folder);

  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    HWND handle = RandomHandle();
    sockaddr_un address{};
    if (!SocketAddress(folder, handle, &address)) return nullptr;
    UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (listener.get() < 0) break;
    if (::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      if (errno == EADDRINUSE) continue;  // a live receiver's handle: draw another
      Trace("window handle: cannot bind a socket in %s (errno %d)", folder.path.c_str(), errno);
      return nullptr;
    }
    if (::listen(listener.get(), kListenBacklog) != 0) {
      ::unlinkat(folder.fd.get(), SocketName(handle).c_str(), 0);
      break;
    }
    return std::unique_ptr<CommandReceiver>(new CommandReceiver(
        std::make_unique<Impl>(handle, std::move(folder), std::move(listener), std::move(handler))));
  }
  Trace("window handle: no socket could be made (errno %d)", errno);
  return nullptr;
}

HWND CommandReceiver::handle() const { return impl_->handle(); }

namespace {

using Clock = std::chrono::steady_clock;

// Waits for `events` on `fd` until `deadline`; false on timeout or error.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd entry{fd, events, 0};
    int ready = ::poll(&entry, 1, static_cast<int>(std::min<long long>(left, 1 << 30)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    return true;
  }
}

}  // namespace

BOOL SendCommand(HWND window, WORD id, DWORD timeoutMs) {
  if (window == 0) return 0;
  if (std::shared_ptr<CommandHandler> local = LocalReceivers::Instance().OnThisThread(window)) {
    (*local)(id);
    return 1;
  }
  SocketFolder folder = OpenSocketFolder();
  sockaddr_un address{};
  if (folder.path.empty() || !SocketAddress(folder, window, &address)) return 0;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);

  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (fd.get() < 0) return 0;
  // A full backlog (EAGAIN) is a busy receiver: try again until the time is up.
  while (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    if (errno == EINTR) continue;
    if (errno != EAGAIN || Clock::now() >= deadline) return 0;  // ENOENT, ECONNREFUSED: no such window
    ::usleep(5000);
  }
  if (!PeerIsThisUser(fd.get())) return 0;

  std::uint8_t request[kRequestBytes];
  PutLe32(request, kRequestMagic);
  PutLe32(request + 4, WM_COMMAND);
  PutLe32(request + 8, id);
  PutLe32(request + 12, 0);
  std::size_t sent = 0;
  while (sent < kRequestBytes) {
    ssize_t put = ::send(fd.get(), request + sent, kRequestBytes - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (put > 0) {
      sent += static_cast<std::size_t>(put);
    } else if (put < 0 && errno == EINTR) {
      continue;
    } else if (put < 0 && errno == EAGAIN) {
      if (!WaitFor(fd.get(), POLLOUT, deadline)) return 0;
    } else {
      return 0;
    }
  }

  char reply[sizeof kReply];
  std::size_t got = 0;
  while (got < sizeof reply) {
    if (!WaitFor(fd.get(), POLLIN, deadline)) return 0;
    ssize_t part = ::recv(fd.get(), reply + got, sizeof reply - got, MSG_DONTWAIT);
    if (part < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (part <= 0) return 0;  // the receiver went away without handling it
    got += static_cast<std::size_t>(part);
  }
  return std::memcmp(reply, kReply, sizeof reply) == 0 ? 1 : 0;
}

}  // namespace ossen
