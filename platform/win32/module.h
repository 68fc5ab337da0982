// Modules and their resources.
//
// A module is a set of named, typed resources. The program's own module is compiled into
// the executable with the Qt resource system; a loadable module such as "OssenDLL" is a Qt
// binary resource file, "<name>.rcc", written uncompressed (rcc -binary -no-compress).
//
// Layout inside a module: every resource is the file "/<TYPE>/<NAME>" under the module's
// root. TYPE and NAME are either a text in ASCII upper case ("BIN", "A12P") or an integer id
// written "#" and its decimal digits ("#2" for RT_BITMAP, "#128"). Lookups upper-case the
// text they are given, so "bin"/"book" finds "/BIN/BOOK", as Win32 names compare without
// regard to case. The program's own module has its root at kProgramModuleRoot in the
// executable's compiled-in resources (a .qrc with that prefix); a loadable module has its
// root at the root of its .rcc file.
//
// Strings: string id n is the resource "/#6/#n" (RT_STRING), holding the single-byte text
// itself, without a terminator. Everything in the file is the text (a trailing newline too).
//
// A resource's bytes are read in place, never copied (except a compiled-in resource that
// was compressed at build time, which is inflated once and kept), and stay valid while the
// module is loaded. A loadable module's file is checked whole before Qt sees it: a damaged
// or hostile file, or one above kMaxModuleFileBytes, is refused and never read outside its
// bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/win_types.h"

namespace ossen {

// Opaque handles, declared the way Win32 declares them.
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HRSRC__;
using HRSRC = HRSRC__*;
using HGLOBAL = void*;

// The resource root of the program's own module inside the executable.
inline constexpr char kProgramModuleRoot[] = "/ossen";
// Larger resource files are not loaded.
inline constexpr std::size_t kMaxModuleFileBytes = std::size_t{256} << 20;

// The name or type of a resource: a text, or an integer id (what MAKEINTRESOURCE makes in
// Win32). A text "#123" is the integer id 123, as in Win32. A null or empty text, a text
// holding '/', or an id outside 1..65535 names nothing.
class ResourceId {
 public:
  ResourceId(int id);               // NOLINT: ids convert implicitly, as in Win32
  ResourceId(const char* name);     // NOLINT: so do texts
  ResourceId(const std::string& name);  // NOLINT

  bool IsInteger() const { return isInteger_; }
  bool IsValid() const { return valid_; }
  WORD Integer() const { return id_; }
  // The upper-cased text; empty for an integer id.
  const std::string& Text() const { return text_; }
  // The path component in a module: "#123" or the upper-cased text; "" when not valid.
  std::string PathComponent() const;

 private:
  void SetText(const char* name, std::size_t length);

  bool isInteger_ = false;
  bool valid_ = false;
  WORD id_ = 0;
  std::string text_;
};

inline ResourceId MAKEINTRESOURCE(int id) { return ResourceId(id); }

// The standard resource types.
inline constexpr int RT_CURSOR = 1;
inline constexpr int RT_BITMAP = 2;
inline constexpr int RT_ICON = 3;
inline constexpr int RT_MENU = 4;
inline constexpr int RT_DIALOG = 5;
inline constexpr int RT_STRING = 6;
inline constexpr int RT_RCDATA = 10;
inline constexpr int RT_GROUP_CURSOR = 12;
inline constexpr int RT_GROUP_ICON = 14;

// Loads a module by name: "OssenDLL", "OssenDLL.dll" and "OssenDLL.rcc" all name
// "OssenDLL.rcc". A bare name is searched in the executable's folder, the current folder,
// the per-user program folder (C:\OSSEN), the installed data folder (below), the system
// folder, the Windows folder, then each folder of PATH; the file name matches without
// regard to case. A name with a folder in it ("C:\x\OssenDLL") is that file only.
// Loading a file that is already loaded hands out the same module again, counted. Null
// when no file is found or the first one found is refused.
HMODULE LoadLibrary(const char* name);
// The host folder of the running program's own file; "" when it cannot be read.
std::string ExecutableFolder();
// Where an installed copy keeps its shared files: "<the executable's folder>/../share/ossen"
// as the build's install rules lay it out (the relative way from the programs' folder to
// the data folder). A host path, whether or not it exists.
std::string InstalledDataFolder();
// Loads a module from a resource file's bytes already in memory, checked as a file is.
// Each call gives a new module. Null when refused.
HMODULE LoadModuleFromImage(std::vector<std::uint8_t> image);
// Undoes one LoadLibrary; the last one unloads the module, and with it every resource
// handle and byte it gave out. The program's own module is never unloaded. FALSE for null
// or a handle that is not loaded.
BOOL FreeLibrary(HMODULE module);
// Hands back what an idle process need not hold, as Windows' EmptyWorkingSet does for the
// current process: the resident pages of every loaded module's file (read again from the file
// when next used; the kernel may have mapped them in 2 MB pieces) and the heap's free pages.
// Every handle and pointer stays valid.
void EmptyWorkingSet();
// The program's own module for null; else the loaded module whose file has that name
// ("OssenDLL", "OssenDLL.dll", any case), without counting a load; null when none is loaded.
HMODULE GetModuleHandle(const char* name);

// The resource of that name and type in the module (null: the program's own), or null.
HRSRC FindResource(HMODULE module, const ResourceId& name, const ResourceId& type);
// The resource's size in bytes; 0 for null.
DWORD SizeofResource(HMODULE module, HRSRC resource);
// A handle to the resource's bytes, valid while the module is loaded; null for null.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The first byte of a loaded resource (read-only), null for null.
const void* LockResource(HGLOBAL loaded);
// Nothing to release: the bytes belong to the module. FALSE, as in Win32.
BOOL FreeResource(HGLOBAL loaded);

// Copies string `id` of the module (null: the program's own) into `buffer`: at most
// size - 1 characters and a terminator. Returns the number of characters copied; 0 when the
// string is missing or empty, or the buffer is null or has no room (an empty string is
// written when there is room for the terminator). The text ends at its first NUL byte.
int LoadString(HINSTANCE module, UINT id, char* buffer, int size);

}  // namespace ossen
