// The facts of this machine in the shape of the WMI classes brellix asks for, read
// from /proc, /sys, udev's data, /dev and CPUID under a root directory ("/" in
// production; tests point it at a fabricated tree).
#pragma once

#include "../../platform.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace brellix_linux {

struct Value {
  enum Kind { Null, String, Int32 };
  Kind kind = Null;
  std::string text;
  int32_t number = 0;

  static Value null() { return Value(); }
  static Value string(std::string text) {
    Value v;
    v.kind = String;
    v.text = std::move(text);
    return v;
  }
  static Value int32(int32_t number) {
    Value v;
    v.kind = Int32;
    v.number = number;
    return v;
  }
};

struct Instance {
  std::string class_name;
  std::vector<std::pair<std::string, Value>> properties;

  // Property names match without regard to case, as in WMI.
  const Value *find(const std::string &name) const;
};

struct ClassSchema {
  const char *name;
  const char *key;
  std::vector<const char *> properties;
};

bool equal_ignoring_case(const std::string &a, const std::string &b);

// Each fact is read when first needed and then kept: one MachineFacts serves one WMI
// connection, which lives for one call of the module, so every call sees the machine
// as it is then, and all the queries of a call see the same machine.
class MachineFacts {
 public:
  // `root_device` ("major:minor", empty for none) is the device of the filesystem that
  // holds root; without it, root itself is asked. A fabricated tree cannot choose the
  // device number its directory reports, hence the parameter.
  explicit MachineFacts(std::string root, std::optional<std::string> root_device = std::nullopt);

  // The classes known here; null when there is no such class.
  static const ClassSchema *schema(const std::string &class_name);

  // Every instance of a known class, in a stable order. These queries answer
  // WBEM_E_FAILED when a file or directory the answer depends on cannot be read, or a
  // mount it depends on cannot be followed.
  HRESULT instances(const ClassSchema &cls, std::vector<Instance> &out) const;
  // The instance whose key is `key` (in any case); WBEM_E_NOT_FOUND when there is none.
  HRESULT instance(const ClassSchema &cls, const std::string &key, Instance &out) const;

  // The instances of `result` (or of every class, when null) associated with `source`.
  HRESULT associators(const Instance &source, const ClassSchema *result,
                      std::vector<Instance> &out) const;

 private:
  struct Disk {
    std::string name;      // kernel name: sda, nvme0n1, vda
    std::string dev;       // "major:minor"
    std::string sys_dir;   // canonical sysfs directory
    std::vector<std::string> partitions;  // kernel names, in partition-number order
    bool whole_disk_filesystem = false;
  };
  struct Mount {
    std::string mount_point;
    std::string dev;
    std::string fs_type;
    bool unresolved;  // an anonymous device number whose source could not be followed
  };

  // These throw Unreadable (machinefacts.cpp), which the two queries above turn into
  // their result.
  std::vector<Instance> read_instances(const ClassSchema &cls) const;
  std::vector<Instance> read_associators(const Instance &source, const ClassSchema *result) const;

  // Whether the class's list may lack an instance that cannot be read.
  bool in_doubt(const ClassSchema &cls) const;
  std::string path(const std::string &relative) const;
  // The disks with their names and device numbers; `with_partitions` also reads their
  // partitions, which only the partition queries need.
  std::vector<Disk> disks(bool with_partitions = false) const;
  const std::vector<Mount> &mounts() const;
  void read_partitions(Disk &disk, const std::set<std::string> &mounted) const;
  std::vector<std::string> udev(const std::string &dev) const;
  Instance disk_instance(const Disk &disk, size_t index) const;
  std::vector<Instance> partition_instances(const std::vector<Disk> &disks) const;
  void partitions_under(const std::string &sys_dir, const std::vector<Disk> &disks,
                        std::vector<std::string> &ids, int depth) const;

  std::vector<Instance> processors() const;
  std::vector<Instance> disk_drives() const;
  std::vector<Instance> base_boards() const;
  std::vector<Instance> products() const;
  std::vector<Instance> operating_systems() const;
  std::vector<Instance> logical_disks() const;

  std::string root_;
  std::optional<std::string> root_device_;
  mutable std::optional<std::vector<Disk>> disks_;
  mutable bool partitions_read_ = false;
  mutable std::optional<std::vector<Mount>> mounts_;
  mutable std::optional<std::vector<Instance>> disk_drives_;
};

}  // namespace brellix_linux
