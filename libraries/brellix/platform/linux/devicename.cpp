// A monitor's device name: the X server's bytes as text in the process code page.
#include "devicename.h"

#include "../../platform.h"

#include <algorithm>

namespace {

// Length of the well-formed UTF-8 sequence at `text` (as strict as Python's decoder: no
// overlong forms, surrogates or values past U+10FFFF), or 0 when there is none.
size_t utf8_sequence(const unsigned char *text, size_t left) {
  unsigned char lead = text[0];
  if (lead < 0x80) return 1;
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (left < length || text[1] < low || text[1] > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (text[i] < 0x80 || text[i] > 0xBF) return 0;
  return length;
}

}  // namespace

// szDevice holds text in the process code page, UTF-8 here. The protocol makes atom names
// Latin-1, yet clients such as xrandr store the bytes they are given, mostly UTF-8: a name
// that is valid UTF-8 stays as it is, any other is read as Latin-1. The text ends at a NUL,
// as szDevice would, and is cut at a character boundary to fit szDevice.
std::string device_name(const char *bytes, size_t size) {
  const auto *name = reinterpret_cast<const unsigned char *>(bytes);
  size = std::find(name, name + size, '\0') - name;
  size_t at = 0;
  for (size_t length; at < size && (length = utf8_sequence(name + at, size - at)) != 0;)
    at += length;
  std::string text;
  if (at == size) {
    text.assign(bytes, size);
  } else {
    for (size_t i = 0; i < size; ++i) {
      if (name[i] < 0x80) {
        text += static_cast<char>(name[i]);
      } else {
        text += static_cast<char>(0xC0 | name[i] >> 6);
        text += static_cast<char>(0x80 | (name[i] & 0x3F));
      }
    }
  }
  const auto *utf8 = reinterpret_cast<const unsigned char *>(text.data());
  size_t cut = 0;
  for (size_t length; cut < text.size(); cut += length) {
    length = utf8_sequence(utf8 + cut, text.size() - cut);
    if (length == 0 || cut + length > CCHDEVICENAME - 1) break;
  }
  text.resize(cut);
  return text;
}
