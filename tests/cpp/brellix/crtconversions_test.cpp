// The runtime's bounded conversions, with the Microsoft runtime's results.
#include "platform.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

TEST(MbstowcsS, ConvertsCountsTheTerminatorAndTruncatesOnRequest) {
  wchar_t out[8];
  size_t n = 99;
  EXPECT_EQ(mbstowcs_s(&n, out, 8, "abc", _TRUNCATE), 0);
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(std::wstring(out), L"abc");
  EXPECT_EQ(mbstowcs_s(&n, out, 4, "abcdef", _TRUNCATE), STRUNCATE);
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(std::wstring(out), L"abc");
  EXPECT_EQ(mbstowcs_s(&n, out, 4, "abcdef", 10), ERANGE);
  EXPECT_EQ(out[0], L'\0');
  EXPECT_EQ(mbstowcs_s(&n, out, 8, "abcdef", 2), 0);
  EXPECT_EQ(std::wstring(out), L"ab");
  EXPECT_EQ(mbstowcs_s(&n, nullptr, 0, "abcdef", _TRUNCATE), 0);
  EXPECT_EQ(n, 7u);
  EXPECT_EQ(mbstowcs_s(&n, out, 8, nullptr, _TRUNCATE), EINVAL);
  EXPECT_EQ(mbstowcs_s(&n, out, 0, "a", _TRUNCATE), EINVAL);
}

TEST(WcstombsS, StoresWholeCharactersOnly) {
  std::setlocale(LC_ALL, "C.UTF-8");
  char out[6];
  size_t n = 0;
  EXPECT_EQ(wcstombs_s(&n, out, 6, L"\u00e9\u00e9\u00e9", _TRUNCATE), STRUNCATE);
  EXPECT_STREQ(out, "\xc3\xa9\xc3\xa9");
  EXPECT_EQ(n, 5u);
  EXPECT_EQ(wcstombs_s(&n, out, 6, L"\u00e9\u00e9\u00e9", 3), 0);
  EXPECT_STREQ(out, "\xc3\xa9");
  EXPECT_EQ(wcstombs_s(&n, out, 6, L"abcdefgh", 100), ERANGE);
  EXPECT_STREQ(out, "");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(wcstombs_s(&n, out, 6, nullptr, _TRUNCATE), EINVAL);
}

// Microsoft's "C" locale maps bytes and wide characters up to 0xFF one to one, and its
// EILSEQ is 42 (Wine's runtime answers the same).
TEST(ClassicLocale, MapsBytesOneToOneAndReportsMicrosoftsEilseq) {
  std::setlocale(LC_ALL, "C");
  char out[6];
  size_t n = 0;
  EXPECT_EQ(wcstombs_s(&n, out, 6, L"\u00e9", _TRUNCATE), 0);
  EXPECT_STREQ(out, "\xe9");
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(wcstombs_s(&n, out, 6, L"a\u0100", _TRUNCATE), 42);
  EXPECT_STREQ(out, "");
  wchar_t wide[6];
  EXPECT_EQ(mbstowcs_s(&n, wide, 6, "\xc3\xa9", _TRUNCATE), 0);
  EXPECT_EQ(std::wstring(wide), L"\u00c3\u00a9");
  EXPECT_EQ(n, 3u);

  std::setlocale(LC_ALL, "C.UTF-8");
  EXPECT_EQ(mbstowcs_s(&n, wide, 6, "\xff", _TRUNCATE), 42);
  EXPECT_EQ(wide[0], L'\0');
  EXPECT_EQ(wcstombs_s(&n, out, 6, L"\xdc00", _TRUNCATE), 42);
  std::setlocale(LC_ALL, "C");
}

}  // namespace
