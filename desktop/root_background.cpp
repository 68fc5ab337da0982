#include "desktop/root_background.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "image/packed_dib.h"
#include "platform/base/file_io.h"
#include "platform/base/trace.h"

namespace ossen {

namespace {

// Decoding stops at this many pixels: a wallpaper is screen-sized, and the decoded picture
// takes four bytes a pixel.
constexpr std::uint64_t kMaxPicturePixels = std::uint64_t{1} << 24;

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// X errors (a pixmap that is already gone, a killed client) must not end the program: while
// one of these lives, errors are counted instead of reported.
int g_xErrors = 0;
int CountError(Display*, XErrorEvent*) {
  ++g_xErrors;
  return 0;
}
class XErrorTrap {
 public:
  XErrorTrap() : old_(XSetErrorHandler(CountError)) {}
  ~XErrorTrap() { XSetErrorHandler(old_); }
  XErrorTrap(const XErrorTrap&) = delete;
  XErrorTrap& operator=(const XErrorTrap&) = delete;

 private:
  int (*old_)(Display*, XErrorEvent*);
};

// A connection of its own to the default screen, and what every root operation asks of it.
struct RootScreen {
  DisplayPtr display;
  Display* d = nullptr;
  int screen = 0;
  Window root = 0;
  Visual* visual = nullptr;
  int depth = 0;
};

std::optional<RootScreen> OpenRootScreen() {
  DisplayPtr display(XOpenDisplay(nullptr));
  if (!display) {
    Trace("desktop: no X display to set the root background on");
    return std::nullopt;
  }
  RootScreen opened;
  opened.d = display.get();
  opened.screen = DefaultScreen(opened.d);
  opened.root = RootWindow(opened.d, opened.screen);
  opened.visual = DefaultVisual(opened.d, opened.screen);
  opened.depth = DefaultDepth(opened.d, opened.screen);
  opened.display = std::move(display);
  return opened;
}

// One colour channel of a visual: where it sits and how wide it is.
struct Channel {
  int shift = 0;
  int bits = 0;
  explicit Channel(unsigned long mask) {
    if (mask == 0) return;
    while (!(mask & 1)) {
      mask >>= 1;
      ++shift;
    }
    while (mask & 1) {
      mask >>= 1;
      ++bits;
    }
  }
  unsigned long Encode(std::uint32_t value8) const {
    if (bits == 0) return 0;
    return (bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits)) << shift;
  }
  std::uint32_t Decode(unsigned long pixel) const {
    if (bits == 0) return 0;
    const unsigned long value = (pixel >> shift) & ((1ul << bits) - 1);
    return static_cast<std::uint32_t>(bits >= 8 ? value >> (bits - 8) : value * 255 / ((1ul << bits) - 1));
  }
};

struct VisualChannels {
  Channel red, green, blue;
  explicit VisualChannels(const Visual* visual)
      : red(visual->red_mask), green(visual->green_mask), blue(visual->blue_mask) {}
};

bool IsTrueColour(const Visual* visual) {
  return visual->c_class == TrueColor || visual->c_class == DirectColor;
}

// The pixmap a root property names, 0 when there is none.
Pixmap RootPixmapProperty(Display* display, Window root, const char* name) {
  const Atom atom = XInternAtom(display, name, True);
  if (atom == None) return 0;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  Pixmap pixmap = 0;
  if (XGetWindowProperty(display, root, atom, 0, 1, False, AnyPropertyType, &type, &format, &count, &after, &data) ==
          Success &&
      type == XA_PIXMAP && format == 32 && count == 1 && data != nullptr) {
    pixmap = static_cast<Pixmap>(*reinterpret_cast<unsigned long*>(data));
  }
  if (data != nullptr) XFree(data);
  return pixmap;
}

// A pixmap that both properties name was left by a setter like us, with its connection
// kept after exit: ending that connection's resources frees it.
void FreePreviousSetterPixmap(Display* display, Window root) {
  const Pixmap current = RootPixmapProperty(display, root, "_XROOTPMAP_ID");
  if (current != 0 && current == RootPixmapProperty(display, root, "ESETROOT_PMAP_ID"))
    XKillClient(display, current);
}

void ReleaseAndClose(DisplayPtr display) {
  XSync(display.get(), False);
  display.reset();
}

}  // namespace

