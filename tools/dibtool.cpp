// dibtool: inspects, decodes and encodes the stored bitmap formats, for people who make
// pictures for the program.
//
//   dibtool info FILE                 header fields and sizes of a stored image
//   dibtool decode IN OUT.bmp         any stored image (or a JPEG file) to a plain BMP file
//   dibtool encode CODE IN.bmp OUT    CODE one of PKCC, ARLE, PRLE, TRLE
//   dibtool map PALETTE_IMAGE IN OUT.bmp [--dither]
//                                     IN converted to 8 bits on the palette of an 8-bit image
//   dibtool scale W H IN OUT.bmp      an 8-bit image scaled to W x H, nearest neighbour
//
// Exit code 0 on success, 1 with a one-line reason on standard error for input it refuses,
// 2 for bad usage. Input files are hostile until the size rules have passed: every read is
// capped and every codec checks its own stream.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/painting_picture.h"
#include "gfx/dib_image.h"
#include "gfx/pixel_convert.h"
#include "image/arle_codec.h"
#include "image/bmp_rle_codec.h"
#include "image/four_cc.h"
#include "image/jpeg_loader.h"
#include "image/packed_dib.h"
#include "image/pkc_codec.h"
#include "image/pointer_source.h"
#include "image/trle_codec.h"
#include "platform/base/file_io.h"
#include "platform/base/trace.h"

namespace ossen {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

// The largest pixel data a packed DIB may hold, plus room for the headers around it.
constexpr std::size_t kMaxInputBytes = kMaxImageBytes + (std::size_t{1} << 20);

constexpr char kUsage[] =
    "usage: dibtool info FILE\n"
    "       dibtool decode IN OUT.bmp\n"
    "       dibtool encode PKCC|ARLE|PRLE|TRLE IN.bmp OUT\n"
    "       dibtool map PALETTE_IMAGE IN OUT.bmp [--dither]\n"
    "       dibtool scale W H IN OUT.bmp\n"
    "Reads stored images with or without the 14-byte file header, uncompressed or\n"
    "compressed as PKC1, PKC2, ARLE, PRLE or TRLE, bitmap files compressed as BI_RLE8\n"
    "or BI_RLE4, and JPEG files (as 24-bit images).\n";

// What went wrong with an input, as the one line the user sees.
struct Refusal {
  std::string reason;
};

int Refuse(const Refusal& refusal) {
  std::fprintf(stderr, "dibtool: %s\n", refusal.reason.c_str());
  return kExitRefused;
}

Bytes CopyOf(ByteView view) { return Bytes(view.begin(), view.end()); }

// The compression field by the name bitmap files know it under, or its four characters.
std::string CompressionText(DWORD compression) {
  switch (compression) {
    case BI_RGB: return "BI_RGB";
    case BI_RLE8: return "BI_RLE8";
    case BI_RLE4: return "BI_RLE4";
    case BI_BITFIELDS: return "BI_BITFIELDS";
    case 4: return "BI_JPEG";
    case 5: return "BI_PNG";
    default: return FourCCText(compression);
  }
}

// The compressed forms of the program's own stored images.
bool IsOwnCompression(DWORD compression) {
  return compression == kCompressionPkc1 || compression == kCompressionPkc2 || compression == kCompressionArle ||
         compression == kCompressionPrle || compression == kCompressionTrle;
}

bool IsJpeg(const Bytes& bytes) { return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8; }

// What the loader reports about the picture being loaded: its trace lines (why it refused
// the picture) and the decoder's first warning, which is shown only if the picture loads,
// since a refusal says everything in its one line.
std::string jpegReport;
std::string jpegWarning;

void KeepTraceLine(const char* line) {
  for (const char* c = line; *c; ++c) {
    if (*c != '\n') {
      jpegReport += *c;
    } else if (c[1] != '\0') {
      jpegReport += ' ';
    }
  }
  jpegReport += "; ";
}

void KeepJpegWarning(const char* message) { jpegWarning = message; }

// The packed DIB of a JPEG file, through the loader the program itself uses. The loader
// takes Windows paths: drive Z: is the host root.
bool LoadJpeg(const std::string& path, Bytes& dib, Refusal& refusal) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  const std::string winPath = "Z:" + absolute.string();
  jpegReport.clear();
  jpegWarning.clear();
  SetJpegWarningHook(KeepJpegWarning);
  const TraceSink oldSink = SetTraceSink(KeepTraceLine);
  GlobalBlock block = LoadJpegAsDib(winPath.c_str());
  SetTraceSink(oldSink);
  if (!block) {
    refusal.reason = path + ": JPEG picture refused: " + jpegReport + jpegWarning;
    while (!refusal.reason.empty() && (refusal.reason.back() == ' ' || refusal.reason.back() == ';')) {
      refusal.reason.pop_back();
    }
    return false;
  }
  if (!jpegWarning.empty()) std::fprintf(stderr, "dibtool: warning: %s: %s\n", path.c_str(), jpegWarning.c_str());
  dib = CopyOf(block.view());
  return true;
}

