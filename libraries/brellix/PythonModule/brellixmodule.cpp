// The Python module brellix: machine inventory through WMI, CPUID and the display
// functions.
#include <Python.h>

#include "monitorenumerator.h"
#include "wmiconnection.h"

namespace {

// The first successful get_hardware_metrics result, kept for the life of the process.
PyObject *cached_hardware_metrics = nullptr;

const char *first_or_empty(const std::vector<std::string> &list) {
  return list.empty() ? "" : list[0].c_str();
}

PyObject *get_hardware_metrics(PyObject *, PyObject *) {
  if (cached_hardware_metrics != nullptr) {
    Py_INCREF(cached_hardware_metrics);
    return cached_hardware_metrics;
  }

  std::vector<std::string> processor_ids, baseboard_serials, product_uuids;
  std::string disk_serial;
  uint32_t disk_signature = 0;
  WmiConnection connection;

  PyThreadState *thread = PyEval_SaveThread();
  int outcome = connection.connect("ROOT\\CIMV2");
  if (outcome == 0) {
    connection.query_processor_ids(processor_ids, false);
    connection.query_baseboard_serials(baseboard_serials);
    connection.query_product_uuids(product_uuids);
    outcome = connection.query_system_disk(disk_serial, disk_signature);
  }
  PyEval_RestoreThread(thread);

  if (outcome != 0) {
    PyErr_SetString(PyExc_RuntimeError, connection.status_text().c_str());
    return nullptr;
  }
  PyObject *metrics = Py_BuildValue("ssIss", first_or_empty(processor_ids), disk_serial.c_str(),
                                    static_cast<unsigned int>(disk_signature),
                                    first_or_empty(baseboard_serials), first_or_empty(product_uuids));
  if (metrics == nullptr) return nullptr;

  PyObject *previous = cached_hardware_metrics;
  Py_INCREF(metrics);
  cached_hardware_metrics = metrics;
  Py_XDECREF(previous);
  return metrics;
}

PyObject *get_harddrive_metrics(PyObject *, PyObject *) {
  std::vector<std::string> serials;
  std::vector<uint32_t> signatures;
  WmiConnection connection;

  PyThreadState *thread = PyEval_SaveThread();
  int outcome = connection.connect("ROOT\\CIMV2");
  if (outcome == 0) {
    int serials_failed = connection.query_disk_serials(serials, true);
    int signatures_failed = connection.query_disk_signatures(signatures, true);
    outcome = serials_failed | signatures_failed;
    // A disk that came or went between the two runs leaves nothing to pair by position.
    if (outcome == 0 && signatures.size() < serials.size()) {
      connection.error_text += "\nFewer disk signatures than serial numbers: " +
                               std::to_string(signatures.size()) + " signatures, " +
                               std::to_string(serials.size()) + " serial numbers";
      outcome = 1;
    }
  }
  PyEval_RestoreThread(thread);

  if (outcome != 0) {
    PyErr_SetString(PyExc_RuntimeError, connection.status_text().c_str());
    return nullptr;
  }
  PyObject *list = PyList_New(0);
  if (list == nullptr) return nullptr;
  for (size_t i = 0; i < serials.size(); ++i) {
    PyObject *pair =
        Py_BuildValue("sI", serials[i].c_str(), static_cast<unsigned int>(signatures[i]));
    if (pair == nullptr || PyList_Append(list, pair) != 0) {
      Py_XDECREF(pair);
      Py_DECREF(list);
      return nullptr;
    }
    Py_DECREF(pair);
  }
  return list;
}

bool hypervisor_present() {
  int registers[4] = {0, 0, 0, 0};
  __cpuid(registers, 1);
  return (static_cast<uint32_t>(registers[2]) >> 31) & 1u;
}

PyObject *is_running_on_vm(PyObject *, PyObject *) {
  if (!hypervisor_present()) Py_RETURN_FALSE;
  bool virtual_machine;
  {
    WmiConnection connection;
    virtual_machine = connection.connect("ROOT\\virtualization") != 0;
  }
  return PyBool_FromLong(virtual_machine);
}

PyObject *get_monitors_info(PyObject *, PyObject *) {
  MonitorEnumerator monitors;
  if (monitors.records.empty() || !monitors.error_text.empty()) {
    PyErr_SetString(PyExc_RuntimeError, monitors.error_text.c_str());
    return nullptr;
  }
  PyObject *list = PyList_New(0);
  if (list == nullptr) return nullptr;
  for (const MonitorRecord &record : monitors.records) {
    PyObject *monitor = Py_BuildValue("sIIII", record.device_name.c_str(),
                                      static_cast<unsigned int>(record.width_px),
                                      static_cast<unsigned int>(record.height_px),
                                      static_cast<unsigned int>(record.width_mm),
                                      static_cast<unsigned int>(record.height_mm));
    if (monitor == nullptr || PyList_Append(list, monitor) != 0) {
      Py_XDECREF(monitor);
      Py_DECREF(list);
      return nullptr;
    }
    Py_DECREF(monitor);
  }
  return Py_BuildValue("N", list);
}

PyMethodDef brellix_methods[] = {
    {"get_hardware_metrics", get_hardware_metrics, METH_NOARGS,
     "Returns a tuple containing (processor id, hd_serial, mac_addr, hd_signature)"},
    {"get_harddrive_metrics", get_harddrive_metrics, METH_NOARGS,
     "Returns a list containing (serial, signature) pairs for all hardrives that aren't using a "
     "USB interface"},
    {"is_running_on_vm", is_running_on_vm, METH_NOARGS,
     "Checks whether application is running on virtual machine (true) or on baremetall (false)"},
    {"get_monitors_info", get_monitors_info, METH_NOARGS,
     "Returns a list containing monitors resolution (logical, physical, scaling factor, size in "
     "mm)"},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef brellix_module = {
    PyModuleDef_HEAD_INIT, "brellix", nullptr, -1, brellix_methods, nullptr, nullptr, nullptr,
    nullptr,
};

}  // namespace

PyMODINIT_FUNC PyInit_brellix() { return PyModule_Create2(&brellix_module, 1013); }
