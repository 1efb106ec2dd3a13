#include "machinefacts.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <unordered_set>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace brellix_linux {

namespace {

const std::vector<ClassSchema> &all_classes() {
  static const std::vector<ClassSchema> classes = {
      {"Win32_Processor", "DeviceID", {"DeviceID", "Name", "ProcessorId"}},
      {"Win32_DiskDrive",
       "DeviceID",
       {"DeviceID", "Index", "InterfaceType", "SerialNumber", "Signature"}},
      {"Win32_BaseBoard", "Tag", {"Tag", "SerialNumber"}},
      {"Win32_ComputerSystemProduct", "UUID", {"UUID"}},
      {"Win32_OperatingSystem", "Name", {"Name", "SystemDrive"}},
      {"Win32_LogicalDisk", "DeviceID", {"DeviceID", "FileSystem"}},
      {"Win32_DiskPartition", "DeviceID", {"DeviceID", "DiskIndex", "Index"}},
  };
  return classes;
}

bool is(const Instance &instance, const char *class_name) {
  return equal_ignoring_case(instance.class_name, class_name);
}

std::string trim(std::string text) {
  auto blank = [](unsigned char c) { return std::isspace(c) || c == '\0'; };
  while (!text.empty() && blank(text.back())) text.pop_back();
  size_t start = 0;
  while (start < text.size() && blank(text[start])) ++start;
  return text.substr(start);
}

// A file or directory that the answer depends on could not be read: the query fails
// rather than answer as if the machine had less on it.
struct Unreadable {};

// What a path that cannot be read means for the answer.
enum class Need {
  Always,     // nothing can be answered without it (/sys/block, mountinfo)
  IfPresent,  // its absence is a fact (no partition file, no holders)
  Optional,   // an identity detail: absent or refused to us, it is null
};

// Returns when `error` leaves the answer sound, with the path taken as missing.
void accept_missing(int error, Need need) {
  if (need == Need::IfPresent && (error == ENOENT || error == ENOTDIR)) return;
  // Running short of descriptors or memory says nothing about the file itself.
  if (need == Need::Optional && error != EMFILE && error != ENFILE && error != ENOMEM) return;
  throw Unreadable();
}

struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// The file's first `limit` bytes (all of it by default), or false when it is missing.
bool read_file(const std::string &path, std::string &content, Need need,
               size_t limit = std::string::npos) {
  content.clear();
  Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  int error = file.fd < 0 ? errno : 0;
  char chunk[4096];
  while (error == 0 && content.size() < limit) {
    ssize_t got = ::read(file.fd, chunk, std::min(sizeof chunk, limit - content.size()));
    if (got < 0 && errno != EINTR) error = errno;
    if (got == 0) break;
    if (got > 0) content.append(chunk, static_cast<size_t>(got));
  }
  if (error == 0) return true;
  accept_missing(error, need);
  return false;
}

Value text_value(const std::string &path) {
  std::string content;
  if (!read_file(path, content, Need::Optional)) return Value::null();
  return Value::string(trim(content));
}

// The names in a directory; none when it is missing.
std::vector<std::string> list_directory(const std::string &dir, Need need) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(dir, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error))
    names.push_back(it->path().filename().string());
  if (!error) return names;
  accept_missing(error.value(), need);
  return {};
}

bool present(const std::string &path, Need need) {
  struct stat status;
  if (::stat(path.c_str(), &status) == 0) return true;
  accept_missing(errno, need);
  return false;
}

// Orders sda < sdb < sdaa and nvme0n1 < nvme10n1. Runs of digits compare as numbers
// without being converted, so no run is too long for it.
bool natural_less(const std::string &a, const std::string &b) {
  auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      size_t ie = i, je = j;
      while (ie < a.size() && digit(a[ie])) ++ie;
      while (je < b.size() && digit(b[je])) ++je;
      // Without leading zeros, the longer run is the larger number; runs of one length
      // compare digit by digit.
      while (i + 1 < ie && a[i] == '0') ++i;
      while (j + 1 < je && b[j] == '0') ++j;
      if (ie - i != je - j) return ie - i < je - j;
      if (int order = a.compare(i, ie - i, b, j, je - j)) return order < 0;
      i = ie;
      j = je;
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i;
      ++j;
    }
  }
  if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
  return a < b;
}