// The packed DIB stored in a file (its file header dropped), or a decoded JPEG picture.
// Only a header that passes every size rule, with all its bytes present, is accepted.
bool LoadStoredImage(const std::string& path, Bytes& dib, Refusal& refusal) {
  Bytes bytes;
  switch (ReadFileBytes(path, kMaxInputBytes, bytes)) {
    case ReadResult::kOk: break;
    case ReadResult::kMissing: refusal.reason = path + ": no such file"; return false;
    case ReadResult::kTooLarge: refusal.reason = path + ": file too large for a stored image"; return false;
    case ReadResult::kError: refusal.reason = path + ": cannot be read"; return false;
  }
  if (IsJpeg(bytes)) return LoadJpeg(path, dib, refusal);

  const ByteView header = FindInfoHeader(bytes);
  BitmapInfoHeader fields{};
  if (!ReadInfoHeader(header, fields) || fields.size != kInfoHeaderBytes) {
    refusal.reason = path + ": not a stored image (no 40-byte bitmap information header)";
    return false;
  }
  // Paint programs may leave the image size of a run-length bitmap at 0: its stream then
  // runs to the end of the file, and the decoder finds its end mark.
  if (IsBmpRleCompression(fields.compression) && fields.imageSize == 0 && PackedDibHeaderSize(header) != 0) {
    dib = CopyOf(header);
    return true;
  }
  const DWORD total = PackedDibTotalSize(header);
  if (total == 0) {
    refusal.reason = path + ": bitmap header out of range (size, bit count, colours or dimensions)";
    return false;
  }
  if (total > header.size()) {
    refusal.reason = path + ": truncated: the header needs " + std::to_string(total) + " bytes, the file holds " +
                     std::to_string(header.size());
    return false;
  }
  dib = CopyOf(header.first(total));
  return true;
}

DWORD CompressionOf(const Bytes& dib) {
  BitmapInfoHeader header{};
  ReadInfoHeader(dib, header);
  return header.compression;
}

// The image with compression 0 or 3: itself when it already is, else through its codec.
bool Decoded(const Bytes& dib, Bytes& out, Refusal& refusal) {
  const DWORD compression = CompressionOf(dib);
  if (compression == BI_RGB || compression == BI_BITFIELDS) {
    out = dib;
    return true;
  }
  GlobalBlock decoded;
  if (IsBmpRleCompression(compression)) {
    std::string why;
    decoded = BmpRleDecode(dib, why);
    if (!decoded) {
      refusal.reason = "damaged " + CompressionText(compression) + " data: " + why;
      return false;
    }
  } else if (compression == kCompressionPkc1 || compression == kCompressionPkc2) {
    decoded = PkcDecompress(dib);
  } else if (compression == kCompressionArle) {
    decoded = ArleDecode(dib);
  } else if (compression == kCompressionPrle) {
    decoded = PrleDecode(dib);
  } else if (compression == kCompressionTrle) {
    decoded = TrleDecode(dib);
  } else {
    refusal.reason = "unsupported compression " + CompressionText(compression);
    return false;
  }
  const DWORD total = decoded ? PackedDibTotalSize(decoded.view()) : 0;
  if (total == 0 || total > decoded.size()) {
    refusal.reason = "damaged " + CompressionText(compression) + " data (or a bit count it does not take)";
    return false;
  }
  out = CopyOf(decoded.view().first(total));
  return true;
}

