// mbstowcs_s and wcstombs_s with the Microsoft runtime's semantics, over the C
// library's restartable conversions (current locale). Invalid parameters return
// EINVAL here instead of calling an invalid-parameter handler.
#include "../../platform.h"

#include <climits>
#include <cstring>
#include <cwchar>

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

  while (left > 0 && (count == _TRUNCATE || written < count)) {
    wchar_t wide;
    size_t used = std::mbrtowc(&wide, in, left, &state);
    if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2)) {
      if (destination) destination[0] = L'\0';
      errno = EILSEQ;
      return EILSEQ;
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

  for (const wchar_t *in = source; *in != L'\0'; ++in) {
    char bytes[MB_LEN_MAX];
    size_t size = std::wcrtomb(bytes, *in, &state);
    if (size == static_cast<size_t>(-1)) {
      if (destination) destination[0] = '\0';
      errno = EILSEQ;
      return EILSEQ;
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
