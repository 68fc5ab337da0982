#include "gfx/object_list.h"

#include <memory>
#include <new>

namespace ossen {

// Nodes are allocated one at a time; ownership passes to the links and comes back through
// a unique_ptr when a node is removed, so each node is freed exactly once.

ObjectList::Node* ObjectList::Append(void* object) {
  std::unique_ptr<Node> owned(new (std::nothrow) Node);
  if (!owned) return nullptr;
  Node* node = owned.release();
  node->object = object;
  node->previous = tail_;
  if (tail_) {
    tail_->next = node;
  } else {
    head_ = node;
  }
  tail_ = node;
  ++count_;
  return node;
}

void ObjectList::Remove(Node* node) {
  if (!node) return;
  std::unique_ptr<Node> owned(node);
  if (node->previous) {
    node->previous->next = node->next;
  } else {
    head_ = node->next;
  }
  if (node->next) {
    node->next->previous = node->previous;
  } else {
    tail_ = node->previous;
  }
  --count_;
}

void ObjectList::Clear() {
  while (head_) Remove(head_);
}

}  // namespace ossen
