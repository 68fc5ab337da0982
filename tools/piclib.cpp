// piclib: builds a picture library (an OssenDLL.rcc) from a collection of one's own.
//
//   piclib CATALOGUE.txt OUT.rcc [--base LIBRARY.rcc]
//
// The catalogue names one picture per line, "file.jpg|Title|Painter" (see
// schedule/picture_catalogue.h); picture n becomes "BIN/A<n>" (the JPEG file's bytes as
// they are) and "BIN/A<n>P" (its preview and palette, made as for the bundled collection),
// and the catalogue itself travels as "TXT/CATALOGUE". Every picture is decoded first; the
// library is written only when all of them are good and the finished file loads.
//
// The program has 35 slots for paintings. A catalogue of fewer pictures keeps the base
// library's pictures for the other numbers (the bundled collection the build painted,
// unless --base names another library), so no slot is left with an empty frame; when the
// base brings a catalogue of its own, its lines for those numbers are added to ours.
//
// rcc packs the library: the one the build used, or the program named by OSSEN_RCC.
// Exit code 0 on success, 1 with a one-line reason on standard error for input it refuses,
// 2 for bad usage.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "image/jpeg_loader.h"
#include "platform/base/file_io.h"
#include "platform/win32/module.h"
#include "product/product_names.h"
#include "res/library/colour_quantizer.h"
#include "res/library/module_folder.h"
#include "res/library/preview_picture.h"
#include "schedule/picture_catalogue.h"

