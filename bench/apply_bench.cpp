// ApplySlot measured against its peer in the same run:
//   ApplySlot of painting 12 with all three elements at 800 x 600 (wallpaper scaled,
//   start-up image, screen saver records)    vs  libjpeg-turbo decoding its JPEG to memory
// and each step of the apply on its own, to show where the time beyond the decode goes;
// at 1920 x 1080 and 3840 x 2160:
//   the Windows records (ApplySlot with all three elements, no desktop)  vs  the decode
//   ossen.bmp's bytes alone written to a file, durably and into the page cache only
//                                                                        vs  the decode
//   the picture a settings desktop gets (the stored JPEG copied to a fresh file, the
//   placement read from the records, the older copy removed)           vs  the decode
// The desktop bridge is off (OSSEN_DESKTOP_BRIDGE=off, the screen size set here); the
// prefix and program folder are a fresh folder under TMPDIR (default /tmp).
// Run: build/bench/apply_bench (Google Benchmark flags are passed on).
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/fastest_times.h"
#include "desktop/desktop_picture.h"
#include "desktop/wallpaper_request.h"
#include "engine/apply_engine.h"
#include "engine/painting_picture.h"
#include "gfx/pixel_convert.h"
#include "image/packed_dib.h"
#include "image/resource_source.h"
#include "platform/base/file_io.h"
#include "platform/win32/desktop_settings.h"
#include "platform/win32/paths.h"
#include "platform/win32/profile.h"
#include "platform/win32/registry_helpers.h"
#include "product/product_names.h"
#include "schedule/slot_store.h"
// Last: its TRUE and FALSE macros would clash with the platform's constants.
#include "bench/libjpeg_peer.h"  // includes <jpeglib.h>

namespace ossen::bench {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kPainting = 12;
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

class QuietHost : public ApplyHost {
 public:
  bool IsRandomTicked() const override { return false; }
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  void ShowMessage(const char*) override {}
  void ShowTrayNotice(const std::string&) override {}
};

// The prefix, program folder, library and slot list every case shares.
struct Setting {
  std::string root;
  std::string programDir;  // Windows path, ending in a backslash
  std::string jpegHostPath;  // the painting's JPEG, written out once
  HMODULE library = nullptr;
  SlotList slots;

  Setting() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/apply_bench.XXXXXX";
    root = ::mkdtemp(pattern.data()) != nullptr ? pattern : "";
    std::filesystem::create_directories(root + "/program");
    ::setenv("OSSEN_PREFIX", (root + "/prefix").c_str(), 1);
    ::setenv("OSSEN_DESKTOP_BRIDGE", "off", 1);
    ::chdir((root + "/program").c_str());
    std::filesystem::copy_file(OSSEN_PICTURE_LIBRARY_FILE, root + "/program/OssenDLL.rcc");
    library = LoadLibrary(product::kPictureLibraryName);
    programDir = WinPathFromHost(root + "/program") + "\\";
    std::filesystem::create_directories(HostPathFromWin(kTempDirectory));
    SetScreenSizeOverride(kScreenWidth, kScreenHeight);
    InsertSlot(slots, std::make_unique<SlotRecord>(SlotRecord{0, "Title", "Artist", 1000, kAllElements, 0, kPainting}));
    ResourceSource jpeg(library, PaintingResourceName(kPainting), kPictureResourceType);
    jpegHostPath = root + "/painting.jpg";
    jpeg.WriteToFile(WinPathFromHost(jpegHostPath).c_str());
  }
  ~Setting() {
    if (!root.empty()) std::filesystem::remove_all(root);
  }
};

Setting& Shared() {
  static Setting setting;
  return setting;
}

void ApplyAllElements(benchmark::State& state) {
  Setting& s = Shared();
  QuietHost host;
  const ApplyInputs inputs{s.slots, s.programDir, s.library};
  for (auto _ : state) ApplySlot(inputs, host, 0);
}