std::optional<RgbPicture> DecodeBmpPicture(std::span<const std::uint8_t> bytes) {
  const ByteView dib = FindInfoHeader(ByteView(bytes.data(), bytes.size()));
  PackedDibLayout layout{};
  if (dib.empty() || !ReadPackedDib(dib, layout)) return std::nullopt;
  const BitmapInfoHeader& header = layout.header;
  const int bits = header.bitCount;
  if (header.compression != 0 || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)) return std::nullopt;
  const std::uint64_t pixelCount = std::uint64_t(header.width) * std::uint64_t(header.height);
  if (header.width <= 0 || header.height <= 0 || pixelCount > kMaxPicturePixels) return std::nullopt;

  const std::uint8_t* table = dib.data() + kInfoHeaderBytes;
  const std::size_t tableEntries = bits <= 8 ? (layout.headerSize - kInfoHeaderBytes) / 4 : 0;
  const std::uint8_t* rows = dib.data() + layout.headerSize;

  RgbPicture picture;
  picture.width = header.width;
  picture.height = header.height;
  picture.pixels.resize(pixelCount);
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* row = rows + std::size_t(picture.height - 1 - y) * layout.stride;
    std::uint32_t* out = picture.pixels.data() + std::size_t(y) * picture.width;
    for (int x = 0; x < picture.width; ++x) {
      if (bits >= 24) {
        const std::uint8_t* p = row + std::size_t(x) * (bits / 8);
        out[x] = (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
        continue;
      }
      const std::size_t bit = std::size_t(x) * bits;
      const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
      if (index >= tableEntries) {
        out[x] = 0;  // an index past the colour table shows black
        continue;
      }
      const std::uint8_t* entry = table + std::size_t(index) * 4;
      out[x] = (std::uint32_t(entry[2]) << 16) | (std::uint32_t(entry[1]) << 8) | entry[0];
    }
  }
  return picture;
}

RgbPicture ScalePicture(const RgbPicture& picture, int width, int height) {
  RgbPicture scaled;
  if (width <= 0 || height <= 0 || picture.width <= 0 || picture.height <= 0) return scaled;
  scaled.width = width;
  scaled.height = height;
  scaled.pixels.resize(std::size_t(width) * height);
  for (int y = 0; y < height; ++y) {
    const std::size_t sy = std::size_t(std::uint64_t(y) * picture.height / height);
    for (int x = 0; x < width; ++x) {
      const std::size_t sx = std::size_t(std::uint64_t(x) * picture.width / width);
      scaled.pixels[std::size_t(y) * width + x] = picture.pixels[sy * picture.width + sx];
    }
  }
  return scaled;
}

bool SetRootBackgroundFromBmp(const std::string& hostPath) {
  std::vector<std::uint8_t> bytes;
  if (ReadFileBytes(hostPath, kMaxImageBytes + (1 << 16), bytes) != ReadResult::kOk) {
    Trace("desktop: cannot read %s", hostPath.c_str());
    return false;
  }
  const std::optional<RgbPicture> picture = DecodeBmpPicture(bytes);
  if (!picture) {
    Trace("desktop: %s is no picture the root window can show", hostPath.c_str());
    return false;
  }
  XErrorTrap trap;
  // A connection of its own: its resources are kept after it closes, and only they.
  std::optional<RootScreen> opened = OpenRootScreen();
  if (!opened) return false;
  Display* d = opened->d;
  const int screen = opened->screen;
  const Window root = opened->root;
  Visual* visual = opened->visual;
  const int depth = opened->depth;
  if (!IsTrueColour(visual)) {
    Trace("desktop: the root window's visual is not true colour");
    return false;
  }
  const int width = DisplayWidth(d, screen), height = DisplayHeight(d, screen);
  const RgbPicture scaled = ScalePicture(*picture, width, height);

  XImage* image = XCreateImage(d, visual, depth, ZPixmap, 0, nullptr, width, height, 32, 0);
  if (image == nullptr) return false;
  image->data = static_cast<char*>(std::calloc(std::size_t(image->bytes_per_line) * height, 1));
  if (image->data == nullptr) {
    XDestroyImage(image);
    return false;
  }
  const VisualChannels channels(visual);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t rgb = scaled.pixels[std::size_t(y) * width + x];
      XPutPixel(image, x, y,
                channels.red.Encode((rgb >> 16) & 0xFF) | channels.green.Encode((rgb >> 8) & 0xFF) |
                    channels.blue.Encode(rgb & 0xFF));
    }
  }
  const Pixmap pixmap = XCreatePixmap(d, root, width, height, depth);
  const GC gc = XCreateGC(d, pixmap, 0, nullptr);
  XPutImage(d, pixmap, gc, image, 0, 0, 0, 0, width, height);
  XFreeGC(d, gc);
  XDestroyImage(image);

  FreePreviousSetterPixmap(d, root);
  const Atom rootAtom = XInternAtom(d, "_XROOTPMAP_ID", False);
  const Atom esetrootAtom = XInternAtom(d, "ESETROOT_PMAP_ID", False);
  const unsigned long id = pixmap;
  XChangeProperty(d, root, rootAtom, XA_PIXMAP, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&id), 1);
  XChangeProperty(d, root, esetrootAtom, XA_PIXMAP, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&id),
                  1);
  XSetWindowBackgroundPixmap(d, root, pixmap);
  XClearWindow(d, root);
  XSetCloseDownMode(d, RetainPermanent);
  ReleaseAndClose(std::move(opened->display));
  return true;
}