bool starts_with(const std::string &text, const char *prefix) {
  return text.rfind(prefix, 0) == 0;
}

bool numbered(const std::string &component, const char *prefix) {
  if (!starts_with(component, prefix)) return false;
  std::string rest = component.substr(std::char_traits<char>::length(prefix));
  return !rest.empty() && std::all_of(rest.begin(), rest.end(), [](unsigned char c) {
    return std::isdigit(c);
  });
}

// The path with its links resolved; empty when it leads nowhere.
std::string canonical(const std::string &path) {
  std::error_code error;
  fs::path resolved = fs::canonical(path, error);
  if (!error) return resolved.string();
  accept_missing(error.value(), Need::IfPresent);
  return std::string();
}

// Mount points in mountinfo carry octal escapes for blanks and backslashes.
std::string unescape_mount(const std::string &text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && std::isdigit((unsigned char)text[i + 1]) &&
        std::isdigit((unsigned char)text[i + 2]) && std::isdigit((unsigned char)text[i + 3])) {
      out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                               (text[i + 3] - '0'));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string processor_id() {
  int registers[4] = {0, 0, 0, 0};
  __cpuid(registers, 1);
  char text[17];
  std::snprintf(text, sizeof text, "%08X%08X", static_cast<unsigned>(registers[3]),
                static_cast<unsigned>(registers[0]));
  return text;
}

}  // namespace

