// Drives the device context with arbitrary coordinates, sizes, flags and texts.
//
// Two small pictures sit inside guarded memory; every drawing call must keep to the rows it
// was given, whatever the numbers. A changed guard byte aborts.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/draw/device_context.h"

namespace {

using namespace ossen;

constexpr uint8_t kGuard = 0x5A;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool More() const { return pos_ < size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  // Mostly small numbers around the pictures, sometimes the extremes.
  int Coordinate() {
    const uint8_t kind = Byte();
    switch (kind % 8) {
      case 0: return INT32_MIN + Byte();
      case 1: return INT32_MAX - Byte();
      case 2: {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = (value << 8) | Byte();
        return static_cast<int>(value);
      }
      default: return static_cast<int>(static_cast<int8_t>(Byte()));
    }
  }
  std::string Text() {
    const size_t length = Byte() % 24;
    std::string text;
    for (size_t i = 0; i < length && More(); ++i) text.push_back(static_cast<char>(Byte()));
    return text;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

struct Picture {
  Picture(int width, int height, int bitsPerPixel)
      : rowBytes(width * bitsPerPixel / 8),
        memory(static_cast<size_t>(rowBytes + 3) * static_cast<size_t>(height) + 32, kGuard),
        target{memory.data() + 16, rowBytes + 3, width, height, bitsPerPixel} {
    for (int y = 0; y < height; ++y) std::memset(target.bits + y * target.stride, 0, static_cast<size_t>(rowBytes));
  }
  void CheckGuards() const {
    for (size_t i = 0; i < memory.size(); ++i) {
      const long offset = static_cast<long>(i) - 16;
      const bool inside = offset >= 0 && offset < target.stride * target.height &&
                          offset % target.stride < rowBytes;
      if (!inside && memory[i] != kGuard) std::abort();
    }
  }
  int rowBytes;
  std::vector<uint8_t> memory;
  PixelTarget target;
};

int Depth(uint8_t code) {
  static const int depths[] = {8, 8, 24, 32};
  return depths[code % 4];
}

}  // namespace

// fontconfig keeps the patterns of every font it has matched (one per distinct size and
// weight) until the process ends; those are not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  Picture first(1 + in.Byte() % 40, 1 + in.Byte() % 30, Depth(in.Byte()));
  Picture second(1 + in.Byte() % 40, 1 + in.Byte() % 30, Depth(in.Byte()));
  std::vector<RGBQUAD> table(256);
  for (int i = 0; i < 256; ++i) table[i] = RGBQUAD{static_cast<BYTE>(i * 7), static_cast<BYTE>(i * 3), static_cast<BYTE>(i), 0};
  DeviceContext a(first.target, table.data(), 1 + in.Byte());
  DeviceContext b(second.target, table.data() + 1, 255);
  Font font(-1 - in.Byte() % 20, 100 * (in.Byte() % 10), (in.Byte() & 1) != 0, VARIABLE_PITCH | FF_SWISS, "");
  a.SelectObject(&font);

  for (int step = 0; step < 8 && in.More(); ++step) {
    DeviceContext& dc = (in.Byte() & 1) ? a : b;
    const DeviceContext& other = (&dc == &a) ? b : a;
    dc.SetBkMode(1 + in.Byte() % 2);
    dc.SetBkColor(static_cast<COLORREF>(in.Byte()) * 0x010203u);
    dc.SetTextColor(static_cast<COLORREF>(in.Byte()) * 0x030201u);
    switch (in.Byte() % 5) {
      case 0: {
        const int x = in.Coordinate(), y = in.Coordinate();
        const std::string text = in.Text();
        dc.TextOut(x, y, text.data(), static_cast<int>(text.size()));
        break;
      }
      case 1: {
        RECT rect{in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate()};
        const UINT format = in.Byte() | (static_cast<UINT>(in.Byte() & 0x0D) << 8);
        const std::string text = in.Text();
        dc.DrawText(text.data(), static_cast<int>(text.size()), &rect, format);
        break;
      }
      case 2: {
        const RECT rect{in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate()};
        const int x = in.Coordinate(), y = in.Coordinate();
        const std::string text = in.Text();
        dc.ExtTextOut(x, y, in.Byte() & 6, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
        break;
      }
      case 3:
        dc.StretchBlt(in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate(), other,
                      in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate(), SRCCOPY);
        break;
      default:
        dc.BitBlt(in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate(), dc,
                  in.Coordinate(), in.Coordinate(), SRCCOPY);
        break;
    }
    first.CheckGuards();
    second.CheckGuards();
  }
  return 0;
}
