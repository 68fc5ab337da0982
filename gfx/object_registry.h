// The process-wide records of live graphics objects: every surface, palette and clip region
// made while a graphics context exists is listed here, so that the context's ReleaseAll can
// delete whatever is still alive. Objects made while no context exists are never listed.
//
// The lists live until process exit, when their nodes (not the objects) are freed once.
#pragma once

#include "gfx/object_list.h"

namespace ossen {

ObjectList& SurfaceRegistry();
ObjectList& PaletteRegistry();
ObjectList& ClipRegionRegistry();

// Whether a graphics context exists; the context sets it while it lives.
bool GraphicsContextExists();
void SetGraphicsContextExists(bool exists);

// Lists `object` when a context exists; the node to keep, or null when not listed.
ObjectList::Node* RegisterObject(ObjectList& list, void* object);
// Unlinks a node that RegisterObject returned and clears it; null is ignored. Safe also
// after the lists have been emptied at process exit.
void UnregisterObject(ObjectList& list, ObjectList::Node*& node);

// Deletes every listed palette, always the list head, until the list is empty. A palette
// still referenced elsewhere is deleted too: the context's shut-down ends them all.
void DeleteRegisteredPalettes();

}  // namespace ossen
