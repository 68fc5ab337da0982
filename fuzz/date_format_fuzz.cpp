// Hostile pictures, moments and buffer sizes into the picture formatter, and stored
// settings into the checks that decide whether they can serve.
//
// Input: 16 bytes of SYSTEMTIME, one byte of buffer size, one byte choosing date or time,
// then the picture. Checks: the size asked for is the size written; a buffer one short
// fails without a byte written past it; what is written is terminated where the count says.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/date_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ossen;
  if (size < sizeof(SYSTEMTIME) + 2) return 0;
  static const PictureTexts texts = DeriveLocaleDateSettings("C").texts;
  SYSTEMTIME time;
  std::memcpy(&time, data, sizeof time);
  const int bufferSize = data[sizeof time];
  const PictureKind kind = (data[sizeof time + 1] & 1) ? PictureKind::kTime : PictureKind::kDate;
  // Pictures reach the formatter as C texts: they end at the first NUL.
  std::string_view picture(reinterpret_cast<const char*>(data + sizeof time + 2), size - sizeof time - 2);
  picture = picture.substr(0, picture.find('\0'));

  // Most raw fields are impossible moments; odd bytes of the size byte bring them in range
  // so that the pictures get exercised.
  if (bufferSize & 1) {
    time.wMonth = static_cast<WORD>(time.wMonth % 12 + 1);
    time.wDay = static_cast<WORD>(time.wDay % 28 + 1);
    time.wYear = static_cast<WORD>(1601 + time.wYear % 29227);
    time.wHour %= 24;
    time.wMinute %= 60;
    time.wSecond %= 60;
    time.wMilliseconds %= 1000;
  }

  const int needed = FormatPicture(kind, picture, time, texts, nullptr, 0);
  if (needed == 0) {
    char probe[4] = {'x', 'x', 'x', 'x'};
    if (FormatPicture(kind, picture, time, texts, probe, 3) != 0 || probe[3] != 'x') std::abort();
    return 0;
  }
  std::vector<char> out(static_cast<std::size_t>(needed) + 8, 'x');
  if (FormatPicture(kind, picture, time, texts, out.data(), needed) != needed) std::abort();
  if (out[needed - 1] != '\0' || std::strlen(out.data()) != static_cast<std::size_t>(needed - 1)) std::abort();
  if (out[needed] != 'x') std::abort();

  std::vector<char> small(static_cast<std::size_t>(bufferSize) + 1, 'x');
  const int written = FormatPicture(kind, picture, time, texts, small.data(), bufferSize);
  if (small[bufferSize] != 'x') std::abort();
  // Size 0 asks for the size and writes nothing.
  if (written != (bufferSize == 0 || needed <= bufferSize ? needed : 0)) std::abort();
  if (bufferSize == 0 && small[0] != 'x') std::abort();

  // The same bytes as stored settings: the checks never read past them.
  UsableShortDatePicture(picture);
  const std::size_t half = picture.size() / 2;
  UsableTimeMarkers(picture.substr(0, half), picture.substr(half));
  return 0;
}
