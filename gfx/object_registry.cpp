#include "gfx/object_registry.h"

#include "gfx/palette.h"

namespace ossen {

namespace {

// Set once the first list has been emptied at exit; a plain flag, so it stays readable
// for objects that outlive the lists. Their nodes are then left to the lists that remain.
bool registriesClosed = false;

struct Registry {
  ObjectList list;
  ~Registry() {
    list.Clear();
    registriesClosed = true;
  }
};

Registry& SurfaceList() {
  static Registry registry;
  return registry;
}
Registry& PaletteList() {
  static Registry registry;
  return registry;
}
Registry& ClipRegionList() {
  static Registry registry;
  return registry;
}

bool contextExists = false;

}  // namespace

ObjectList& SurfaceRegistry() { return SurfaceList().list; }
ObjectList& PaletteRegistry() { return PaletteList().list; }
ObjectList& ClipRegionRegistry() { return ClipRegionList().list; }

bool GraphicsContextExists() { return contextExists; }
void SetGraphicsContextExists(bool exists) { contextExists = exists; }

ObjectList::Node* RegisterObject(ObjectList& list, void* object) {
  if (!contextExists) return nullptr;
  return list.Append(object);
}

void UnregisterObject(ObjectList& list, ObjectList::Node*& node) {
  if (!node) return;
  if (!registriesClosed) list.Remove(node);
  node = nullptr;
}

void DeleteRegisteredPalettes() {
  ObjectList& list = PaletteRegistry();
  while (ObjectList::Node* head = list.Head()) {
    // The palette's destructor unlinks its own node, so the head moves on each time.
    Palette::DeleteForShutdown(static_cast<Palette*>(head->object));
  }
}

}  // namespace ossen
