// A fabricated machine in a temporary directory, laid out as /sys, /proc, /run/udev and
// /dev lay it out, for the Linux layer's facts reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class MachineTree {
 public:
  MachineTree();
  ~MachineTree();
  MachineTree(const MachineTree &) = delete;
  MachineTree &operator=(const MachineTree &) = delete;

  const std::string &root() const { return root_; }

  // A disk at /sys/devices/<device_path>/block/<name>, with partitions <name><n> or
  // <name>p<n> (numbered from 1) and the device numbers major:minor, minor+1, ...
  void add_disk(const std::string &name, const std::string &device_path, int major, int minor,
                int partitions = 0);
  // A virtual volume (dm-N, mdN) over the named block devices.
  void add_volume(const std::string &name, int major, int minor,
                  const std::vector<std::string> &slaves);
  void write(const std::string &relative, const std::string &content);
  void mount(const std::string &dev, const std::string &mount_point,
             const std::string &fs_type = "ext4", const std::string &source = "/dev/x");
  void udev(const std::string &dev, const std::vector<std::string> &entries);
  // /dev/<name> holding a first sector with this disk signature (and an MBR mark).
  void mbr(const std::string &name, uint32_t signature, bool gpt_protective = false);

 private:
  std::string block_dir(const std::string &name) const;
  void link(const std::string &target, const std::string &relative_link);

  std::string root_;
  std::string mountinfo_;
  int mount_id_ = 20;
  std::vector<std::pair<std::string, std::string>> block_dirs_;  // name -> absolute dir
};
