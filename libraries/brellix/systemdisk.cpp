// Finds the physical disk that holds the system drive: operating system -> logical
// disk -> partition -> disk drive, then that disk's serial number and signature.
#include "wmiconnection.h"

namespace {

// WQL string literals take a backslash as an escape, so the "\\.\" prefix of a disk
// device id has each of its backslashes doubled.
std::string escape_disk_query(std::string query) {
  const std::string prefix = "\\\\.\\";
  const std::string escaped = "\\\\\\\\.\\\\";
  size_t at = query.find(prefix);
  if (at != std::string::npos) query.replace(at, prefix.size(), escaped);
  return query;
}

}  // namespace

int WmiConnection::query_system_disk(std::string &serial, uint32_t &signature) {
  auto failed = [this](const char *message, int result) {
    error_text += message + std::to_string(result) + " result - ";
    return 1;
  };

  std::vector<std::string> drives;
  int result = query_string_property("SELECT SystemDrive from Win32_OperatingSystem",
                                     "SystemDrive", drives, false);
  if (result != 0 || drives.empty())
    return failed("\nFailed to retrieve system drive. Return code: ", result);

  std::vector<std::string> partitions;
  result = query_string_property("ASSOCIATORS OF {win32_logicaldisk.deviceid='" + drives[0] +
                                     "'} WHERE ResultClass=Win32_DiskPartition",
                                 "DeviceID", partitions, false);
  if (result != 0 || partitions.empty())
    return failed("\nFailed to retrieve logical drive to partition mapping. Return code: ",
                  result);

  std::vector<std::string> disks;
  result = query_string_property("ASSOCIATORS OF {Win32_DiskPartition.DeviceID='" +
                                     partitions[0] + "'} WHERE ResultClass=Win32_DiskDrive",
                                 "DeviceID", disks, false);
  if (result != 0 || disks.empty())
    return failed("\nFailed to retrieve partition to device mapping. Return code: ", result);

  const std::string disk_query =
      escape_disk_query("SELECT * FROM Win32_DiskDrive WHERE DeviceId='" + disks[0] + "'");

  std::vector<std::string> serials;
  result = query_string_property(disk_query, "SerialNumber", serials, false);
  if (result != 0 || serials.empty())
    return failed("\nFailed to retrieve hard drive serial number. Return code: ", result);
  serial = serials[0];

  std::vector<uint32_t> signatures;
  result = query_uint_property(disk_query, "Signature", signatures, false);
  if (result != 0 || signatures.empty())
    return failed("\nFailed to retrieve hard drive signature. Return code: ", result);
  signature = signatures[0];
  return 0;
}