bool equal_ignoring_case(const std::string &a, const std::string &b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

const Value *Instance::find(const std::string &name) const {
  for (const auto &property : properties)
    if (equal_ignoring_case(property.first, name)) return &property.second;
  return nullptr;
}

MachineFacts::MachineFacts(std::string root, std::optional<std::string> root_device)
    : root_(std::move(root)), root_device_(std::move(root_device)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

const ClassSchema *MachineFacts::schema(const std::string &class_name) {
  for (const auto &cls : all_classes())
    if (equal_ignoring_case(cls.name, class_name)) return &cls;
  return nullptr;
}

std::string MachineFacts::path(const std::string &relative) const {
  return root_ == "/" ? "/" + relative : root_ + "/" + relative;
}

HRESULT MachineFacts::instances(const ClassSchema &cls, std::vector<Instance> &out) const {
  try {
    out = read_instances(cls);
    if (in_doubt(cls)) return WBEM_E_FAILED;
  } catch (const Unreadable &) {
    return WBEM_E_FAILED;
  }
  return WBEM_S_NO_ERROR;
}

HRESULT MachineFacts::instance(const ClassSchema &cls, const std::string &key,
                               Instance &out) const {
  try {
    for (const Instance &candidate : read_instances(cls)) {
      const Value *id = candidate.find(cls.key);
      if (id && id->kind == Value::String && equal_ignoring_case(id->text, key)) {
        out = candidate;
        return WBEM_S_NO_ERROR;
      }
    }
    return in_doubt(cls) ? WBEM_E_FAILED : WBEM_E_NOT_FOUND;
  } catch (const Unreadable &) {
    return WBEM_E_FAILED;
  }
}

bool MachineFacts::in_doubt(const ClassSchema &cls) const {
  // A mount whose device is unknown may be a filesystem on any disk not yet known to
  // hold one, whose implicit partition the list would then lack.
  if (!equal_ignoring_case(cls.name, "Win32_DiskPartition")) return false;
  const auto &all = mounts();
  if (std::none_of(all.begin(), all.end(), [](const Mount &m) { return m.unresolved; }))
    return false;
  for (const Disk &disk : disks(true))
    if (disk.partitions.empty() && !disk.whole_disk_filesystem) return true;
  return false;
}

HRESULT MachineFacts::associators(const Instance &source, const ClassSchema *result,
                                  std::vector<Instance> &out) const {
  try {
    out = read_associators(source, result);
  } catch (const Unreadable &) {
    return WBEM_E_FAILED;
  }
  return WBEM_S_NO_ERROR;
}

std::vector<Instance> MachineFacts::read_instances(const ClassSchema &cls) const {
  const std::string name = cls.name;
  if (name == "Win32_Processor") return processors();
  if (name == "Win32_DiskDrive") return disk_drives();
  if (name == "Win32_BaseBoard") return base_boards();
  if (name == "Win32_ComputerSystemProduct") return products();
  if (name == "Win32_OperatingSystem") return operating_systems();
  if (name == "Win32_LogicalDisk") return logical_disks();
  if (name == "Win32_DiskPartition") return partition_instances(disks(true));
  return {};
}

std::vector<std::string> MachineFacts::udev(const std::string &dev) const {
  std::vector<std::string> entries;
  std::string content;
  if (!read_file(path("run/udev/data/b" + dev), content, Need::Optional)) return entries;
  std::istringstream lines(content);
  std::string line;
  while (std::getline(lines, line))
    if (starts_with(line, "E:")) entries.push_back(line.substr(2));
  return entries;
}

namespace {
std::string udev_value(const std::vector<std::string> &entries, const std::string &key) {
  for (const auto &entry : entries)
    if (starts_with(entry, (key + "=").c_str())) return entry.substr(key.size() + 1);
  return std::string();
}
}  // namespace

const std::vector<MachineFacts::Mount> &MachineFacts::mounts() const {
  if (mounts_) return *mounts_;
  std::vector<Mount> result;
  std::string content;
  read_file(path("proc/self/mountinfo"), content, Need::Always);
  std::istringstream lines(content);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string id, parent, dev, mount_root, mount_point, field;
    if (!(fields >> id >> parent >> dev >> mount_root >> mount_point)) continue;
    std::string fs_type, source;
    while (fields >> field)
      if (field == "-") {
        fields >> fs_type >> source;
        break;
      }
    // Some filesystems (btrfs) show an anonymous device number; the block device they
    // sit on is then the one the mount source names. A source that cannot be followed
    // fails only a query that needs this mount.
    bool unresolved = false;
    if (starts_with(dev, "0:") && starts_with(source, "/dev/")) {
      try {
        const std::string node = canonical(path(unescape_mount(source).substr(1)));
        std::string number;
        if (!node.empty() &&
            read_file(path("sys/class/block/" + fs::path(node).filename().string() + "/dev"),
                      number, Need::IfPresent) &&
            !trim(number).empty())
          dev = trim(number);
      } catch (const Unreadable &) {
        unresolved = true;
      }
    }
    result.push_back(Mount{unescape_mount(mount_point), dev, fs_type, unresolved});
  }
  // A later mount on the same point hides the earlier one: keep each point's last line,
  // in the order of those lines.
  std::unordered_set<std::string> seen;
  std::vector<Mount> visible;
  for (auto it = result.rbegin(); it != result.rend(); ++it)
    if (seen.insert(it->mount_point).second) visible.push_back(std::move(*it));
  std::reverse(visible.begin(), visible.end());
  // Inside a chroot whose root is not a mount point, no line is the mount of /: the
  // filesystem that holds the root directory is. Its type is not known.
  if (!seen.count("/")) {
    std::string dev;
    struct stat status;
    if (root_device_) dev = *root_device_;
    else if (::stat(root_.c_str(), &status) == 0)
      dev = std::to_string(major(status.st_dev)) + ":" + std::to_string(minor(status.st_dev));
    if (!dev.empty()) visible.insert(visible.begin(), Mount{"/", dev, "", false});
  }
  mounts_ = std::move(visible);
  return *mounts_;
}

std::vector<MachineFacts::Disk> MachineFacts::disks(bool with_partitions) const {
  // Facts are kept only once read whole: a failed read leaves nothing half-filled behind.
  if (!disks_) {
    std::vector<Disk> found;
    for (const std::string &name : list_directory(path("sys/block"), Need::Always)) {
      if (starts_with(name, "loop") || starts_with(name, "zram") || starts_with(name, "dm-") ||
          starts_with(name, "md") || starts_with(name, "sr") || starts_with(name, "ram") ||
          starts_with(name, "fd"))
        continue;
      const std::string block = path("sys/block/" + name);
      if (!present(block + "/device", Need::IfPresent)) continue;
      Disk disk;
      disk.name = name;
      disk.sys_dir = canonical(block);
      // Either is missing only for a disk that went away meanwhile.
      if (disk.sys_dir.empty() || !read_file(block + "/dev", disk.dev, Need::IfPresent)) continue;
      disk.dev = trim(disk.dev);
      found.push_back(std::move(disk));
    }
    std::sort(found.begin(), found.end(),
              [](const Disk &a, const Disk &b) { return natural_less(a.name, b.name); });
    disks_ = std::move(found);
  }
  if (with_partitions && !partitions_read_) {
    std::set<std::string> mounted;
    for (const auto &mount : mounts()) mounted.insert(mount.dev);
    std::vector<Disk> partitioned = *disks_;
    for (Disk &disk : partitioned) read_partitions(disk, mounted);
    disks_ = std::move(partitioned);
    partitions_read_ = true;
  }
  return *disks_;
}

void MachineFacts::read_partitions(Disk &disk, const std::set<std::string> &mounted) const {
  std::vector<std::pair<long, std::string>> parts;
  // A disk that went away since the listing has no partitions; it keeps its place, so
  // that disk indices stay those of the listing.
  for (const std::string &child : list_directory(disk.sys_dir, Need::IfPresent)) {
    // Partitions are the subdirectories named after the disk (sda1, nvme0n1p1) that hold
    // a partition number.
    std::string number;
    if (!starts_with(child, disk.name.c_str()) ||
        !read_file(disk.sys_dir + "/" + child + "/partition", number, Need::IfPresent))
      continue;
    try {
      parts.emplace_back(std::stol(trim(number)), child);
    } catch (const std::logic_error &) {
    }
  }
  std::sort(parts.begin(), parts.end());
  for (const auto &part : parts) disk.partitions.push_back(part.second);

  // A filesystem or a device-mapper/md volume straight on the disk counts as one
  // implicit partition, as Windows shows a volume on an unpartitioned disk.
  if (disk.partitions.empty()) {
    bool held = !list_directory(disk.sys_dir + "/holders", Need::IfPresent).empty();
    disk.whole_disk_filesystem = held || mounted.count(disk.dev) != 0;
  }
}

Instance MachineFacts::disk_instance(const Disk &disk, size_t index) const {
  const std::string block = path("sys/block/" + disk.name);
  const std::vector<std::string> udev_entries = udev(disk.dev);

  // The disk's own sysfs directory lies under its whole device chain (controller, USB
  // port, ATA link).
  std::string interface_type = "SCSI";
  for (const auto &component : fs::path(disk.sys_dir)) {
    const std::string part = component.string();
    if (numbered(part, "usb")) {
      interface_type = "USB";
      break;
    }
    if (numbered(part, "ata")) interface_type = "IDE";
  }
  if (equal_ignoring_case(udev_value(udev_entries, "ID_BUS"), "usb")) interface_type = "USB";

  Value serial = text_value(block + "/device/serial");
  if (serial.kind == Value::Null) serial = text_value(block + "/serial");
  if (serial.kind == Value::Null) {
    std::string short_serial = udev_value(udev_entries, "ID_SERIAL_SHORT");
    if (!short_serial.empty()) serial = Value::string(short_serial);
  }
  if (serial.kind == Value::Null) {
    // SCSI inquiry page 0x80: four header bytes, then the serial number.
    std::string page;
    if (read_file(block + "/device/vpd_pg80", page, Need::Optional) && page.size() >= 4) {
      size_t length = (static_cast<unsigned char>(page[2]) << 8) | static_cast<unsigned char>(page[3]);
      serial = Value::string(trim(page.substr(4, length)));
    }
  }

  Value signature;
  const std::string table = udev_value(udev_entries, "ID_PART_TABLE_TYPE");
  const bool dos_table = equal_ignoring_case(table, "dos");
  if (dos_table) {
    std::string uuid = udev_value(udev_entries, "ID_PART_TABLE_UUID");
    try {
      size_t used = 0;
      unsigned long parsed = std::stoul(uuid, &used, 16);
      if (used == uuid.size() && parsed <= 0xFFFFFFFFul)
        signature = Value::int32(static_cast<int32_t>(static_cast<uint32_t>(parsed)));
    } catch (...) {
    }
  }
  // Sector 0 only when udev has not already named another kind of table (GPT): opening
  // a whole disk can wake it or stall on it.
  if (signature.kind == Value::Null && (table.empty() || dos_table)) {
    std::string first;
    if (read_file(path("dev/" + disk.name), first, Need::Optional, 512) && first.size() == 512) {
      const auto *sector = reinterpret_cast<const unsigned char *>(first.data());
      if (sector[510] == 0x55 && sector[511] == 0xAA && sector[446 + 4] != 0xEE) {
        uint32_t value = sector[440] | (sector[441] << 8) | (sector[442] << 16) |
                         (static_cast<uint32_t>(sector[443]) << 24);
        signature = Value::int32(static_cast<int32_t>(value));
      }
    }
  }

  Instance instance;
  instance.class_name = "Win32_DiskDrive";
  instance.properties = {
      {"DeviceID", Value::string("\\\\.\\PHYSICALDRIVE" + std::to_string(index))},
      {"Index", Value::int32(static_cast<int32_t>(index))},
      {"InterfaceType", Value::string(interface_type)},
      {"SerialNumber", serial},
      {"Signature", signature},
  };
  return instance;
}

std::vector<Instance> MachineFacts::disk_drives() const {
  if (!disk_drives_) {
    std::vector<Instance> drives;
    std::vector<Disk> all = disks();
    for (size_t i = 0; i < all.size(); ++i) drives.push_back(disk_instance(all[i], i));
    disk_drives_ = std::move(drives);
  }
  return *disk_drives_;
}

namespace {
// Windows' form of a partition's id: "Disk #0, Partition #0".
std::string partition_id(size_t disk_index, size_t index) {
  return "Disk #" + std::to_string(disk_index) + ", Partition #" + std::to_string(index);
}

Instance partition(size_t disk_index, size_t index) {
  Instance instance;
  instance.class_name = "Win32_DiskPartition";
  instance.properties = {
      {"DeviceID", Value::string(partition_id(disk_index, index))},
      {"DiskIndex", Value::int32(static_cast<int32_t>(disk_index))},
      {"Index", Value::int32(static_cast<int32_t>(index))},
  };
  return instance;
}
}  // namespace

std::vector<Instance> MachineFacts::partition_instances(const std::vector<Disk> &all) const {
  std::vector<Instance> result;
  for (size_t d = 0; d < all.size(); ++d) {
    if (all[d].whole_disk_filesystem) result.push_back(partition(d, 0));
    for (size_t p = 0; p < all[d].partitions.size(); ++p) result.push_back(partition(d, p));
  }
  return result;
}

void MachineFacts::partitions_under(const std::string &sys_dir, const std::vector<Disk> &all,
                                    std::vector<std::string> &ids, int depth) const {
  if (sys_dir.empty() || depth > 8) return;
  const std::string name = fs::path(sys_dir).filename().string();
  const std::string parent = fs::path(sys_dir).parent_path().string();
  for (size_t d = 0; d < all.size(); ++d) {
    if (all[d].sys_dir == sys_dir) {
      if (all[d].whole_disk_filesystem)
        ids.push_back(partition_id(d, 0));
      return;
    }
    if (all[d].sys_dir == parent) {
      for (size_t p = 0; p < all[d].partitions.size(); ++p)
        if (all[d].partitions[p] == name)
          ids.push_back(partition_id(d, p));
      return;
    }
  }
  // Device-mapper and md volumes: the partitions of the devices under them.
  std::vector<std::string> slaves = list_directory(sys_dir + "/slaves", Need::IfPresent);
  std::sort(slaves.begin(), slaves.end(), natural_less);
  for (const auto &slave : slaves)
    partitions_under(canonical(sys_dir + "/slaves/" + slave), all, ids, depth + 1);
  // A partition of such a volume (firmware RAID's md126p1) lies on the volume's devices.
  if (slaves.empty() && present(sys_dir + "/partition", Need::IfPresent))
    partitions_under(parent, all, ids, depth + 1);
}

std::vector<Instance> MachineFacts::processors() const {
  std::set<std::string> packages;
  std::string model;
  std::string content;
  if (read_file(path("proc/cpuinfo"), content, Need::IfPresent)) {
    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
      size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      std::string key = trim(line.substr(0, colon));
      std::string value = trim(line.substr(colon + 1));
      if (key == "physical id") packages.insert(value);
      if (key == "model name" && model.empty()) model = value;
    }
  }
  const size_t count = packages.empty() ? 1 : packages.size();
  const std::string id = processor_id();
  std::vector<Instance> result;
  for (size_t i = 0; i < count; ++i) {
    Instance instance;
    instance.class_name = "Win32_Processor";
    instance.properties = {
        {"DeviceID", Value::string("CPU" + std::to_string(i))},
        {"Name", model.empty() ? Value::null() : Value::string(model)},
        {"ProcessorId", Value::string(id)},
    };
    result.push_back(std::move(instance));
  }
  return result;
}