bool SaveRootBackgroundAsBmp(const std::string& hostPath) {
  XErrorTrap trap;
  std::optional<RootScreen> opened = OpenRootScreen();
  if (!opened) return false;
  Display* d = opened->d;
  Visual* visual = opened->visual;
  const Pixmap pixmap = RootPixmapProperty(d, opened->root, "_XROOTPMAP_ID");
  if (pixmap == 0 || !IsTrueColour(visual)) return false;
  Window ignoredRoot = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  const int errorsBefore = g_xErrors;
  const Status known = XGetGeometry(d, pixmap, &ignoredRoot, &x, &y, &width, &height, &border, &depth);
  XSync(d, False);
  if (!known || g_xErrors != errorsBefore || width == 0 || height == 0 || width > 16384 || height > 16384 ||
      depth != static_cast<unsigned>(opened->depth))
    return false;
  XImage* image = XGetImage(d, pixmap, 0, 0, width, height, AllPlanes, ZPixmap);
  if (image == nullptr) return false;

  std::vector<std::uint8_t> dib(BuiltHeaderSize(kFormatRgb888) + std::size_t(RowStride(kFormatRgb888, width)) * height);
  BuildHeader(static_cast<LONG>(width), static_cast<LONG>(height), kFormatRgb888, dib);
  const VisualChannels channels(visual);
  const std::size_t stride = RowStride(kFormatRgb888, width);
  std::uint8_t* rows = dib.data() + BuiltHeaderSize(kFormatRgb888);
  for (unsigned row = 0; row < height; ++row) {
    std::uint8_t* out = rows + std::size_t(height - 1 - row) * stride;
    for (unsigned col = 0; col < width; ++col) {
      const unsigned long pixel = XGetPixel(image, col, row);
      out[col * 3 + 0] = static_cast<std::uint8_t>(channels.blue.Decode(pixel));
      out[col * 3 + 1] = static_cast<std::uint8_t>(channels.green.Decode(pixel));
      out[col * 3 + 2] = static_cast<std::uint8_t>(channels.red.Decode(pixel));
    }
  }
  XDestroyImage(image);
  const std::vector<std::uint8_t> file = BitmapFileFromPackedDib(dib);
  return !file.empty() && WriteFileAtomically(hostPath, file.data(), file.size());
}

bool ClearRootBackground() {
  XErrorTrap trap;
  std::optional<RootScreen> opened = OpenRootScreen();
  if (!opened) return false;
  Display* d = opened->d;
  const Window root = opened->root;
  FreePreviousSetterPixmap(d, root);
  XDeleteProperty(d, root, XInternAtom(d, "_XROOTPMAP_ID", False));
  XDeleteProperty(d, root, XInternAtom(d, "ESETROOT_PMAP_ID", False));
  XSetWindowBackground(d, root, BlackPixel(d, opened->screen));
  XClearWindow(d, root);
  ReleaseAndClose(std::move(opened->display));
  return true;
}

}  // namespace ossen