bool Encoded(const Bytes& dib, DWORD code, Bytes& out, Refusal& refusal) {
  GlobalBlock encoded;
  if (code == kCompressionPkcc) {
    encoded = PkcCompress(dib);
  } else if (code == kCompressionArle) {
    encoded = ArleEncode(dib);
  } else if (code == kCompressionPrle) {
    encoded = PrleEncode(dib);
  } else if (code == kCompressionTrle) {
    encoded = TrleEncode(dib);
  }
  const DWORD total = encoded ? PackedDibTotalSize(encoded.view()) : 0;
  if (total == 0 || total > encoded.size()) {
    BitmapInfoHeader header{};
    ReadInfoHeader(dib, header);
    refusal.reason = "cannot encode a " + std::to_string(header.bitCount) + "-bit image as " + FourCCText(code) +
                     (code == kCompressionPkcc ? "" : " (8-bit images only)");
    return false;
  }
  out = CopyOf(encoded.view().first(total));
  return true;
}

// Writes the packed DIB as a plain bitmap file.
bool WriteBmpFile(const std::string& path, const Bytes& dib, Refusal& refusal) {
  const Bytes file = BitmapFileFromPackedDib(dib);
  if (file.empty() || !WriteFileAtomically(path, file.data(), file.size())) {
    refusal.reason = path + ": cannot be written";
    return false;
  }
  return true;
}

int RunInfo(const std::string& path) {
  Bytes dib;
  Refusal refusal;
  if (!LoadStoredImage(path, dib, refusal)) return Refuse(refusal);
  BitmapInfoHeader header{};
  ReadInfoHeader(dib, header);
  std::printf("width: %" PRId32 "\n", header.width);
  std::printf("height: %" PRId32 "\n", header.height);
  std::printf("bit count: %u\n", static_cast<unsigned>(header.bitCount));
  std::printf("compression: %s\n", CompressionText(header.compression).c_str());
  std::printf("format code: 0x%08" PRIX32 "\n", FormatCodeFromHeader(dib));
  std::printf("header size: %" PRIu32 "\n", PackedDibHeaderSize(dib));
  std::printf("image size: %" PRIu32 "\n", PackedDibImageSize(dib));
  std::printf("total size: %" PRIu32 "\n", PackedDibTotalSize(dib));
  return kExitOk;
}

int RunDecode(const std::string& in, const std::string& out) {
  Bytes dib;
  Bytes plain;
  Refusal refusal;
  if (!LoadStoredImage(in, dib, refusal) || !Decoded(dib, plain, refusal) || !WriteBmpFile(out, plain, refusal)) {
    return Refuse(refusal);
  }
  return kExitOk;
}

int RunEncode(DWORD code, const std::string& in, const std::string& out) {
  Bytes dib;
  Bytes plain;
  Bytes encoded;
  Refusal refusal;
  if (!LoadStoredImage(in, dib, refusal) || !Decoded(dib, plain, refusal) ||
      !Encoded(plain, code, encoded, refusal) || !WriteBmpFile(out, encoded, refusal)) {
    return Refuse(refusal);
  }
  return kExitOk;
}

// A stored image (or JPEG picture) as the program holds it: an image over a copy of its
// bytes, decompressed.
bool LoadImage(const std::string& path, SurfaceRef<DibImage>& image, Refusal& refusal) {
  Bytes dib;
  if (!LoadStoredImage(path, dib, refusal)) return false;
  // The image object knows the program's own compressions; a bitmap file's run-length
  // rows are expanded here first.
  if (IsBmpRleCompression(CompressionOf(dib))) {
    Bytes plain;
    if (!Decoded(dib, plain, refusal)) {
      refusal.reason = path + ": " + refusal.reason;
      return false;
    }
    dib = std::move(plain);
  }
  PointerSource bytes(dib.data(), static_cast<DWORD>(dib.size()), false, true);
  image = DibImage::New();
  if (!image || image->Load(nullptr, kLoadFromDataSource | kLoadCopyBytes, nullptr, ResourceId("BIN"), nullptr,
                            &bytes) != 0) {
    refusal.reason = path + ": not a stored image";
    return false;
  }
  if (image->IsCompressed() && image->Decompress() != 0) {
    const DWORD compression = CompressionOf(dib);
    refusal.reason = path + (IsOwnCompression(compression) ? ": damaged " + CompressionText(compression) + " data"
                                                            : ": unsupported compression " + CompressionText(compression));
    return false;
  }
  return true;
}

bool LoadEightBitImage(const std::string& path, SurfaceRef<DibImage>& image, Refusal& refusal) {
  if (!LoadImage(path, image, refusal)) return false;
  if (image->format != kFormatIndexed8 || !image->GetPalette()) {
    refusal.reason = path + ": not an 8-bit image";
    return false;
  }
  return true;
}