std::vector<Instance> MachineFacts::base_boards() const {
  const std::string dmi = path("sys/class/dmi/id/");
  Instance instance;
  instance.class_name = "Win32_BaseBoard";
  instance.properties = {
      {"Tag", Value::string("Base Board")},
      {"SerialNumber", text_value(dmi + "board_serial")},
  };
  return {instance};
}

std::vector<Instance> MachineFacts::products() const {
  const std::string dmi = path("sys/class/dmi/id/");
  Value uuid = text_value(dmi + "product_uuid");
  for (char &c : uuid.text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  Instance instance;
  instance.class_name = "Win32_ComputerSystemProduct";
  instance.properties = {
      {"UUID", uuid},
  };
  return {instance};
}

std::vector<Instance> MachineFacts::operating_systems() const {
  Value system_drive;
  for (const auto &mount : mounts())
    if (mount.mount_point == "/") system_drive = Value::string("/");
  Instance instance;
  instance.class_name = "Win32_OperatingSystem";
  instance.properties = {
      {"Name", Value::string("Linux")},
      {"SystemDrive", system_drive},
  };
  return {instance};
}

std::vector<Instance> MachineFacts::logical_disks() const {
  std::vector<Instance> result;
  for (const auto &mount : mounts()) {
    Instance instance;
    instance.class_name = "Win32_LogicalDisk";
    instance.properties = {
        {"DeviceID", Value::string(mount.mount_point)},
        {"FileSystem", mount.fs_type.empty() ? Value::null() : Value::string(mount.fs_type)},
    };
    result.push_back(std::move(instance));
  }
  return result;
}

std::vector<Instance> MachineFacts::read_associators(const Instance &source,
                                                     const ClassSchema *result_class) const {
  auto wanted = [&](const char *name) {
    return result_class == nullptr || equal_ignoring_case(result_class->name, name);
  };
  const Value *id = source.find("DeviceID");
  std::vector<Instance> result;
  if (id == nullptr || id->kind != Value::String) return result;

  if (is(source, "Win32_LogicalDisk") && wanted("Win32_DiskPartition")) {
    std::string dev;
    for (const auto &mount : mounts()) {
      if (mount.mount_point != id->text) continue;
      if (mount.unresolved) throw Unreadable();
      dev = mount.dev;
    }
    if (dev.empty() || starts_with(dev, "0:")) return result;  // not on a block device
    const std::vector<Disk> all = disks(true);
    std::vector<std::string> ids;
    partitions_under(canonical(path("sys/dev/block/" + dev)), all, ids, 0);
    for (const auto &partition : partition_instances(all)) {
      const Value *pid = partition.find("DeviceID");
      if (std::find(ids.begin(), ids.end(), pid->text) != ids.end()) result.push_back(partition);
    }
    return result;
  }

  if (is(source, "Win32_DiskPartition") && wanted("Win32_DiskDrive")) {
    const Value *disk_index = source.find("DiskIndex");
    std::vector<Instance> drives = disk_drives();
    if (disk_index && disk_index->number >= 0 &&
        static_cast<size_t>(disk_index->number) < drives.size())
      result.push_back(drives[static_cast<size_t>(disk_index->number)]);
    return result;
  }
  return result;
}

}  // namespace brellix_linux
