#include "scriptedfixture.h"

namespace {

using scripted::calls;
using scripted::Property;
using scripted::QueryRun;

const char kOs[] = "SELECT SystemDrive from Win32_OperatingSystem";
const char kToPartition[] =
    "ASSOCIATORS OF {win32_logicaldisk.deviceid='C:'} WHERE ResultClass=Win32_DiskPartition";
const char kToDisk[] =
    "ASSOCIATORS OF {Win32_DiskPartition.DeviceID='Disk #0, Partition 1'} WHERE "
    "ResultClass=Win32_DiskDrive";

class SystemDiskTest : public ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    query(kOs, objects({{{"SystemDrive", Property::string(L"C:")}},
                        {{"SystemDrive", Property::string(L"D:")}}}));
    query(kToPartition, objects({{{"DeviceID", Property::string(L"Disk #0, Partition 1")}}}));
    query(kToDisk, objects({{{"DeviceID", Property::string(L"\\\\.\\PHYSICALDRIVE0")}}}));
    query(kDisk, objects({{{"SerialNumber", Property::string(L"WD-123")},
                           {"Signature", Property::i4(-559038737)}}}));
  }

  int run(std::string &serial, uint32_t &signature, std::string *err = nullptr,
          HRESULT *status = nullptr, std::string *text = nullptr) {
    int result = -1;
    std::string out = with_connection([&](WmiConnection &c) {
      ASSERT_EQ(c.connect("ROOT\\CIMV2"), 0);
      calls().clear();
      result = c.query_system_disk(serial, signature);
      if (status) *status = c.status;
      if (text) *text = c.error_text;
    });
    if (err) *err = out;
    return result;
  }
};

TEST_F(SystemDiskTest, WalksToTheDiskWithEscapedIdAndReadsSerialAndSignature) {
  std::string serial;
  uint32_t signature = 0;
  HRESULT status = -1;
  EXPECT_EQ(run(serial, signature, nullptr, &status), 0);
  EXPECT_EQ(serial, "WD-123");
  EXPECT_EQ(signature, 0xDEADBEEFu);
  EXPECT_EQ(status, 0);
  std::vector<std::string> execs;
  for (const auto &call : calls())
    if (call.rfind("ExecQuery", 0) == 0) execs.push_back(call);
  const std::string d = std::string("ExecQuery(WQL|") + kDisk + "|48|null)";
  EXPECT_EQ(execs, (std::vector<std::string>{std::string("ExecQuery(WQL|") + kOs + "|48|null)",
                                             std::string("ExecQuery(WQL|") + kToPartition + "|48|null)",
                                             std::string("ExecQuery(WQL|") + kToDisk + "|48|null)",
                                             d, d}));
  // Each step asks for the first object only.
  EXPECT_EQ(scripted::count_calls("Next"), 5);
}

TEST_F(SystemDiskTest, NullSerialAndSignatureAreSuccesses) {
  query(kDisk, QueryRun());
  scripted::script().queries[kDisk].clear();
  query(kDisk, objects({{{"SerialNumber", Property::of_type(VT_NULL)},
                         {"Signature", Property::of_type(VT_NULL)}}}));
  std::string serial = "old";
  uint32_t signature = 5;
  EXPECT_EQ(run(serial, signature), 0);
  EXPECT_EQ(serial, "");
  EXPECT_EQ(signature, 0u);
}

struct Step {
  const char *query;
  const char *message;
};
const Step kSteps[] = {
    {kOs, "\nFailed to retrieve system drive. Return code: "},
    {kToPartition, "\nFailed to retrieve logical drive to partition mapping. Return code: "},
    {kToDisk, "\nFailed to retrieve partition to device mapping. Return code: "},
    {kDisk, "\nFailed to retrieve hard drive serial number. Return code: "},
};

TEST_F(SystemDiskTest, EachStepFailsWithItsMessageWhenNothingComes) {
  for (const Step &step : kSteps) {
    SetUp();
    scripted::script().queries[step.query] = {QueryRun()};
    std::string serial, text, err;
    uint32_t signature;
    HRESULT status = 0;
    EXPECT_EQ(run(serial, signature, &err, &status, &text), 1);
    EXPECT_EQ(text, std::string(step.message) + "0 result - ");
    EXPECT_EQ(status, WBEM_S_FALSE);
    EXPECT_EQ(err, text + " - 0x1\n");
  }
}

TEST_F(SystemDiskTest, EachStepFailsWithItsMessageWhenTheQueryFails) {
  for (const Step &step : kSteps) {
    SetUp();
    QueryRun refused;
    refused.exec_result = WBEM_E_INVALID_QUERY;
    scripted::script().queries[step.query] = {refused};
    std::string serial, text;
    uint32_t signature;
    HRESULT status = 0;
    EXPECT_EQ(run(serial, signature, nullptr, &status, &text), 1);
    EXPECT_NE(text.find(std::string(step.message) + "1 result - "), std::string::npos) << text;
    EXPECT_EQ(text.rfind("\nQuery for ", 0), 0u);
    EXPECT_EQ(status, WBEM_E_INVALID_QUERY);
  }
}

TEST_F(SystemDiskTest, SignatureStepFailsWithItsOwnMessage) {
  // The same text runs twice: serial first, then a failing signature run.
  QueryRun refused;
  refused.exec_result = WBEM_E_FAILED;
  scripted::script().queries[kDisk].push_back(refused);
  std::string serial, text;
  uint32_t signature;
  HRESULT status = 0;
  EXPECT_EQ(run(serial, signature, nullptr, &status, &text), 1);
  EXPECT_EQ(text, "\nQuery for Signature failed - \nFailed to retrieve hard drive signature. "
                  "Return code: 1 result - ");
  EXPECT_EQ(status, WBEM_E_FAILED);
}

TEST_F(SystemDiskTest, OnlyTheFirstDevicePrefixIsEscaped) {
  scripted::script().queries[kToDisk] = {
      objects({{{"DeviceID", Property::string(L"\\\\.\\PHYSICALDRIVE9\\\\.\\x")}}})};
  std::string serial;
  uint32_t signature;
  run(serial, signature);
  EXPECT_EQ(scripted::count_calls(
                "ExecQuery(WQL|SELECT * FROM Win32_DiskDrive WHERE "
                "DeviceId='\\\\\\\\.\\\\PHYSICALDRIVE9\\\\.\\x'|"),
            1);
}

TEST_F(SystemDiskTest, AnIdWithoutThePrefixIsSentAsItIs) {
  scripted::script().queries[kToDisk] = {objects({{{"DeviceID", Property::string(L"disk0")}}})};
  std::string serial;
  uint32_t signature;
  run(serial, signature);
  EXPECT_EQ(scripted::count_calls(
                "ExecQuery(WQL|SELECT * FROM Win32_DiskDrive WHERE DeviceId='disk0'|"),
            1);
}

}  // namespace
