#include "schedule/picture_catalogue.h"

namespace ossen {
namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool Fail(std::vector<CataloguePicture>& pictures, std::string& error, int line, std::string_view why) {
  pictures.clear();
  error = "line " + std::to_string(line) + ": " + std::string(why);
  return false;
}

}  // namespace

bool ParseCatalogue(std::string_view text, std::vector<CataloguePicture>& pictures, std::string& error) {
  pictures.clear();
  error.clear();
  if (text.find('\0') != std::string_view::npos) {
    error = "the catalogue holds a NUL byte";
    return false;
  }
  int lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++lineNumber;
    if (line.empty() || line.front() == '#') continue;

    const std::size_t first = line.find('|');
    const std::size_t second = first == std::string_view::npos ? first : line.find('|', first + 1);
    if (second == std::string_view::npos || line.find('|', second + 1) != std::string_view::npos) {
      return Fail(pictures, error, lineNumber, "expected file|title|painter");
    }
    CataloguePicture picture;
    picture.file = Trim(line.substr(0, first));
    picture.title = Trim(line.substr(first + 1, second - first - 1));
    picture.painter = Trim(line.substr(second + 1));
    picture.line = lineNumber;
    if (picture.file.empty()) return Fail(pictures, error, lineNumber, "no picture file named");
    if (picture.title.empty()) return Fail(pictures, error, lineNumber, "no title");
    if (static_cast<int>(pictures.size()) == kMaxCataloguePictures) {
      return Fail(pictures, error, lineNumber, "more than " + std::to_string(kMaxCataloguePictures) + " pictures");
    }
    pictures.push_back(std::move(picture));
  }
  if (pictures.empty()) {
    error = "the catalogue names no pictures";
    return false;
  }
  return true;
}

}  // namespace ossen
