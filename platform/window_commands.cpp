#include "platform/window_commands.h"

namespace ossen {

class CommandReceiver::Impl {
 public:
  HWND handle = 0;
};

CommandReceiver::CommandReceiver(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CommandReceiver::~CommandReceiver() = default;

std::unique_ptr<CommandReceiver> CommandReceiver::Create(std::function<void(WORD id)>) { return nullptr; }

HWND CommandReceiver::handle() const { return impl_->handle; }

BOOL SendCommand(HWND, WORD, DWORD) { return 0; }

}  // namespace ossen