// Writes the image as a plain bitmap file.
bool WriteImageFile(const std::string& path, DibImage& image, Refusal& refusal) {
  if (!WriteBitmapFile(path, image)) {
    refusal.reason = path + ": cannot be written";
    return false;
  }
  return true;
}

int RunMap(const std::string& paletteImagePath, const std::string& in, const std::string& out, bool dither) {
  Refusal refusal;
  SurfaceRef<DibImage> paletteImage;
  SurfaceRef<DibImage> picture;
  if (!LoadEightBitImage(paletteImagePath, paletteImage, refusal) || !LoadImage(in, picture, refusal)) {
    return Refuse(refusal);
  }
  // The theme's palette is copied, as the apply engine copies it before emptying its picture.
  PaletteRef palette = Palette::New();
  if (!palette || palette->CreateFrom(paletteImage->GetPalette()) != 0) {
    return Refuse(Refusal{paletteImagePath + ": palette cannot be read"});
  }
  const DWORD flags = dither ? kConvertMapToPalette | kConvertDiffuseError : kConvertMapToPalette;
  if (picture->ConvertFormat(kFormatIndexed8, palette.get(), flags) != 0) {
    return Refuse(Refusal{in + ": cannot be mapped onto a palette (1-, 2- or 4-bit images are not taken)"});
  }
  if (!WriteImageFile(out, *picture, refusal)) return Refuse(refusal);
  return kExitOk;
}

int RunScale(int width, int height, const std::string& in, const std::string& out) {
  Refusal refusal;
  SurfaceRef<DibImage> picture;
  if (!LoadEightBitImage(in, picture, refusal)) return Refuse(refusal);
  // Scaled upright, as the apply engine scales a painting for the desktop.
  SurfaceRef<DibImage> scaled = ScaledPicture(*picture, width, height);
  if (!scaled) {
    return Refuse(Refusal{"cannot make a " + std::to_string(width) + " x " + std::to_string(height) + " image"});
  }
  if (!WriteImageFile(out, *scaled, refusal)) return Refuse(refusal);
  return kExitOk;
}

// A size of 1 to 65535 pixels in plain decimal digits; 0 for anything else.
int ParseDimension(const std::string& text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
  const int value = std::stoi(text);
  return value <= kMaxDimension ? value : 0;
}

// The code for an encode request, 0 for anything else (no case folding, as stored codes).
DWORD EncodeRequest(std::string_view text) {
  for (DWORD code : {kCompressionPkcc, kCompressionArle, kCompressionPrle, kCompressionTrle}) {
    if (text == FourCCText(code)) return code;
  }
  return 0;
}

int BadUsage(const char* problem) {
  std::fprintf(stderr, "dibtool: %s\n%s", problem, kUsage);
  return kExitUsage;
}

int Run(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return BadUsage("no command");
  const std::string& command = args[0];
  if (command == "info") {
    if (args.size() != 2) return BadUsage("info takes one file");
    return RunInfo(args[1]);
  }
  if (command == "decode") {
    if (args.size() != 3) return BadUsage("decode takes an input and an output file");
    return RunDecode(args[1], args[2]);
  }
  if (command == "encode") {
    if (args.size() != 4) return BadUsage("encode takes a code, an input and an output file");
    const DWORD code = EncodeRequest(args[1]);
    if (code == 0) return BadUsage("the code is one of PKCC, ARLE, PRLE, TRLE");
    return RunEncode(code, args[2], args[3]);
  }
  if (command == "map") {
    const bool dither = args.size() == 5 && args[4] == "--dither";
    if (args.size() != 4 && !dither) return BadUsage("map takes a palette image, an input and an output file");
    return RunMap(args[1], args[2], args[3], dither);
  }
  if (command == "scale") {
    if (args.size() != 5) return BadUsage("scale takes a width, a height, an input and an output file");
    const int width = ParseDimension(args[1]);
    const int height = ParseDimension(args[2]);
    if (width == 0 || height == 0) return BadUsage("width and height are 1 to 65535");
    return RunScale(width, height, args[3], args[4]);
  }
  if (command == "-h" || command == "--help" || command == "help") {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  return BadUsage("unknown command");
}

}  // namespace
}  // namespace ossen

int main(int argc, char** argv) { return ossen::Run(argc, argv); }
