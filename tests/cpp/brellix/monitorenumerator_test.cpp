#include "monitorenumerator.h"
#include "scriptedplatform.h"

#include <gtest/gtest.h>

namespace {

using scripted::calls;
using scripted::script;

scripted::Monitor monitor(const std::string &device, int vertres, int horzres, int vertsize,
                          int horzsize) {
  scripted::Monitor m;
  m.device = device;
  m.caps[0] = vertres;
  m.caps[1] = horzres;
  m.caps[2] = vertsize;
  m.caps[3] = horzsize;
  return m;
}

class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scripted::reset();
    script().monitors = {monitor("\\\\.\\DISPLAY1", 1080, 1920, 286, 508),
                         monitor("\\\\.\\DISPLAY2", 1200, 1600, 300, 400)};
  }
};

TEST_F(MonitorTest, RecordsEveryMonitorInOrderWithHeightBeforeWidth) {
  MonitorEnumerator e;
  ASSERT_EQ(e.records.size(), 2u);
  EXPECT_EQ(e.error_text, "");
  const MonitorRecord &r = e.records[1];
  EXPECT_EQ(r.device_name, "\\\\.\\DISPLAY2");
  EXPECT_EQ(r.height_px, 1200u);
  EXPECT_EQ(r.width_px, 1600u);
  EXPECT_EQ(r.height_mm, 300u);
  EXPECT_EQ(r.width_mm, 400u);
  EXPECT_EQ(std::vector<std::string>(calls().begin(), calls().begin() + 8),
            (std::vector<std::string>{"EnumDisplayMonitors(null,null)", "GetMonitorInfoA(0,72)",
                                      "CreateDCA(DISPLAY,\\\\.\\DISPLAY1,null)",
                                      "GetDeviceCaps(117)", "GetDeviceCaps(118)",
                                      "GetDeviceCaps(6)", "GetDeviceCaps(4)", "DeleteDC(hdc)"}));
}

TEST_F(MonitorTest, NoMonitorLeavesBothEmpty) {
  script().monitors.clear();
  MonitorEnumerator e;
  EXPECT_TRUE(e.records.empty());
  EXPECT_EQ(e.error_text, "");
}

TEST_F(MonitorTest, MonitorInfoFailureStopsWithTheErrorNumber) {
  script().monitors[0].info_fails = true;
  script().monitors[0].info_errno = 22;
  {
    MonitorEnumerator e;
    EXPECT_TRUE(e.records.empty());
    EXPECT_EQ(e.error_text, "GetMonitorInfoA failed with error: 22");
  }
  scripted::reset();
  SetUp();
  script().monitors[1].info_fails = true;
  script().monitors[1].info_errno = 5;
  MonitorEnumerator e;
  ASSERT_EQ(e.records.size(), 1u);
  EXPECT_EQ(e.records[0].device_name, "\\\\.\\DISPLAY1");
  EXPECT_EQ(e.error_text, "GetMonitorInfoA failed with error: 5");
}

TEST_F(MonitorTest, DeviceContextThatCannotBeMadeIsAFailureNotAZeroMonitor) {
  script().monitors[1].create_fails = true;
  MonitorEnumerator e;
  ASSERT_EQ(e.records.size(), 1u);
  EXPECT_EQ(e.error_text, "CreateDCA failed for device: \\\\.\\DISPLAY2");
  EXPECT_EQ(scripted::count_calls("GetDeviceCaps"), 4);
  EXPECT_EQ(scripted::count_calls("DeleteDC"), 1);
}

TEST_F(MonitorTest, DeviceContextThatCannotBeDeletedStopsWithAFailure) {
  script().monitors[0].delete_fails = true;
  MonitorEnumerator e;
  ASSERT_EQ(e.records.size(), 1u);
  EXPECT_EQ(e.error_text, "DeleteDC failed for device: \\\\.\\DISPLAY1");
  EXPECT_EQ(scripted::count_calls("GetMonitorInfoA"), 1);
}

}  // namespace
