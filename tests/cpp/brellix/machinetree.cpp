#include "machinetree.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

MachineTree::MachineTree() {
  std::string pattern = (fs::temp_directory_path() / "brellix-tree-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  fs::create_directories(root_ + "/sys/block");
  fs::create_directories(root_ + "/sys/dev/block");
  fs::create_directories(root_ + "/proc/self");
  write("proc/self/mountinfo", "");
}

MachineTree::~MachineTree() {
  std::error_code error;
  fs::remove_all(root_, error);
}

void MachineTree::write(const std::string &relative, const std::string &content) {
  fs::path path = fs::path(root_) / relative;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

void MachineTree::link(const std::string &target, const std::string &relative_link) {
  fs::path path = fs::path(root_) / relative_link;
  fs::create_directories(path.parent_path());
  fs::create_directory_symlink(target, path);
}

std::string MachineTree::block_dir(const std::string &name) const {
  for (const auto &entry : block_dirs_)
    if (entry.first == name) return entry.second;
  throw std::runtime_error("no block device " + name);
}

void MachineTree::add_disk(const std::string &name, const std::string &device_path, int major,
                           int minor, int partitions) {
  const std::string device = root_ + "/sys/devices/" + device_path;
  const std::string dir = device + "/block/" + name;
  fs::create_directories(dir + "/holders");
  std::ofstream(dir + "/dev") << major << ":" << minor << "\n";
  fs::create_directory_symlink(device, dir + "/device");
  link(dir, "sys/block/" + name);
  link(dir, "sys/class/block/" + name);
  link(dir, "sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor));
  block_dirs_.emplace_back(name, dir);
  const bool digit_end = !name.empty() && std::isdigit(static_cast<unsigned char>(name.back()));
  for (int n = 1; n <= partitions; ++n) {
    const std::string part = name + (digit_end ? "p" : "") + std::to_string(n);
    const std::string part_dir = dir + "/" + part;
    fs::create_directories(part_dir + "/holders");
    std::ofstream(part_dir + "/partition") << n << "\n";
    std::ofstream(part_dir + "/dev") << major << ":" << (minor + n) << "\n";
    link(part_dir, "sys/class/block/" + part);
    link(part_dir, "sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor + n));
    block_dirs_.emplace_back(part, part_dir);
  }
}

void MachineTree::add_volume(const std::string &name, int major, int minor,
                             const std::vector<std::string> &slaves) {
  const std::string dir = root_ + "/sys/devices/virtual/block/" + name;
  fs::create_directories(dir + "/slaves");
  std::ofstream(dir + "/dev") << major << ":" << minor << "\n";
  for (const auto &slave : slaves) {
    fs::create_directory_symlink(block_dir(slave), dir + "/slaves/" + slave);
    fs::create_directories(block_dir(slave) + "/holders");
    fs::create_directory_symlink(dir, block_dir(slave) + "/holders/" + name);
  }
  link(dir, "sys/block/" + name);
  link(dir, "sys/class/block/" + name);
  link(dir, "sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor));
  block_dirs_.emplace_back(name, dir);
}

void MachineTree::mount(const std::string &dev, const std::string &mount_point,
                        const std::string &fs_type, const std::string &source) {
  mountinfo_ += std::to_string(++mount_id_) + " 1 " + dev + " / " + mount_point +
                " rw,relatime - " + fs_type + " " + source + " rw\n";
  write("proc/self/mountinfo", mountinfo_);
}

void MachineTree::udev(const std::string &dev, const std::vector<std::string> &entries) {
  std::string content;
  for (const auto &entry : entries) content += "E:" + entry + "\n";
  write("run/udev/data/b" + dev, content);
}

void MachineTree::mbr(const std::string &name, uint32_t signature, bool gpt_protective) {
  std::string sector(512, '\0');
  for (int i = 0; i < 4; ++i) sector[440 + i] = static_cast<char>((signature >> (8 * i)) & 0xFF);
  sector[446 + 4] = static_cast<char>(gpt_protective ? 0xEE : 0x83);
  sector[510] = static_cast<char>(0x55);
  sector[511] = static_cast<char>(0xAA);
  write("dev/" + name, sector);
}