// The Windows records on a screen of today: "ossen.bmp" at the screen's size, "logo.sys",
// the screen saver's records.
void ApplyRecords(benchmark::State& state, int width, int height) {
  Setting& s = Shared();
  QuietHost host;
  const ApplyInputs inputs{s.slots, s.programDir, s.library};
  SetScreenSizeOverride(width, height);
  for (auto _ : state) ApplySlot(inputs, host, 0);
  SetScreenSizeOverride(kScreenWidth, kScreenHeight);
}

// What the engine adds for a settings desktop (whose tools run outside the program): the
// stored JPEG in a fresh file, the placement, the copy before it removed. The screen's
// size does not enter; the rows stand beside the records of the same size.
void DesktopPicture(benchmark::State& state, int width, int height) {
  Setting& s = Shared();
  SetScreenSizeOverride(width, height);
  for (auto _ : state) {
    const ResourceSource jpeg(s.library, PaintingResourceName(kPainting), kPictureResourceType);
    WallpaperRequest request{WriteDesktopPicture(jpeg.data, jpeg.size), ReadWallpaperPlacement()};
    RemovePictureCopies(DesktopPictureFolder(), request.picturePath);
    benchmark::DoNotOptimize(request.picturePath.data());
  }
  SetScreenSizeOverride(kScreenWidth, kScreenHeight);
}

// The floor under the records: a file the size of "ossen.bmp" at the screen's size (header,
// colour table, rows) written into a fresh file and renamed over the last one, either
// durably (WriteFileAtomically: flushed to disk first) or into the page cache only.
void FileFloor(benchmark::State& state, int width, int height, bool durable) {
  const Bytes bytes(14 + 40 + 1024 + static_cast<std::size_t>((width + 3) / 4 * 4) * static_cast<std::size_t>(height), 7);
  const std::string path = Shared().root + "/floor.bmp";
  const std::string temp = path + ".new";
  for (auto _ : state) {
    if (durable) {
      WriteFileAtomically(path, bytes.data(), bytes.size());
    } else {
      std::FILE* file = std::fopen(temp.c_str(), "wb");
      if (file == nullptr) return state.SkipWithError("no file");
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::fclose(file);
      std::rename(temp.c_str(), path.c_str());
    }
  }
}

// libjpeg-turbo on its own: the same JPEG decoded into one buffer of RGB rows.
void LibjpegDecode(benchmark::State& state) {
  const std::string& path = Shared().jpegHostPath;
  Bytes out;
  for (auto _ : state) {
    DecodeWithLibjpeg(path, out);
    benchmark::DoNotOptimize(out.data());
  }
}

// The steps of the apply, one at a time.
void StepPreviewPalette(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(LoadPreviewPalette(Shared().library, kPainting).get());
}

void StepDecodeJpeg(benchmark::State& state) {
  const std::string winPath = WinPathFromHost(Shared().jpegHostPath);
  for (auto _ : state) benchmark::DoNotOptimize(LoadJpegPicture(winPath.c_str()).get());
}

void StepWholePicture(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(LoadPaintingPicture(Shared().library, kPainting).get());
}

void StepMapToPalette(benchmark::State& state) {
  const std::string winPath = WinPathFromHost(Shared().jpegHostPath);
  PaletteRef palette = LoadPreviewPalette(Shared().library, kPainting);
  SurfaceRef<DibImage> decoded = LoadJpegPicture(winPath.c_str());
  for (auto _ : state) {
    state.PauseTiming();
    SurfaceRef<DibImage> picture = DibImage::New();
    picture->CopyFrom(decoded.get());
    state.ResumeTiming();
    picture->ConvertFormat(kFormatIndexed8, palette.get(), kConvertMapToPalette);
  }
}

const SurfaceRef<DibImage>& EightBitPicture() {
  static SurfaceRef<DibImage> picture = LoadPaintingPicture(Shared().library, kPainting);
  return picture;
}

