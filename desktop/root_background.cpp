#include "desktop/root_background.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>

#include "image/packed_dib.h"
#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "platform/win32/registry_helpers.h"

namespace ossen {

namespace {

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
  int width = 0;  // device pixels
  int height = 0;
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
  opened.width = DisplayWidth(opened.d, opened.screen);
  opened.height = DisplayHeight(opened.d, opened.screen);
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

// The monitors the server reports, in device pixels: RandR 1.5's logical monitors, else
// Xinerama's heads; none when neither extension answers.
std::vector<MonitorRect> ReportedMonitors(Display* d, Window root) {
  std::vector<MonitorRect> monitors;
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (XRRQueryExtension(d, &eventBase, &errorBase) && XRRQueryVersion(d, &major, &minor) &&
      (major > 1 || (major == 1 && minor >= 5))) {
    int count = 0;
    if (XRRMonitorInfo* info = XRRGetMonitors(d, root, True, &count)) {
      for (int i = 0; i < count; ++i) monitors.push_back({info[i].x, info[i].y, info[i].width, info[i].height});
      XRRFreeMonitors(info);
    }
    if (!monitors.empty()) return monitors;
  }
  if (XineramaQueryExtension(d, &eventBase, &errorBase) && XineramaIsActive(d)) {
    int count = 0;
    if (XineramaScreenInfo* heads = XineramaQueryScreens(d, &count)) {
      for (int i = 0; i < count; ++i)
        monitors.push_back({heads[i].x_org, heads[i].y_org, heads[i].width, heads[i].height});
      XFree(heads);
    }
  }
  return monitors;
}

// The colour around a painting that leaves part of a monitor free: Windows' desktop colour,
// "R G B" under HKEY_CURRENT_USER\Control Panel\Colors "Background", black without one.
std::uint32_t DesktopBackgroundColour() {
  char text[64] = {};
  if (!RegReadString(HKEY_CURRENT_USER, "Control Panel\\Colors", "Background", text, sizeof text)) return 0;
  unsigned red = 0, green = 0, blue = 0;
  char rest = 0;
  if (std::sscanf(text, "%u %u %u %c", &red, &green, &blue, &rest) != 3 || red > 255 || green > 255 || blue > 255)
    return 0;
  return (red << 16) | (green << 8) | blue;
}

// The picture as a pixmap of the root's depth; 0 when it cannot be made. Where the visual
// keeps pixels as the picture does (32 bits, 8 bits a channel at 16, 8 and 0, the machine's
// byte order), the picture's memory is sent as it is.
Pixmap PixmapFromPicture(const RootScreen& on, const RgbPicture& picture) {
  Display* d = on.d;
  XImage* image = XCreateImage(d, on.visual, on.depth, ZPixmap, 0, nullptr, picture.width, picture.height, 32, 0);
  if (image == nullptr) return 0;
  const int hostOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  const bool direct = image->bits_per_pixel == 32 && image->byte_order == hostOrder &&
                      image->bytes_per_line == picture.width * 4 && on.visual->red_mask == 0xFF0000 &&
                      on.visual->green_mask == 0xFF00 && on.visual->blue_mask == 0xFF;
  if (direct) {
    image->data = reinterpret_cast<char*>(const_cast<std::uint32_t*>(picture.pixels.data()));
  } else {
    image->data = static_cast<char*>(std::calloc(std::size_t(image->bytes_per_line) * picture.height, 1));
    if (image->data == nullptr) {
      XDestroyImage(image);
      return 0;
    }
    const VisualChannels channels(on.visual);
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const std::uint32_t rgb = picture.pixels[std::size_t(y) * picture.width + x];
        XPutPixel(image, x, y,
                  channels.red.Encode((rgb >> 16) & 0xFF) | channels.green.Encode((rgb >> 8) & 0xFF) |
                      channels.blue.Encode(rgb & 0xFF));
      }
    }
  }
  const Pixmap pixmap = XCreatePixmap(d, on.root, picture.width, picture.height, on.depth);
  const GC gc = XCreateGC(d, pixmap, 0, nullptr);
  XPutImage(d, pixmap, gc, image, 0, 0, 0, 0, picture.width, picture.height);
  XFreeGC(d, gc);
  if (direct) image->data = nullptr;  // the picture's own memory
  XDestroyImage(image);
  return pixmap;
}

