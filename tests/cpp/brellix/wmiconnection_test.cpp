#include "scriptedfixture.h"

#include <vector>

namespace {

using scripted::calls;
using scripted::script;
using scripted::Script;

const std::vector<std::string> kConnectCalls = {
    "CoInitializeEx(null,0)",
    "CoInitializeSecurity(null,-1,0,3,0)",
    "CoCreateInstance(WbemLocator,null,1,IWbemLocator)",
    "ConnectServer(ROOT\\CIMV2,null,0)",
    "CoSetProxyBlanket(services,10,0,null,3,3,0)",
};

using ConnectionTest = ScriptedTest;

TEST_F(ConnectionTest, ConnectsThenReleasesServicesLocatorAndUninitialisesSilently) {
  std::string err = with_connection([](WmiConnection &c) {
    EXPECT_EQ(c.connect("ROOT\\CIMV2"), 0);
    EXPECT_EQ(c.status, 0);
    EXPECT_TRUE(c.error_text.empty());
    EXPECT_TRUE(c.com_initialized);
    EXPECT_NE(c.services, nullptr);
    EXPECT_EQ(calls(), kConnectCalls);
    calls().clear();
  });
  EXPECT_EQ(err, "");
  EXPECT_EQ(calls(), (std::vector<std::string>{"Release(services)", "Release(locator)",
                                               "CoUninitialize"}));
}

struct StepFailure {
  const char *name;
  HRESULT Script::*field;
  HRESULT result;
  const char *message;
  std::vector<std::string> at_end;  // calls made while the connection ends
};

// The step's name stands for the parameter in test lists and ctest's names.
void PrintTo(const StepFailure &f, std::ostream *out) { *out << f.name; }

class ConnectStepFailure : public ScriptedTest, public ::testing::WithParamInterface<StepFailure> {};

TEST_P(ConnectStepFailure, StopsWithItsMessageStatusAndReleases) {
  const StepFailure &f = GetParam();
  script().*(f.field) = f.result;
  size_t calls_made = 0;
  std::string err = with_connection([&](WmiConnection &c) {
    EXPECT_EQ(c.connect("ROOT\\CIMV2"), 1);
    EXPECT_EQ(c.status, f.result);
    EXPECT_EQ(c.error_text, f.message);
    calls_made = calls().size();
    calls().clear();
  });
  char line[200];
  std::snprintf(line, sizeof line, "%s - 0x%X\n", f.message, static_cast<unsigned>(f.result));
  EXPECT_EQ(err, line);
  EXPECT_EQ(calls(), f.at_end);
  // No step after the failing one ran.
  EXPECT_LE(calls_made, kConnectCalls.size());
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, ConnectStepFailure,
    ::testing::Values(
        StepFailure{"com", &Script::co_initialize, E_OUTOFMEMORY,
                    "\nFailed to initialize COM library", {}},
        StepFailure{"security", &Script::security, E_FAIL, "\nFailed to initialize security",
                    {"CoUninitialize"}},
        StepFailure{"locator", &Script::create_instance, REGDB_E_CLASSNOTREG,
                    "\nFailed to create IWbemLocator object", {"CoUninitialize"}},
        StepFailure{"server", &Script::connect_server, WBEM_E_INVALID_NAMESPACE,
                    "\nCould not connect to WMI", {"Release(locator)", "CoUninitialize"}},
        StepFailure{"blanket", &Script::proxy_blanket, E_INVALIDARG, "\nCould not set proxy blanket",
                    {"Release(services)", "Release(locator)", "CoUninitialize"}}));

TEST_F(ConnectionTest, AcceptsAnExistingApartmentWithoutUninitialisingIt) {
  for (HRESULT existing : {S_FALSE, RPC_E_CHANGED_MODE}) {
    scripted::reset();
    script().co_initialize = existing;
    std::string err = with_connection([](WmiConnection &c) {
      EXPECT_EQ(c.connect("ROOT\\CIMV2"), 0);
      EXPECT_EQ(c.status, 0);
      EXPECT_FALSE(c.com_initialized);
    });
    EXPECT_EQ(err, "");
    EXPECT_EQ(scripted::count_calls("CoUninitialize"), 0);
  }
}

TEST_F(ConnectionTest, ExistingApartmentIsKeptAlsoWhenALaterStepFails) {
  script().co_initialize = S_FALSE;
  script().connect_server = WBEM_E_INVALID_NAMESPACE;
  std::string err = with_connection([](WmiConnection &c) { EXPECT_EQ(c.connect("x"), 1); });
  EXPECT_EQ(err, "\nCould not connect to WMI - 0x8004100E\n");
  EXPECT_EQ(scripted::count_calls("CoUninitialize"), 0);
}

TEST_F(ConnectionTest, SecuritySetAlreadyIsAccepted) {
  script().security = RPC_E_TOO_LATE;
  std::string err = with_connection([](WmiConnection &c) {
    EXPECT_EQ(c.connect("ROOT\\CIMV2"), 0);
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(c.error_text, "");
  });
  EXPECT_EQ(err, "");
}

TEST_F(ConnectionTest, DiagnosticLineOnlyForStatusOrText) {
  EXPECT_EQ(with_connection([](WmiConnection &) {}), "");
  EXPECT_EQ(with_connection([](WmiConnection &c) { c.status = 1; }), " - 0x1\n");
  EXPECT_EQ(with_connection([](WmiConnection &c) { c.error_text = "\nx"; }), "\nx - 0x0\n");
  EXPECT_EQ(with_connection([](WmiConnection &c) { c.status = BRELLIX_HR(0x80041010u); }),
            " - 0x80041010\n");
  EXPECT_TRUE(calls().empty());
}

TEST_F(ConnectionTest, StatusTextIsLowerCaseHex) {
  WmiConnection c;
  EXPECT_EQ(c.status_text(), "0x0");
  c.status = 1;
  EXPECT_EQ(c.status_text(), "0x1");
  c.status = WBEM_E_INVALID_CLASS;
  EXPECT_EQ(c.status_text(), "0x80041010");
  c.status = 0;
}

// ---- Text conversions

struct GuardedBuffer {
  WmiConnection::WideBuffer buffer;
  wchar_t guard[16];
};

TEST(ToWide, ConvertsShortTextsWithoutMessage) {
  WmiConnection c;
  GuardedBuffer b{};
  c.to_wide("", b.buffer);
  EXPECT_EQ(b.buffer[0], L'\0');
  c.to_wide("ROOT\\CIMV2", b.buffer);
  EXPECT_EQ(std::wstring(b.buffer), L"ROOT\\CIMV2");
  c.to_wide(std::string(149, 'a'), b.buffer);
  EXPECT_EQ(std::wstring(b.buffer), std::wstring(149, L'a'));
  EXPECT_EQ(c.error_text, "");
}

TEST(ToWide, OverLongTextIsCutAtTheBufferAndReported) {
  WmiConnection c;
  GuardedBuffer b;
  for (wchar_t &g : b.guard) g = L'#';
  c.to_wide(std::string(150, 'a'), b.buffer);
  EXPECT_EQ(std::wstring(b.buffer), std::wstring(149, L'a'));
  EXPECT_EQ(c.error_text,
            "\nWide chars conversion has failed. Error code: 80. num_converted: 150 length: 150");
  c.error_text.clear();
  c.to_wide(std::string(5000, 'b'), b.buffer);
  EXPECT_EQ(std::wstring(b.buffer), std::wstring(149, L'b'));
  EXPECT_EQ(c.error_text,
            "\nWide chars conversion has failed. Error code: 80. num_converted: 150 length: 5000");
  for (wchar_t g : b.guard) EXPECT_EQ(g, L'#');
  EXPECT_EQ(c.status, 0);
  c.error_text.clear();
}

TEST(ToWide, MultibyteTextConvertsWholeButIsReported) {
  LocaleScope utf8("C.UTF-8");
  WmiConnection c;
  WmiConnection::WideBuffer buffer;
  c.to_wide("caf\xc3\xa9", buffer);
  EXPECT_EQ(std::wstring(buffer), L"caf\u00e9");
  EXPECT_EQ(c.error_text,
            "\nWide chars conversion has failed. Error code: 0. num_converted: 5 length: 5");
  c.error_text.clear();
  c.to_wide("\xff", buffer);
  EXPECT_EQ(buffer[0], L'\0');
  EXPECT_EQ(c.error_text,
            "\nWide chars conversion has failed. Error code: 42. num_converted: 0 length: 1");
  c.error_text.clear();
}

TEST(ToNarrow, KeepsOnlyValuesThatConvertWhole) {
  EXPECT_EQ(WmiConnection::to_narrow(L"", 0), "");
  EXPECT_EQ(WmiConnection::to_narrow(nullptr, 0), "");
  std::wstring fits(149, L'x');
  EXPECT_EQ(WmiConnection::to_narrow(fits.c_str(), fits.size()), std::string(149, 'x'));
  std::wstring too_long(150, L'x');
  EXPECT_EQ(WmiConnection::to_narrow(too_long.c_str(), too_long.size()), "");
  std::wstring far_too_long(4000, L'x');
  EXPECT_EQ(WmiConnection::to_narrow(far_too_long.c_str(), far_too_long.size()), "");
  // The C locale cannot represent it (it takes wide characters up to 0xFF only).
  EXPECT_EQ(WmiConnection::to_narrow(L"caf\u20ac", 4), "");
}

TEST(ToNarrow, MultibyteValuesAreNeverCutAtTheWideCount) {
  LocaleScope utf8("C.UTF-8");
  EXPECT_EQ(WmiConnection::to_narrow(L"\u00e9\u00e9", 2), "\xc3\xa9\xc3\xa9");
  // 74 two-byte characters and one ASCII: 149 bytes fit; one byte more does not.
  std::wstring fits = std::wstring(74, L'\u00e9') + L"a";
  std::string fits_utf8;
  for (int i = 0; i < 74; ++i) fits_utf8 += "\xc3\xa9";
  EXPECT_EQ(WmiConnection::to_narrow(fits.c_str(), fits.size()), fits_utf8 + "a");
  std::wstring over = std::wstring(75, L'\u00e9');
  EXPECT_EQ(WmiConnection::to_narrow(over.c_str(), over.size()), "");
}

}  // namespace
