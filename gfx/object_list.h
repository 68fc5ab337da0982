// A doubly linked list of object pointers. Appending hands back the node, which the object
// keeps so that it can unlink itself in constant time. The list owns its nodes, never the
// objects they point at.
#pragma once

#include <cstdint>

namespace ossen {

class ObjectList {
 public:
  struct Node {
    Node* next = nullptr;
    Node* previous = nullptr;
    void* object = nullptr;
  };

  ObjectList() = default;
  ObjectList(const ObjectList&) = delete;
  ObjectList& operator=(const ObjectList&) = delete;
  ~ObjectList() { Clear(); }

  // Appends at the tail; null when no node could be allocated.
  Node* Append(void* object);
  // Unlinks and frees a node of this list; null is ignored.
  void Remove(Node* node);
  // Frees every node; the objects are left alone.
  void Clear();

  Node* Head() const { return head_; }
  Node* Tail() const { return tail_; }
  std::uint32_t Count() const { return count_; }
  bool Empty() const { return count_ == 0; }

 private:
  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  std::uint32_t count_ = 0;
};

}  // namespace ossen
