// mbstowcs_s and wcstombs_s with the Microsoft runtime's semantics, over the C
// library's restartable conversions (current locale). Invalid parameters return
// EINVAL here instead of calling an invalid-parameter handler.
#include "../../platform.h"

#include <climits>
#include <clocale>
#include <cstring>
#include <cwchar>

namespace {

// The Microsoft runtime's EILSEQ; this C library's differs (84), and the number reaches
// the connection's diagnostic text.
constexpr errno_t kMicrosoftEilseq = 42;

// The Microsoft runtime's "C" locale is a single-byte code page that maps each byte to
// the wide character of the same value, and back for wide characters up to 0xFF. This
// C library's "C" locale takes ASCII only.
bool classic_locale() {
  const char *name = std::setlocale(LC_CTYPE, nullptr);
  return name != nullptr && (std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0);
}

}  // namespace

errno_t mbstowcs_s(size_t *converted, wchar_t *destination, size_t destination_words,
                   const char *source, size_t count) {
  if (converted) *converted = 0;
  if (source == nullptr || (destination == nullptr && destination_words != 0) ||
      (destination != nullptr && destination_words == 0)) {
    if (destination && destination_words) destination[0] = L'\0';
    errno = EINVAL;
    return EINVAL;
  }

  std::mbstate_t state{};
  const char *in = source;
  size_t left = std::strlen(source);
  size_t written = 0;  // wide characters, terminator not counted
  const bool measuring = destination == nullptr;
  bool truncated = false;
  const bool classic = classic_locale();

  while (left > 0 && (count == _TRUNCATE || written < count)) {
    wchar_t wide;
    size_t used = 1;
    if (classic)
      wide = static_cast<unsigned char>(*in);
    else
      used = std::mbrtowc(&wide, in, left, &state);
    if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2)) {
      if (destination) destination[0] = L'\0';
      errno = EILSEQ;
      return kMicrosoftEilseq;
    }
    if (used == 0) break;  // embedded terminator
    if (!measuring && written + 1 >= destination_words) {
      truncated = true;
      break;
    }
    if (!measuring) destination[written] = wide;
    ++written;
    in += used;
    left -= used;
  }

  if (truncated && count != _TRUNCATE) {
    destination[0] = L'\0';
    errno = ERANGE;
    return ERANGE;
  }
  if (!measuring) destination[written] = L'\0';
  if (converted) *converted = written + 1;
  return truncated ? STRUNCATE : 0;
}

errno_t wcstombs_s(size_t *converted, char *destination, size_t destination_bytes,
                   const wchar_t *source, size_t count) {
  if (converted) *converted = 0;
  if (source == nullptr || (destination == nullptr && destination_bytes != 0) ||
      (destination != nullptr && destination_bytes == 0)) {
    if (destination && destination_bytes) destination[0] = '\0';
    errno = EINVAL;
    return EINVAL;
  }

  std::mbstate_t state{};
  const bool measuring = destination == nullptr;
  size_t written = 0;  // bytes, terminator not counted
  bool truncated = false;
  const bool classic = classic_locale();

  for (const wchar_t *in = source; *in != L'\0'; ++in) {
    char bytes[MB_LEN_MAX];
    size_t size = static_cast<size_t>(-1);
    if (!classic)
      size = std::wcrtomb(bytes, *in, &state);
    else if (static_cast<uint32_t>(*in) <= 0xFF) {
      bytes[0] = static_cast<char>(*in);
      size = 1;
    }
    if (size == static_cast<size_t>(-1)) {
      if (destination) destination[0] = '\0';
      errno = EILSEQ;
      return kMicrosoftEilseq;
    }
    // A character is stored whole or not at all.
    if (count != _TRUNCATE && written + size > count) break;
    if (!measuring && written + size + 1 > destination_bytes) {
      truncated = true;
      break;
    }
    if (!measuring) std::memcpy(destination + written, bytes, size);
    written += size;
  }

  if (truncated && count != _TRUNCATE) {
    destination[0] = '\0';
    errno = ERANGE;
    return ERANGE;
  }
  if (!measuring) destination[written] = '\0';
  if (converted) *converted = written + 1;
  return truncated ? STRUNCATE : 0;
}