namespace ossen {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

constexpr std::size_t kMaxCatalogueBytes = std::size_t{1} << 20;
constexpr int kSlotPictures = 35;
constexpr std::size_t kMaxPictureBytes = std::size_t{64} << 20;
constexpr int kExpectedWidth = 1024;
constexpr int kExpectedHeight = 768;

int Refuse(const std::string& reason) {
  std::fprintf(stderr, "piclib: %s\n", reason.c_str());
  return kExitRefused;
}

// The rcc that the build knew, unless OSSEN_RCC names another.
std::string RccProgram() {
  const char* chosen = std::getenv("OSSEN_RCC");
  return chosen && *chosen ? chosen : OSSEN_RCC_PATH;
}

// Runs a program (no shell) with its output going to this process's standard error.
bool RunProgram(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    dup2(STDERR_FILENO, STDOUT_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A scratch folder removed with everything in it when the object goes.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "piclib-XXXXXX").string();
    if (!error && mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The decoder's first warning about the picture being decoded (corrupt data it got past).
std::string jpegWarning;
void KeepJpegWarning(const char* message) { jpegWarning = message; }

// Reads and decodes the picture at `file` (absolute), named `shown` in messages: its file
// bytes and the preview made from them.
bool PreparePicture(const std::filesystem::path& file, const std::string& shown, Bytes& jpeg, Bytes& preview,
                    std::string& reason) {
  switch (ReadFileBytes(file.string(), kMaxPictureBytes, jpeg)) {
    case ReadResult::kOk:
      break;
    case ReadResult::kMissing:
      reason = shown + ": no such file";
      return false;
    case ReadResult::kTooLarge:
      reason = shown + ": larger than " + std::to_string(kMaxPictureBytes >> 20) + " MB";
      return false;
    default:
      reason = shown + ": cannot be read";
      return false;
  }
  // The loader takes Windows paths: drive Z: is the host root.
  DWORD width = 0, height = 0;
  jpegWarning.clear();
  SetJpegWarningHook(KeepJpegWarning);
  const HeapBytes rgb = DecodeJpegFile(("Z:" + file.string()).c_str(), width, height);
  SetJpegWarningHook(nullptr);
  if (!rgb) {
    reason = shown + ": not a JPEG picture that can be decoded";
    return false;
  }
  // The program would show the decoder's complaint every time it applied the picture.
  if (!jpegWarning.empty()) {
    reason = shown + ": damaged JPEG picture (" + jpegWarning + ")";
    return false;
  }
  if (width != kExpectedWidth || height != kExpectedHeight) {
    std::printf("note: %s is %u x %u; the program shows paintings of %d x %d unscaled\n",
                 shown.c_str(), static_cast<unsigned>(width), static_cast<unsigned>(height), kExpectedWidth,
                 kExpectedHeight);
  }
  const RgbPixels pixels{rgb.get(), static_cast<int>(width), static_cast<int>(height)};
  preview = BuildStoredPreview(pixels, QuantizeColours(pixels));
  if (preview.empty()) {
    reason = shown + ": no preview could be made (out of memory)";
    return false;
  }
  return true;
}

// A loaded module, freed when the object goes.
class LoadedModule {
 public:
  explicit LoadedModule(HMODULE module) : module_(module) {}
  ~LoadedModule() {
    if (module_) FreeLibrary(module_);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

ByteView ResourceBytes(HMODULE module, const std::string& name, const char* type) {
  const HRSRC found = FindResource(module, name, type);
  const void* bytes = found ? LockResource(LoadResource(module, found)) : nullptr;
  if (bytes == nullptr) return {};
  return {static_cast<const std::uint8_t*>(bytes), SizeofResource(module, found)};
}

// Pictures first + 1 to 35 of the base library into `module`, and the base catalogue's
// lines for them onto `text`.
bool KeepBasePictures(const std::string& basePath, std::size_t first, ModuleFolder& module, Bytes& text,
                      std::string& reason) {
  Bytes image;
  if (ReadFileBytes(basePath, kMaxModuleFileBytes, image) != ReadResult::kOk) {
    reason = basePath + ": cannot be read; the pictures after number " + std::to_string(first) +
             " come from it (name another with --base)";
    return false;
  }
  const LoadedModule base(LoadModuleFromImage(std::move(image)));
  if (!base.get()) {
    reason = basePath + ": not a picture library";
    return false;
  }
  for (std::size_t n = first + 1; n <= kSlotPictures; ++n) {
    const std::string number = std::to_string(n);
    const ByteView preview = ResourceBytes(base.get(), "A" + number + "P", "BIN");
    const ByteView jpeg = ResourceBytes(base.get(), "A" + number, "BIN");
    if (preview.empty() || jpeg.empty()) {
      reason = basePath + ": has no picture " + number + " to fill the numbers the catalogue leaves";
      return false;
    }
    if (!module.Add("BIN", "A" + number + "P", preview) || !module.Add("BIN", "A" + number, jpeg)) {
      reason = "cannot write into " + module.root().string();
      return false;
    }
  }
  // The base's own titles for those numbers travel with its pictures.
  const ByteView baseText = ResourceBytes(base.get(), "CATALOGUE", "TXT");
  std::vector<CataloguePicture> basePictures;
  std::string ignored;
  if (!baseText.empty() &&
      ParseCatalogue(std::string_view(reinterpret_cast<const char*>(baseText.data()), baseText.size()), basePictures,
                     ignored) &&
      basePictures.size() > first) {
    std::string lines = text.empty() || text.back() == '\n' ? "" : "\n";
    lines += "# pictures " + std::to_string(first + 1) + " to " + std::to_string(basePictures.size()) + " come from " +
             std::filesystem::path(basePath).filename().string() + "\n";
    for (std::size_t i = first; i < basePictures.size(); ++i) {
      lines += basePictures[i].file + "|" + basePictures[i].title + "|" + basePictures[i].painter + "\n";
    }
    text.insert(text.end(), lines.begin(), lines.end());
  }
  return true;
}

int Run(const std::string& cataloguePath, const std::string& outputPath, const std::string& basePath) {
  Bytes text;
  if (ReadFileBytes(cataloguePath, kMaxCatalogueBytes, text) != ReadResult::kOk) {
    return Refuse(cataloguePath + ": cannot be read (missing, or larger than 1 MB)");
  }
  std::vector<CataloguePicture> pictures;
  std::string reason;
  if (!ParseCatalogue(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), pictures, reason)) {
    return Refuse(cataloguePath + ": " + reason);
  }

  ScratchFolder scratch;
  if (scratch.path().empty()) return Refuse("no temporary folder can be made");
  ModuleFolder module(scratch.path() / "resources");
  std::error_code error;
  const std::filesystem::path base = std::filesystem::absolute(cataloguePath, error).parent_path();
  if (error) return Refuse(cataloguePath + ": its folder cannot be found");
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    Bytes jpeg, preview;
    if (!PreparePicture(base / pictures[i].file, pictures[i].file, jpeg, preview, reason)) {
      return Refuse(cataloguePath + ":" + std::to_string(pictures[i].line) + ": " + reason);
    }
    const std::string number = std::to_string(i + 1);
    if (!module.Add("BIN", "A" + number + "P", preview) || !module.Add("BIN", "A" + number, jpeg)) {
      return Refuse("cannot write into " + scratch.path().string());
    }
  }
  if (pictures.size() < kSlotPictures && !KeepBasePictures(basePath, pictures.size(), module, text, reason)) {
    return Refuse(reason);
  }
  if (!module.Add("TXT", "CATALOGUE", text)) return Refuse("cannot write into " + scratch.path().string());
  const std::filesystem::path list = module.WriteResourceList(product::kPictureLibraryList);
  const std::string packed = (scratch.path() / product::kPictureLibraryFile).string();
  if (list.empty() || !RunProgram(RccCommand(RccProgram(), list.string(), packed))) {
    return Refuse("rcc (" + RccProgram() + ") could not pack the library; set OSSEN_RCC to Qt's rcc");
  }

  Bytes library;
  if (ReadFileBytes(packed, kMaxModuleFileBytes, library) != ReadResult::kOk) {
    return Refuse("the packed library is missing or too large");
  }
  HMODULE check = LoadModuleFromImage(library);
  if (!check) return Refuse("the packed library does not load");
  FreeLibrary(check);
  if (!WriteFileAtomically(outputPath, library.data(), library.size())) {
    return Refuse(outputPath + ": cannot be written");
  }
  if (pictures.size() < kSlotPictures) {
    std::printf("%s: %zu pictures, %zu to %d from %s\n", outputPath.c_str(), pictures.size(), pictures.size() + 1,
                kSlotPictures, basePath.c_str());
  } else {
    std::printf("%s: %zu pictures\n", outputPath.c_str(), pictures.size());
  }
  return kExitOk;
}

}  // namespace
}  // namespace ossen

int main(int argc, char** argv) {
  std::vector<std::string> files;
  // The bundled collection: an installed piclib's own, else the one its build painted.
  std::string base = ossen::InstalledDataFolder() + "/" + ossen::product::kPictureLibraryFile;
  if (!std::filesystem::is_regular_file(base)) base = OSSEN_BUNDLED_LIBRARY;
  bool usage = false;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--base" && i + 1 < argc) base = argv[++i];
    else if (word.rfind("--", 0) == 0) usage = true;
    else files.push_back(word);
  }
  if (usage || files.size() != 2) {
    std::fprintf(stderr,
                 "usage: piclib CATALOGUE.txt OUT.rcc [--base LIBRARY.rcc]\n"
                 "The catalogue holds one picture per line, file.jpg|Title|Painter (at most 35;\n"
                 "# starts a comment; file names are relative to the catalogue). Numbers it\n"
                 "leaves keep the base library's pictures (default: the bundled collection).\n");
    return ossen::kExitUsage;
  }
  return ossen::Run(files[0], files[1], base);
}
