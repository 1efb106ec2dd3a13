// Shared pieces of the tests that run brellix over the scripted platform.
#pragma once

#include "scriptedplatform.h"
#include "wmiconnection.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

// Query texts that several suites expect to see sent.
inline constexpr const char kDisks[] = "SELECT * FROM Win32_DiskDrive WHERE InterfaceType != \"USB\"";
inline constexpr const char kDisk[] = "SELECT * FROM Win32_DiskDrive WHERE DeviceId='\\\\\\\\.\\\\PHYSICALDRIVE0'";

class ScriptedTest : public ::testing::Test {
 protected:
  void SetUp() override { scripted::reset(); }
  void TearDown() override {
    // Whatever brellix took from COM it gave back.
    EXPECT_EQ(scripted::live_objects(), 0);
    EXPECT_EQ(scripted::live_strings(), 0);
  }

  static void query(const std::string &text, const scripted::QueryRun &run) {
    scripted::script().queries[text].push_back(run);
  }
  static scripted::QueryRun objects(const std::vector<std::map<std::string, scripted::Property>> &list) {
    scripted::QueryRun run;
    for (const auto &properties : list) run.steps.push_back(scripted::object_step(properties));
    return run;
  }
};

// Runs `body` on a fresh connection and returns what reached stderr, the connection's
// end included.
template <typename Body>
std::string with_connection(Body body) {
  testing::internal::CaptureStderr();
  {
    WmiConnection connection;
    body(connection);
  }
  return testing::internal::GetCapturedStderr();
}

class LocaleScope {
 public:
  explicit LocaleScope(const char *name) { std::setlocale(LC_ALL, name); }
  ~LocaleScope() { std::setlocale(LC_ALL, "C"); }
};
