// The module's four functions over the scripted platform, in an embedded interpreter.
#include <Python.h>

#include "scriptedfixture.h"

extern "C" PyObject *PyInit_brellix();

namespace {

using scripted::calls;
using scripted::Property;
using scripted::QueryRun;
using scripted::script;


class ModuleTest : public ScriptedTest {
 protected:
  static void SetUpTestSuite() {
    if (!Py_IsInitialized()) {
      PyImport_AppendInittab("brellix", PyInit_brellix);
      Py_InitializeEx(0);
    }
  }
  void SetUp() override {
    ScriptedTest::SetUp();
    module_ = PyImport_ImportModule("brellix");
    ASSERT_NE(module_, nullptr);
    script().on_exec_query = [this] { lock_held_.push_back(PyGILState_Check() != 0); };
  }
  void TearDown() override {
    Py_XDECREF(module_);
    ScriptedTest::TearDown();
  }

  // Calls brellix.<name>(); returns its result, or null with `error` holding
  // "<exception type>: <text>". `err` receives what reached stderr.
  PyObject *call(const char *name, std::string *error = nullptr, std::string *err = nullptr) {
    testing::internal::CaptureStderr();
    PyObject *result = PyObject_CallMethod(module_, name, nullptr);
    std::string out = testing::internal::GetCapturedStderr();
    if (err) *err = out;
    if (result == nullptr) {
      PyObject *type, *value, *traceback;
      PyErr_Fetch(&type, &value, &traceback);
      PyObject *text = PyObject_Str(value);
      std::string message = std::string(reinterpret_cast<PyTypeObject *>(type)->tp_name) + ": " +
                            PyUnicode_AsUTF8(text);
      Py_XDECREF(text);
      Py_XDECREF(type);
      Py_XDECREF(value);
      Py_XDECREF(traceback);
      if (error) *error = message;
    }
    return result;
  }
  static std::string repr(PyObject *object) {
    PyObject *text = PyObject_Repr(object);
    std::string out = PyUnicode_AsUTF8(text);
    Py_DECREF(text);
    return out;
  }
  std::vector<std::string> queries() const {
    std::vector<std::string> out;
    for (const auto &call : calls())
      if (call.rfind("ExecQuery(WQL|", 0) == 0) out.push_back(call.substr(14, call.find('|', 14) - 14));
    return out;
  }
  void script_system_disk() {
    query("SELECT SystemDrive from Win32_OperatingSystem",
          objects({{{"SystemDrive", Property::string(L"C:")}}}));
    query("ASSOCIATORS OF {win32_logicaldisk.deviceid='C:'} WHERE ResultClass=Win32_DiskPartition",
          objects({{{"DeviceID", Property::string(L"Disk #0, Partition 1")}}}));
    query("ASSOCIATORS OF {Win32_DiskPartition.DeviceID='Disk #0, Partition 1'} WHERE "
          "ResultClass=Win32_DiskDrive",
          objects({{{"DeviceID", Property::string(L"\\\\.\\PHYSICALDRIVE0")}}}));
    query(kDisk, objects({{{"SerialNumber", Property::string(L"WD-123")},
                           {"Signature", Property::i4(-559038737)}}}));
  }