// Makes the screen-sized picture the root's background, kept after this connection closes
// and named in both properties; the previous setter's pixmap is freed.
bool PublishRootPicture(std::optional<RootScreen> opened, const RgbPicture& picture) {
  Display* d = opened->d;
  const Window root = opened->root;
  const Pixmap pixmap = PixmapFromPicture(*opened, picture);
  if (pixmap == 0) return false;
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

std::optional<RootScreen> OpenTrueColourRoot(std::string& reason) {
  std::optional<RootScreen> opened = OpenRootScreen();
  if (!opened) {
    reason = "there is no X display";
    return std::nullopt;
  }
  if (!IsTrueColour(opened->visual) || opened->width > kMaxRootSide || opened->height > kMaxRootSide) {
    reason = "the X screen is not a true-colour screen ossen can draw on";
    return std::nullopt;
  }
  return opened;
}

// The root's background as the person sees it where no window covers it, whoever set it
// (also a background pixmap no property names, as ImageMagick's `display -window root`
// leaves). A window of the root's kind that takes its background from the root covers the
// screen for the moment of one read: the root's own pixels would include every window above
// them. Null when the window cannot be made or read.
XImage* ReadRootBackground(const RootScreen& on) {
  Display* d = on.d;
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = ParentRelative;
  attributes.override_redirect = True;
  attributes.backing_store = NotUseful;
  const Window window = XCreateWindow(d, on.root, 0, 0, on.width, on.height, 0, CopyFromParent, InputOutput,
                                      CopyFromParent, CWBackPixmap | CWOverrideRedirect | CWBackingStore, &attributes);
  XSelectInput(d, window, ExposureMask);
  XMapRaised(d, window);
  // Its background is drawn before the server reports the exposure; give up after a second.
  XEvent event;
  bool exposed = false;
  for (int waited = 0; waited < 100 && !exposed; ++waited) {
    XSync(d, False);
    exposed = XCheckWindowEvent(d, window, ExposureMask, &event);
    if (!exposed) {
      const timespec hundredth = {0, 10 * 1000 * 1000};
      nanosleep(&hundredth, nullptr);
    }
  }
  XImage* image = exposed ? XGetImage(d, window, 0, 0, on.width, on.height, AllPlanes, ZPixmap) : nullptr;
  XDestroyWindow(d, window);
  XSync(d, False);
  return image;
}

// The pixmap a root property names when it is alive and of the screen's size and depth.
Pixmap ScreenSizedPropertyPixmap(const RootScreen& on, const char* name) {
  const Pixmap pixmap = RootPixmapProperty(on.d, on.root, name);
  if (pixmap == 0) return 0;
  Window ignoredRoot = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  const int errorsBefore = g_xErrors;
  const Status known = XGetGeometry(on.d, pixmap, &ignoredRoot, &x, &y, &width, &height, &border, &depth);
  XSync(on.d, False);
  if (!known || g_xErrors != errorsBefore || width != unsigned(on.width) || height != unsigned(on.height) ||
      depth != unsigned(on.depth))
    return 0;
  return pixmap;
}

}  // namespace

std::vector<MonitorRect> QueryRootMonitors() {
  XErrorTrap trap;
  std::optional<RootScreen> opened = OpenRootScreen();
  if (!opened) return {};
  return UsableMonitors(ReportedMonitors(opened->d, opened->root), opened->width, opened->height);
}

DesktopResult ShowPictureOnRoot(const WallpaperRequest& request) {
  DesktopResult result;
  std::optional<RgbPicture> painting = ReadPictureFile(request.picturePath, result.reason);
  if (!painting) return result;
  XErrorTrap trap;
  // A connection of its own: its resources are kept after it closes, and only they.
  std::optional<RootScreen> opened = OpenTrueColourRoot(result.reason);
  if (!opened) return result;
  const std::vector<MonitorRect> monitors = ReportedMonitors(opened->d, opened->root);
  const RgbPicture root = BuildRootPicture(*painting, opened->width, opened->height, monitors, request.placement,
                                           DesktopBackgroundColour());
  painting.reset();
  if (root.pixels.empty() || !PublishRootPicture(std::move(opened), root)) {
    result.reason = "the root window's picture could not be made";
    return result;
  }
  Trace("desktop: root picture %dx%d on %zu monitor(s)", root.width, root.height,
        UsableMonitors(monitors, root.width, root.height).size());
  result.shown = true;
  return result;
}

bool SetRootPictureFromFile(const std::string& hostPath) {
  std::string reason;
  const std::optional<RgbPicture> picture = ReadPictureFile(hostPath, reason);
  if (!picture) {
    Trace("desktop: %s", reason.c_str());
    return false;
  }
  XErrorTrap trap;
  std::optional<RootScreen> opened = OpenTrueColourRoot(reason);
  if (!opened) {
    Trace("desktop: %s", reason.c_str());
    return false;
  }
  const MonitorRect screen{0, 0, opened->width, opened->height};
  const RgbPicture root = BuildRootPicture(*picture, opened->width, opened->height, std::span(&screen, 1),
                                           WallpaperPlacement::Stretch, 0);
  return !root.pixels.empty() && PublishRootPicture(std::move(opened), root);
}

bool SaveRootBackgroundAsBmp(const std::string& hostPath) {
  XErrorTrap trap;
  std::string reason;
  std::optional<RootScreen> opened = OpenTrueColourRoot(reason);
  if (!opened) return false;
  Display* d = opened->d;
  Pixmap pixmap = ScreenSizedPropertyPixmap(*opened, "_XROOTPMAP_ID");
  if (pixmap == 0) pixmap = ScreenSizedPropertyPixmap(*opened, "ESETROOT_PMAP_ID");
  const unsigned width = opened->width, height = opened->height;
  XImage* image = pixmap != 0 ? XGetImage(d, pixmap, 0, 0, width, height, AllPlanes, ZPixmap) : ReadRootBackground(*opened);
  if (image == nullptr) return false;

  std::vector<std::uint8_t> dib(BuiltHeaderSize(kFormatRgb888) + std::size_t(RowStride(kFormatRgb888, width)) * height);
  BuildHeader(static_cast<LONG>(width), static_cast<LONG>(height), kFormatRgb888, dib);
  const VisualChannels channels(opened->visual);
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