void StepScaleWallpaper(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ScaledPicture(*EightBitPicture(), kScreenWidth, kScreenHeight).get());
}

void StepScaleStartupImage(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ScaledPicture(*EightBitPicture(), 320, 400).get());
}

void StepWriteFiles(benchmark::State& state) {
  SurfaceRef<DibImage> wall = ScaledPicture(*EightBitPicture(), kScreenWidth, kScreenHeight);
  SurfaceRef<DibImage> boot = ScaledPicture(*EightBitPicture(), 320, 400);
  const std::string folder = Shared().root + "/program/";
  for (auto _ : state) {
    WriteBitmapFile(folder + product::kWallpaperFile, *wall);
    WriteBitmapFile(HostPathFromWin("C:\\logo.sys"), *boot);
  }
}

void StepSettings(benchmark::State& state) {
  const std::string wallpaper = Shared().programDir + product::kWallpaperFile;
  for (auto _ : state) {
    SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(wallpaper.c_str()), 3);
    RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, kPainting);
    WritePrivateProfileString("boot", "SCRNSAVE.EXE", "C:\\WINDOWS\\SYSTEM\\ossen.scr", "system.ini");
    SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, 1, nullptr, 1);
  }
}

BENCHMARK(ApplyAllElements)->Unit(benchmark::kMillisecond);
BENCHMARK(LibjpegDecode)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ApplyRecords, 1920x1080, 1920, 1080)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ApplyRecords, 3840x2160, 3840, 2160)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FileFloor, 1920x1080_durable, 1920, 1080, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FileFloor, 1920x1080_cached, 1920, 1080, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FileFloor, 3840x2160_durable, 3840, 2160, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FileFloor, 3840x2160_cached, 3840, 2160, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DesktopPicture, 1920x1080, 1920, 1080)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DesktopPicture, 3840x2160, 3840, 2160)->Unit(benchmark::kMillisecond);
BENCHMARK(StepPreviewPalette)->Unit(benchmark::kMillisecond);
BENCHMARK(StepDecodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(StepMapToPalette)->Unit(benchmark::kMillisecond);
BENCHMARK(StepWholePicture)->Unit(benchmark::kMillisecond);
BENCHMARK(StepScaleWallpaper)->Unit(benchmark::kMillisecond);
BENCHMARK(StepScaleStartupImage)->Unit(benchmark::kMillisecond);
BENCHMARK(StepWriteFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(StepSettings)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ossen::bench

int main(int argc, char** argv) {
  return ossen::bench::RunAndPrintRatios(argc, argv, [](const ossen::bench::FastestTimes& times) {
    std::printf("ApplySlot time / libjpeg-turbo decode time = %.2f (target <= 1.3)\n",
                times.Ratio("ApplyAllElements", "LibjpegDecode"));
    for (const char* size : {"1920x1080", "3840x2160"}) {
      std::printf("%s: Windows records / decode = %.2f (target <= 1.3), desktop picture / decode = %.3f "
                  "(target <= 0.1)\n",
                  size, times.Ratio(std::string("ApplyRecords/") + size, "LibjpegDecode"),
                  times.Ratio(std::string("DesktopPicture/") + size, "LibjpegDecode"));
      std::printf("  its ossen.bmp alone, written durably / decode = %.2f, into the page cache only / decode = %.2f\n",
                  times.Ratio(std::string("FileFloor/") + size + "_durable", "LibjpegDecode"),
                  times.Ratio(std::string("FileFloor/") + size + "_cached", "LibjpegDecode"));
    }
    for (const char* step : {"StepPreviewPalette", "StepDecodeJpeg", "StepMapToPalette", "StepWholePicture",
                             "StepScaleWallpaper", "StepScaleStartupImage", "StepWriteFiles", "StepSettings"}) {
      std::printf("  %-22s / decode = %.2f\n", step, times.Ratio(step, "LibjpegDecode"));
    }
  });
}