  PyObject *module_ = nullptr;
  std::vector<bool> lock_held_;
};

TEST_F(ModuleTest, HardwareMetricsFailThenSucceedOnceAndAreCached) {
  std::string error, err;

  // A failed connection raises its status and caches nothing.
  script().connect_server = WBEM_E_INVALID_NAMESPACE;
  EXPECT_EQ(call("get_hardware_metrics", &error, &err), nullptr);
  EXPECT_EQ(error, "RuntimeError: 0x8004100e");
  EXPECT_EQ(err, "\nCould not connect to WMI - 0x8004100E\n");

  // A system disk that cannot be found raises; the other queries decide nothing.
  scripted::reset();
  script().on_exec_query = [this] { lock_held_.push_back(PyGILState_Check() != 0); };
  EXPECT_EQ(call("get_hardware_metrics", &error, &err), nullptr);
  EXPECT_EQ(error, "RuntimeError: 0x1");
  EXPECT_EQ(err, "\nFailed to retrieve system drive. Return code: 0 result -  - 0x1\n");
  EXPECT_EQ(queries(), (std::vector<std::string>{"SELECT * FROM Win32_Processor",
                                                 "SELECT * FROM Win32_BaseBoard",
                                                 "SELECT * FROM Win32_ComputerSystemProduct",
                                                 "SELECT SystemDrive from Win32_OperatingSystem"}));

  // Success with no processor, baseboard or product answer: empty texts there.
  scripted::reset();
  lock_held_.clear();
  script().on_exec_query = [this] { lock_held_.push_back(PyGILState_Check() != 0); };
  script_system_disk();
  query("SELECT * FROM Win32_Processor",
        objects({{{"ProcessorId", Property::string(L"P1")}}, {{"ProcessorId", Property::string(L"P2")}}}));
  PyObject *metrics = call("get_hardware_metrics", &error, &err);
  ASSERT_NE(metrics, nullptr) << error;
  EXPECT_EQ(repr(metrics), "('P1', 'WD-123', 3735928559, '', '')");
  EXPECT_EQ(err, "");
  EXPECT_EQ(lock_held_, std::vector<bool>(8, false));

  // The second call is the same object, with no WMI and no output.
  calls().clear();
  PyObject *again = call("get_hardware_metrics", &error, &err);
  EXPECT_EQ(again, metrics);
  EXPECT_TRUE(calls().empty());
  EXPECT_EQ(err, "");
  Py_XDECREF(again);
  Py_DECREF(metrics);
}

TEST_F(ModuleTest, OverlappingHardwareCallsKeepTheLastTupleAndReleaseTheFirst) {
  script_system_disk();
  PyObject *inner = nullptr;
  bool nested = false;
  // While the outer call works without the lock, a nested call completes and is cached.
  script().on_exec_query = [&] {
    if (nested) return;
    nested = true;
    PyGILState_STATE state = PyGILState_Ensure();
    inner = PyObject_CallMethod(module_, "get_hardware_metrics", nullptr);
    PyGILState_Release(state);
  };
  std::string error;
  PyObject *outer = call("get_hardware_metrics", &error);
  if (!nested) {
    Py_XDECREF(outer);
    GTEST_SKIP() << "an earlier test of this process filled the cache";
  }
  ASSERT_NE(outer, nullptr) << error;
  ASSERT_NE(inner, nullptr);
  EXPECT_NE(inner, outer);
  // The cache let go of the inner tuple: only this test holds it now.
  EXPECT_EQ(Py_REFCNT(inner), 1);
  PyObject *again = call("get_hardware_metrics");
  EXPECT_EQ(again, outer);
  Py_XDECREF(again);
  Py_DECREF(outer);
  Py_DECREF(inner);
}

TEST_F(ModuleTest, HarddriveMetricsPairSerialsWithSignatures) {
  QueryRun serials = objects({{{"SerialNumber", Property::string(L"A")}},
                              {{"SerialNumber", Property::of_type(VT_NULL)}}});
  QueryRun signatures = objects({{{"Signature", Property::i4(1)}},
                                 {{"Signature", Property::i4(INT32_MIN)}}});
  query(kDisks, serials);
  query(kDisks, signatures);
  std::string error, err;
  PyObject *list = call("get_harddrive_metrics", &error, &err);
  ASSERT_NE(list, nullptr) << error;
  EXPECT_EQ(repr(list), "[('A', 1), ('', 2147483648)]");
  EXPECT_EQ(Py_REFCNT(PyList_GetItem(list, 0)), 1);
  // The complete enumeration leaves status 1 behind.
  EXPECT_EQ(err, " - 0x1\n");
  EXPECT_EQ(lock_held_, (std::vector<bool>{false, false}));
  std::vector<std::string> gets;
  for (const auto &c : calls())
    if (c.rfind("Get(", 0) == 0) gets.push_back(c.substr(0, c.find(',')));
  EXPECT_EQ(gets, (std::vector<std::string>{"Get(SerialNumber", "Get(SerialNumber", "Get(Signature",
                                            "Get(Signature"}));
  Py_DECREF(list);
}

TEST_F(ModuleTest, HarddriveMetricsWithNoDiskIsAnEmptyList) {
  std::string error;
  PyObject *list = call("get_harddrive_metrics", &error);
  ASSERT_NE(list, nullptr) << error;
  EXPECT_EQ(repr(list), "[]");
  Py_DECREF(list);
}

TEST_F(ModuleTest, HarddriveMetricsFailWhenEitherQueryFails) {
  QueryRun refused;
  refused.exec_result = BRELLIX_HR(0x80041003u);
  query(kDisks, refused);
  query(kDisks, objects({{{"Signature", Property::i4(1)}}}));
  std::string error, err;
  EXPECT_EQ(call("get_harddrive_metrics", &error, &err), nullptr);
  // Both ran; the status is the signature query's.
  EXPECT_EQ(queries().size(), 2u);
  EXPECT_EQ(error, "RuntimeError: 0x1");
  EXPECT_EQ(err, "\nQuery for SerialNumber failed -  - 0x1\n");
}

TEST_F(ModuleTest, HarddriveMetricsFailWhenSignaturesAreFewerThanSerials) {
  query(kDisks, objects({{{"SerialNumber", Property::string(L"A")}},
                         {{"SerialNumber", Property::string(L"B")}}}));
  query(kDisks, objects({{{"Signature", Property::i4(1)}}}));
  std::string error, err;
  EXPECT_EQ(call("get_harddrive_metrics", &error, &err), nullptr);
  EXPECT_EQ(error, "RuntimeError: 0x1");
  EXPECT_EQ(err, "\nFewer disk signatures than serial numbers: 1 signatures, 2 serial numbers - 0x1\n");
}

TEST_F(ModuleTest, HarddriveMetricsFailWhenTheConnectionFails) {
  script().co_initialize = E_OUTOFMEMORY;
  std::string error;
  EXPECT_EQ(call("get_harddrive_metrics", &error), nullptr);
  EXPECT_EQ(error, "RuntimeError: 0x8007000e");
}

TEST_F(ModuleTest, RunningOnVm) {
  std::string err;
  PyObject *answer = call("is_running_on_vm", nullptr, &err);
  EXPECT_EQ(answer, Py_False);
  EXPECT_EQ(calls(), std::vector<std::string>{"cpuid(1)"});
  Py_XDECREF(answer);

  script().cpuid_leaf1[2] = static_cast<int>(0x80000000u);
  script().connect_server = WBEM_E_INVALID_NAMESPACE;
  answer = call("is_running_on_vm", nullptr, &err);
  EXPECT_EQ(answer, Py_True);
  EXPECT_EQ(scripted::count_calls("ConnectServer(ROOT\\virtualization,"), 1);
  EXPECT_EQ(err, "\nCould not connect to WMI - 0x8004100E\n");
  Py_XDECREF(answer);

  script().connect_server = S_OK;
  answer = call("is_running_on_vm", nullptr, &err);
  EXPECT_EQ(answer, Py_False);
  EXPECT_EQ(err, "");
  Py_XDECREF(answer);
}

TEST_F(ModuleTest, MonitorsInfoGivesWidthBeforeHeight) {
  scripted::Monitor a;
  a.device = "A";
  a.caps[0] = 1080;
  a.caps[1] = 1920;
  a.caps[2] = 286;
  a.caps[3] = 508;
  script().monitors = {a};
  std::string error;
  PyObject *list = call("get_monitors_info", &error);
  ASSERT_NE(list, nullptr) << error;
  EXPECT_EQ(repr(list), "[('A', 1920, 1080, 508, 286)]");
  EXPECT_EQ(Py_REFCNT(list), 1);
  Py_DECREF(list);
}

TEST_F(ModuleTest, MonitorsInfoFailures) {
  std::string error;
  EXPECT_EQ(call("get_monitors_info", &error), nullptr);
  EXPECT_EQ(error, "RuntimeError: ");

  scripted::Monitor a, b;
  a.device = "A";
  b.device = "B";
  b.info_fails = true;
  b.info_errno = 13;
  script().monitors = {a, b};
  EXPECT_EQ(call("get_monitors_info", &error), nullptr);
  EXPECT_EQ(error, "RuntimeError: GetMonitorInfoA failed with error: 13");

  script().monitors[1].info_fails = false;
  script().monitors[1].create_fails = true;
  EXPECT_EQ(call("get_monitors_info", &error), nullptr);
  EXPECT_EQ(error, "RuntimeError: CreateDCA failed for device: B");

  // A name that is not UTF-8 cannot become a str: Python's own error, nothing half-built.
  script().monitors[1].create_fails = false;
  script().monitors[1].device = "\xff";
  EXPECT_EQ(call("get_monitors_info", &error), nullptr);
  EXPECT_EQ(error.rfind("UnicodeDecodeError: ", 0), 0u) << error;
}

}  // namespace
