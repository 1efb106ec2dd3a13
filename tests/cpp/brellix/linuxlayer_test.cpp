// The real Linux layer: COM apartments, the WQL evaluator, and the facts of fabricated
// machines and of this one.
#include "machinetree.h"
#include "wmiconnection.h"
#include "wmiprovider.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

namespace {

// Runs `body` on a new thread, which starts with no COM apartment.
template <typename Body>
void on_fresh_thread(Body body) {
  std::thread(body).join();
}

TEST(LinuxCom, ApartmentsCountPerThread) {
  on_fresh_thread([] {
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
    CoUninitialize();
    CoUninitialize();
    // Fully uninitialised: the other apartment is open to the thread again.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    CoUninitialize();
  });
  on_fresh_thread([] {
    void *locator = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IWbemLocator, &locator),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoCreateInstance(IID_IWbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IWbemLocator, &locator),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IWbemServices, &locator),
              E_NOINTERFACE);
    HRESULT first = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 0, 3, nullptr, 0, nullptr);
    EXPECT_TRUE(first == S_OK || first == RPC_E_TOO_LATE);
    EXPECT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, 0, 3, nullptr, 0, nullptr),
              RPC_E_TOO_LATE);
    CoUninitialize();
  });
}

TEST(LinuxCom, ConnectionOnAnStaThreadKeepsItsApartment) {
  on_fresh_thread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    {
      WmiConnection c;
      EXPECT_EQ(c.connect("ROOT\\CIMV2"), 0);
      EXPECT_FALSE(c.com_initialized);
    }
    // Still in the single-threaded apartment, once.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
  });
}

TEST(LinuxCom, OnlyCimv2Exists) {
  on_fresh_thread([] {
    testing::internal::CaptureStderr();
    {
      WmiConnection c;
      EXPECT_EQ(c.connect("ROOT\\virtualization"), 1);
      EXPECT_EQ(c.status, WBEM_E_INVALID_NAMESPACE);
      EXPECT_EQ(c.services, nullptr);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "\nCould not connect to WMI - 0x8004100E\n");
    WmiConnection c;
    EXPECT_EQ(c.connect("root/cimv2"), 0);
  });
}

TEST(LinuxCom, SystemStringsAndVariants) {
  BSTR text = SysAllocString(L"abc");
  EXPECT_EQ(SysStringLen(text), 3u);
  EXPECT_EQ(std::wstring(text), L"abc");
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = text;
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(v.vt, VT_EMPTY);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
}

// ---- WQL over a fabricated machine, through the provider's COM objects.

class Provider {
 public:
  // A tree's root lies on `root_device`, or on none.
  explicit Provider(const std::string &root, const std::string &root_device = "") {
    locator_ = brellix_linux::create_locator(root, root_device);
    BSTR name = SysAllocString(L"ROOT\\CIMV2");
    EXPECT_EQ(locator_->ConnectServer(name, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                      &services_),
              S_OK);
    SysFreeString(name);
  }
  ~Provider() {
    services_->Release();
    locator_->Release();
  }

  // Each object's `property` as text ("null" for null, digits for numbers), or the
  // error code of the query in hexadecimal.
  std::vector<std::string> query(const std::string &wql, const std::string &property,
                                 const wchar_t *language = L"WQL") {
    std::wstring wide(wql.begin(), wql.end());
    BSTR lang = SysAllocString(language);
    BSTR text = SysAllocString(wide.c_str());
    IEnumWbemClassObject *e = nullptr;
    HRESULT result = services_->ExecQuery(lang, text, 0x30, nullptr, &e);
    SysFreeString(lang);
    SysFreeString(text);
    if (FAILED(result)) {
      char code[16];
      std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(result));
      return {code};
    }
    std::vector<std::string> out;
    IWbemClassObject *object = nullptr;
    ULONG n = 0;
    std::wstring name(property.begin(), property.end());
    while (e->Next(-1, 1, &object, &n) == S_OK) {
      VARIANT v;
      VariantInit(&v);
      HRESULT got = object->Get(name.c_str(), 0, &v, nullptr, nullptr);
      if (FAILED(got)) out.push_back("missing");
      else if (v.vt == VT_BSTR) out.push_back(brellix_linux::to_utf8(v.bstrVal));
      else if (v.vt == VT_I4) out.push_back(std::to_string(static_cast<uint32_t>(v.lVal)));
      else out.push_back("null");
      VariantClear(&v);
      object->Release();
    }
    e->Release();
    return out;
  }

  // The system-disk lookup and the disk queries of WmiConnection, run on this provider.
  struct Lookup {
    int result;
    std::string serial;
    uint32_t signature;
    std::string error_text;
    HRESULT status;
  };
  Lookup system_disk() {
    Lookup r{};
    WmiConnection c;
    services_->AddRef();
    c.services = services_;
    r.result = c.query_system_disk(r.serial, r.signature);
    r.error_text = c.error_text;
    r.status = c.status;
    c.status = 0;
    c.error_text.clear();
    return r;
  }
  std::vector<std::string> disk_serials() {
    WmiConnection c;
    services_->AddRef();
    c.services = services_;
    std::vector<std::string> serials;
    EXPECT_EQ(c.query_disk_serials(serials, true), 0);
    c.status = 0;
    return serials;
  }

 private:
  IWbemLocator *locator_ = nullptr;
  IWbemServices *services_ = nullptr;
};

using Strings = std::vector<std::string>;

// A SATA disk with three partitions and an MBR signature, an NVMe disk with a GPT, and
// a USB stick; / on sda2.
class SataMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.add_disk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", 8, 0, 3);
      tree.udev("8:0", {"ID_SERIAL_SHORT=S3Z9NB0K123456", "ID_PART_TABLE_TYPE=dos"});
    tree.mbr("sda", 0xCAFEF00D);
    tree.add_disk("nvme0n1", "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0", 259, 0, 2);
    tree.write("sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/serial",
               "  S4EWNX0R  \n");
    tree.mbr("nvme0n1", 0x11111111, true);
    tree.add_disk("sdb", "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0",
                  8, 16, 1);
    tree.udev("8:16", {"ID_SERIAL_SHORT=USBSTICK01", "ID_BUS=usb"});
    tree.mount("0:20", "/proc", "proc");
    tree.mount("8:2", "/");
    tree.mount("259:1", "/boot/efi", "vfat");
    tree.mount("8:17", "/media/stick", "vfat");
  }
  MachineTree tree;
};

TEST_F(SataMachine, DiskDrivesInOrderWithTheirFacts) {
  Provider p(tree.root());
  const std::string all = "SELECT * FROM Win32_DiskDrive";
  EXPECT_EQ(p.query(all, "DeviceID"),
            (Strings{"\\\\.\\PHYSICALDRIVE0", "\\\\.\\PHYSICALDRIVE1", "\\\\.\\PHYSICALDRIVE2"}));
  EXPECT_EQ(p.query(all, "InterfaceType"), (Strings{"SCSI", "IDE", "USB"}));
  EXPECT_EQ(p.query(all, "SerialNumber"), (Strings{"S4EWNX0R", "S3Z9NB0K123456", "USBSTICK01"}));
  EXPECT_EQ(p.query(all, "Signature"), (Strings{"null", std::to_string(0xCAFEF00Du), "null"}));
}

TEST_F(SataMachine, UsbDisksAreLeftOutOfTheDiskQuery) {
  Provider p(tree.root());
  EXPECT_EQ(p.disk_serials(), (Strings{"S4EWNX0R", "S3Z9NB0K123456"}));
  EXPECT_EQ(p.query("select serialnumber from win32_diskdrive where interfacetype <> 'usb'",
                    "SERIALNUMBER"),
            (Strings{"S4EWNX0R", "S3Z9NB0K123456"}));
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive WHERE InterfaceType = \"USB\"", "DeviceID"),
            (Strings{"\\\\.\\PHYSICALDRIVE2"}));
}

TEST_F(SataMachine, SystemDiskLookupFollowsMountPartitionAndDisk) {
  Provider p(tree.root());
  EXPECT_EQ(p.query("SELECT SystemDrive from Win32_OperatingSystem", "SystemDrive"),
            (Strings{"/"}));
  EXPECT_EQ(p.query("ASSOCIATORS OF {win32_logicaldisk.deviceid='/'} WHERE "
                    "ResultClass=Win32_DiskPartition",
                    "DeviceID"),
            (Strings{"Disk #1, Partition #1"}));
  EXPECT_EQ(p.query("ASSOCIATORS OF {Win32_DiskPartition.DeviceID='Disk #1, Partition #1'} "
                    "WHERE ResultClass=Win32_DiskDrive",
                    "DeviceID"),
            (Strings{"\\\\.\\PHYSICALDRIVE1"}));
  Provider::Lookup r = p.system_disk();
  EXPECT_EQ(r.result, 0) << r.error_text;
  EXPECT_EQ(r.serial, "S3Z9NB0K123456");
  EXPECT_EQ(r.signature, 0xCAFEF00Du);

  // A chroot whose root is not a mount point: no line mounts /, the root's device tells.
  tree.write("proc/self/mountinfo", "21 26 0:20 / /proc rw - proc proc rw\n");
  r = Provider(tree.root(), "8:2").system_disk();
  EXPECT_EQ(r.result, 0) << r.error_text;
  EXPECT_EQ(r.serial, "S3Z9NB0K123456");
}

// The NVMe disk, listed first, is unplugged before its partitions are read.
TEST_F(SataMachine, ADiskGoneBeforeItsPartitionsAreReadIsGone) {
  Provider p(tree.root());
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive", "DeviceID").size(), 3u);
  std::filesystem::remove_all(tree.root() + "/sys/devices/pci0000:00/0000:00:1d.0");
  Provider::Lookup r = p.system_disk();
  EXPECT_EQ(r.result, 0) << r.error_text;
  EXPECT_EQ(r.serial, "S3Z9NB0K123456");
}

TEST_F(SataMachine, WqlErrors) {
  Provider p(tree.root());
  const std::string invalid_query = "80041017", invalid_class = "80041010";
  EXPECT_EQ(p.query("SELECT * FROM Win32_Nothing", "x"), Strings{invalid_class});
  EXPECT_EQ(p.query("SELECT * Win32_DiskDrive", "x"), Strings{invalid_query});
  EXPECT_EQ(p.query("SELECT Colour FROM Win32_DiskDrive", "x"), Strings{invalid_query});
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive WHERE Colour = 1", "x"), Strings{invalid_query});
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive WHERE Index = 1 extra", "x"),
            Strings{invalid_query});
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive WHERE Model = 'open", "x"), Strings{invalid_query});
  EXPECT_EQ(p.query("ASSOCIATORS OF {Win32_DiskPartition.DeviceID='Disk #9, Partition #0'}", "x"),
            Strings{"80041002"});
  EXPECT_EQ(p.query("ASSOCIATORS OF {Win32_DiskPartition.DeviceID='Disk #1, Partition #0'} "
                    "WHERE ResultClass=Win32_Nothing",
                    "x"),
            Strings{invalid_class});
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive", "x", L"SQL"), Strings{"80041018"});
  // A backslash escapes only a backslash or a quote: the device id must come escaped.
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive WHERE DeviceId='\\\\.\\PHYSICALDRIVE1'", "x"),
            Strings{invalid_query});
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive WHERE DeviceId='\\\\\\\\.\\\\PHYSICALDRIVE1'",
                    "Index"),
            Strings{"1"});
}

TEST_F(SataMachine, SelectedPropertiesOnlyAndNumbersCompareByValue) {
  Provider p(tree.root());
  EXPECT_EQ(p.query("SELECT Index FROM Win32_DiskDrive WHERE Index != 0", "SerialNumber"),
            (Strings{"missing", "missing"}));
  EXPECT_EQ(p.query("SELECT Index FROM Win32_DiskDrive WHERE Index != 0", "index"),
            (Strings{"1", "2"}));
  // The numbers are unsigned 32-bit: a signature with its top bit set compares as such.
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive WHERE Signature = 3405705229", "Index"),
            Strings{"1"});
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive WHERE Signature = '3405705229'", "Index"),
            Strings{"1"});
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskPartition", "DeviceID"),
            (Strings{"Disk #0, Partition #0", "Disk #0, Partition #1", "Disk #1, Partition #0",
                     "Disk #1, Partition #1", "Disk #1, Partition #2", "Disk #2, Partition #0"}));
  EXPECT_EQ(p.query("SELECT * FROM Win32_LogicalDisk", "DeviceID"),
            (Strings{"/proc", "/", "/boot/efi", "/media/stick"}));
}

TEST(FabricatedMachine, DmiFactsAndProcessor) {
  MachineTree tree;
  tree.write("sys/class/dmi/id/board_serial", "BSN-42\n");
  tree.write("sys/class/dmi/id/product_uuid", "4c4c4544-0042-3510-8050-b4c04f4b4d32\n");
  tree.write("proc/cpuinfo", "processor\t: 0\nphysical id\t: 0\nmodel name\t: Test CPU\n\n"
                             "processor\t: 1\nphysical id\t: 1\n\n");
  Provider p(tree.root());
  EXPECT_EQ(p.query("SELECT * FROM Win32_BaseBoard", "SerialNumber"), Strings{"BSN-42"});
  EXPECT_EQ(p.query("SELECT * FROM Win32_ComputerSystemProduct", "uuid"),
            Strings{"4C4C4544-0042-3510-8050-B4C04F4B4D32"});
  EXPECT_EQ(p.query("SELECT * FROM Win32_Processor", "Name"), (Strings{"Test CPU", "Test CPU"}));
  int r[4];
  __cpuid(r, 1);
  char id[17];
  std::snprintf(id, sizeof id, "%08X%08X", static_cast<unsigned>(r[3]), static_cast<unsigned>(r[0]));
  EXPECT_EQ(p.query("SELECT * FROM Win32_Processor", "ProcessorId"), (Strings{id, id}));
}

TEST(FabricatedMachine, MissingFactsAreNullNotAbsentObjects) {
  MachineTree tree;
  Provider p(tree.root());
  EXPECT_EQ(p.query("SELECT * FROM Win32_BaseBoard", "SerialNumber"), Strings{"null"});
  EXPECT_EQ(p.query("SELECT * FROM Win32_ComputerSystemProduct", "UUID"), Strings{"null"});
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive", "DeviceID"), Strings{});
  EXPECT_EQ(p.query("SELECT * FROM Win32_OperatingSystem", "SystemDrive"), Strings{"null"});
  Provider::Lookup r = p.system_disk();
  // A null system drive reads as "", which names no logical disk.
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.error_text,
            "\nQuery for DeviceID failed - \nFailed to retrieve logical drive to partition "
            "mapping. Return code: 1 result - ");
  EXPECT_EQ(r.status, WBEM_E_NOT_FOUND);
}

TEST(FabricatedMachine, RootOnAWholeDisk) {
  MachineTree tree;
  tree.add_disk("vda", "pci0000:00/0000:00:02.0/virtio1", 254, 0);
  tree.write("sys/block/vda/serial", "overlayblk\n");
  tree.add_disk("vdb", "pci0000:00/0000:00:03.0/virtio2", 254, 16);
  tree.mount("254:0", "/");
  Provider p(tree.root());
  Provider::Lookup r = p.system_disk();
  EXPECT_EQ(r.result, 0) << r.error_text;
  EXPECT_EQ(r.serial, "overlayblk");
  EXPECT_EQ(r.signature, 0u);
  // Only the disk that holds a filesystem has the implicit partition.
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskPartition", "DeviceID"),
            Strings{"Disk #0, Partition #0"});
}

TEST(FabricatedMachine, RootOnDeviceMapperAndMd) {
  MachineTree tree;
  tree.add_disk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", 8, 0, 3);
  tree.add_disk("sdb", "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0", 8, 16, 1);
  tree.write("sys/devices/pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0/vpd_pg80",
             std::string("\x00\x80\x00\x08", 4) + "ZA1B2C3 ");
  tree.add_volume("md0", 9, 0, {"sdb1", "sda1"});
  tree.add_volume("dm-0", 253, 0, {"sda3"});
  tree.add_volume("dm-1", 253, 1, {"md0"});
  tree.mount("253:0", "/");
  tree.mount("253:1", "/srv");
  Provider p(tree.root());
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive", "DeviceID").size(), 2u);
  EXPECT_EQ(p.query("ASSOCIATORS OF {Win32_LogicalDisk.DeviceID='/srv'} "
                    "WHERE ResultClass=Win32_DiskPartition",
                    "DeviceID"),
            (Strings{"Disk #0, Partition #0", "Disk #1, Partition #0"}));
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive", "SerialNumber"), (Strings{"null", "ZA1B2C3"}));
  Provider::Lookup r = p.system_disk();
  EXPECT_EQ(r.result, 0) << r.error_text;
  EXPECT_EQ(r.serial, "");
  EXPECT_EQ(p.query("ASSOCIATORS OF {Win32_LogicalDisk.DeviceID='/'} "
                    "WHERE ResultClass=Win32_DiskPartition",
                    "DeviceID"),
            Strings{"Disk #0, Partition #2"});
}

// A floppy drive is no disk drive (and opening it without a medium stalls).
TEST(FabricatedMachine, FloppyDrivesAreNoDiskDrives) {
  MachineTree tree;
  tree.add_disk("fd0", "platform/floppy.0", 2, 0);
  tree.add_disk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", 8, 0);
  Provider p(tree.root());
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive", "InterfaceType"), Strings{"IDE"});
}

// Kernel names have no bound on their runs of digits; 25 digits still sort by value.
TEST(FabricatedMachine, LongRunsOfDigitsInDiskNamesSortByValue) {
  MachineTree tree;
  const std::string one = "1" + std::string(23, '0');
  int minor = 0;
  for (const std::string &n : {one + "01", one + "00", std::string("99")}) {
    tree.add_disk("nvme" + n + "n1", "pci0000:00/0000:00:1d.0/nvme/nvme" + n, 259, minor++);
    tree.write("sys/block/nvme" + n + "n1/serial", "S" + n.substr(n.size() - 2) + "\n");
  }
  Provider p(tree.root());
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive", "SerialNumber"),
            (Strings{"S99", "S00", "S01"}));
}

// udev already says the table is GPT: sector 0 (here an MBR with a signature) stays unread.
TEST(FabricatedMachine, GptDiskKnownToUdevHasNoSignature) {
  MachineTree tree;
  tree.add_disk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", 8, 0);
  tree.udev("8:0",
            {"ID_PART_TABLE_TYPE=gpt", "ID_PART_TABLE_UUID=0c8b7a2e-1b2c-4d5e-8f90-a1b2c3d4e5f6"});
  tree.mbr("sda", 0x12345678);
  Provider p(tree.root());
  EXPECT_EQ(p.query("SELECT * FROM Win32_DiskDrive", "Signature"), Strings{"null"});
}

// Firmware RAID (and partitioned md arrays) put the root on a partition of the volume.
TEST(FabricatedMachine, RootOnAPartitionOfAnMdVolume) {
  MachineTree tree;
  tree.add_disk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", 8, 0);
  tree.write("sys/devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/serial", "A1\n");
  tree.add_disk("sdb", "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0", 8, 16);
  tree.add_volume("md126", 9, 126, {"sda", "sdb"});
  const std::string part = tree.root() + "/sys/devices/virtual/block/md126/md126p1";
  tree.write("sys/devices/virtual/block/md126/md126p1/partition", "1\n");
  tree.write("sys/devices/virtual/block/md126/md126p1/dev", "259:0\n");
  std::filesystem::create_directory_symlink(part, tree.root() + "/sys/dev/block/259:0");
  tree.mount("259:0", "/");
  Provider p(tree.root());
  EXPECT_EQ(p.query("ASSOCIATORS OF {Win32_LogicalDisk.DeviceID='/'} "
                    "WHERE ResultClass=Win32_DiskPartition",
                    "DiskIndex"),
            (Strings{"0", "1"}));
  Provider::Lookup r = p.system_disk();
  EXPECT_EQ(r.result, 0) << r.error_text;
  EXPECT_EQ(r.serial, "A1");
}

TEST(FabricatedMachine, MountPointsAreUnescapedAndTheLastMountOnAPointWins) {
  MachineTree tree;
  tree.add_disk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", 8, 0, 2);
  tree.mount("8:1", "/mnt/my\\040disk");
  tree.mount("8:1", "/");
  tree.mount("8:2", "/");
  Provider p(tree.root());
  EXPECT_EQ(p.query("SELECT * FROM Win32_LogicalDisk", "DeviceID"), (Strings{"/mnt/my disk", "/"}));
  EXPECT_EQ(p.query("ASSOCIATORS OF {Win32_LogicalDisk.DeviceID='/'} "
                    "WHERE ResultClass=Win32_DiskPartition",
                    "DeviceID"),
            Strings{"Disk #0, Partition #1"});
}

// What the answer depends on, unreadable, fails the query instead of reading as nothing
// there. Something of the wrong kind in its place is refused to root as well.
TEST(FabricatedMachine, UnreadableFactsFailTheQuery) {
  struct Case {
    const char *path;
    bool make_directory;
    const char *wql;
  };
  for (const Case &c : {Case{"sys/block", false, "SELECT * FROM Win32_DiskDrive"},
                        Case{"proc/self/mountinfo", true, "SELECT * FROM Win32_LogicalDisk"},
                        Case{"sys/block/sda/sda1/partition", true,
                             "SELECT * FROM Win32_DiskPartition"}}) {
    MachineTree tree;
    tree.add_disk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", 8, 0, 1);
    std::filesystem::remove_all(tree.root() + "/" + c.path);
    if (c.make_directory) std::filesystem::create_directory(tree.root() + "/" + c.path);
    else tree.write(c.path, "");
    Provider p(tree.root());
    EXPECT_EQ(p.query(c.wql, "DeviceID"), Strings{"80041001"}) << c.path;
  }
}

// Containers and automounters can leave tens of thousands of mounts.
TEST(FabricatedMachine, ThirtyThousandMounts) {
  MachineTree tree;
  tree.add_disk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", 8, 0, 2);
  std::string mountinfo;
  for (int i = 0; i < 30000; ++i)  // every point mounted twice
    mountinfo += std::to_string(i + 100) + " 1 8:1 / /srv/" + std::to_string(i / 2) +
                 " rw - ext4 /dev/sda1 rw\n";
  tree.write("proc/self/mountinfo", mountinfo + "9 1 8:2 / / rw - ext4 /dev/sda2 rw\n");
  Provider p(tree.root());
  EXPECT_EQ(p.query("SELECT * FROM Win32_LogicalDisk", "DeviceID").size(), 15001u);
  Provider::Lookup r = p.system_disk();
  EXPECT_EQ(r.result, 0) << r.error_text;
}

TEST(FabricatedMachine, RootOnNoBlockDevice) {
  MachineTree tree;
  tree.add_disk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", 8, 0, 1);
  tree.mount("0:31", "/", "overlay");
  Provider p(tree.root());
  Provider::Lookup r = p.system_disk();
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.error_text,
            "\nFailed to retrieve logical drive to partition mapping. Return code: 0 result - ");
  EXPECT_EQ(r.status, WBEM_S_FALSE);
}

// btrfs and other filesystems show an anonymous device number (0:N) in mountinfo; the
// mount source names the block device they sit on.
TEST(FabricatedMachine, RootWithAnAnonymousDeviceNumberIsFoundThroughItsSource) {
  MachineTree tree;
  tree.add_disk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", 8, 0, 1);
  tree.add_disk("nvme0n1", "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0", 259, 0, 3);
  tree.write("sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/serial", "S4EWNX0R\n");
  tree.write("dev/nvme0n1p3", "");
  tree.mount("0:31", "/", "btrfs", "/dev/nvme0n1p3");
  Provider p(tree.root());
  Provider::Lookup r = p.system_disk();
  EXPECT_EQ(r.result, 0) << r.error_text;
  EXPECT_EQ(r.serial, "S4EWNX0R");

  // Through a device-mapper name, and a source that is no device at all.
  MachineTree mapped;
  mapped.add_disk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", 8, 0, 2);
  mapped.write("sys/devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/serial",
               "WD-1\n");
  mapped.add_volume("dm-0", 253, 0, {"sda2"});
  mapped.write("dev/dm-0", "");
  std::filesystem::create_directories(mapped.root() + "/dev/mapper");
  std::filesystem::create_symlink("../dm-0", mapped.root() + "/dev/mapper/root");
  mapped.mount("0:40", "/", "btrfs", "/dev/mapper/root");
  mapped.mount("0:41", "/srv", "zfs", "tank/srv");
  // A source that cannot be followed fails only the query that needs its mount.
  std::filesystem::create_symlink("looped", mapped.root() + "/dev/looped");
  mapped.mount("0:42", "/data", "btrfs", "/dev/looped");
  mapped.add_disk("sdb", "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0", 8, 16);
  Provider q(mapped.root());
  r = q.system_disk();
  EXPECT_EQ(r.result, 0) << r.error_text;
  EXPECT_EQ(r.serial, "WD-1");
  EXPECT_EQ(q.query("ASSOCIATORS OF {Win32_LogicalDisk.DeviceID='/srv'} "
                    "WHERE ResultClass=Win32_DiskPartition",
                    "DeviceID"),
            Strings{});
  EXPECT_EQ(q.query("ASSOCIATORS OF {Win32_LogicalDisk.DeviceID='/data'} "
                    "WHERE ResultClass=Win32_DiskPartition",
                    "DeviceID"),
            Strings{"80041001"});
  // /data may be sdb's whole-disk filesystem: the partition list is not known.
  EXPECT_EQ(q.query("SELECT * FROM Win32_DiskPartition", "DeviceID"), Strings{"80041001"});
}

// ---- This machine, cross-checked with what /proc and /sys say.

std::string read_trimmed(const std::string &path) {
  std::ifstream in(path);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  size_t start = text.find_first_not_of(' ');
  return start == std::string::npos ? "" : text.substr(start);
}

TEST(ThisMachine, ConnectionAnswersFromProcAndSys) {
  on_fresh_thread([] {
    std::string serial;
    uint32_t signature = 0;
    std::vector<std::string> serials, ids;
    int lookup;
    {
      WmiConnection c;
      ASSERT_EQ(c.connect("ROOT\\CIMV2"), 0);
      EXPECT_EQ(c.query_processor_ids(ids, false), 0);
      EXPECT_EQ(c.query_disk_serials(serials, true), 0);
      lookup = c.query_system_disk(serial, signature);
      c.status = 0;
      c.error_text.clear();
    }
    int r[4];
    __cpuid(r, 1);
    char id[17];
    std::snprintf(id, sizeof id, "%08X%08X", static_cast<unsigned>(r[3]),
                  static_cast<unsigned>(r[0]));
    EXPECT_EQ(ids, Strings{id});

    // The disks: /sys/block entries with a device link, not optical.
    size_t disks = 0;
    if (DIR *dir = opendir("/sys/block")) {
      while (dirent *entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name[0] == '.' || name.rfind("sr", 0) == 0) continue;
        std::ifstream probe("/sys/block/" + name + "/device/uevent");
        if (probe) ++disks;
      }
      closedir(dir);
    }
    EXPECT_LE(serials.size(), disks);

    // The disk that holds /, found from mountinfo and /sys on our own.
    std::ifstream mountinfo("/proc/self/mountinfo");
    std::string line, root_dev;
    while (std::getline(mountinfo, line)) {
      std::istringstream fields(line);
      std::string a, b, dev, root, point, field, source;
      fields >> a >> b >> dev >> root >> point;
      while (fields >> field && field != "-") {
      }
      fields >> field >> source;
      // An anonymous device number (btrfs): the source's device node tells the disk.
      struct stat node;
      if (dev.rfind("0:", 0) == 0 && source.rfind("/dev/", 0) == 0 &&
          stat(source.c_str(), &node) == 0 && S_ISBLK(node.st_mode))
        dev = std::to_string(major(node.st_rdev)) + ":" + std::to_string(minor(node.st_rdev));
      if (point == "/") root_dev = dev;
    }
    // No line mounts / in a chroot whose root is not a mount point: the root's own device.
    struct stat root;
    if (root_dev.empty() && stat("/", &root) == 0)
      root_dev = std::to_string(major(root.st_dev)) + ":" + std::to_string(minor(root.st_dev));
    std::string block = "/sys/dev/block/" + root_dev;
    std::ifstream is_partition(block + "/partition");
    if (root_dev.rfind("0:", 0) == 0) {
      EXPECT_EQ(lookup, 1);
      return;
    }
    std::string disk_dir = is_partition ? block + "/.." : block;
    char resolved[4096];
    if (realpath(block.c_str(), resolved)) {
      std::string name = std::string(resolved).substr(std::string(resolved).rfind('/') + 1);
      if (name.rfind("dm-", 0) == 0 || name.rfind("md", 0) == 0) GTEST_SKIP() << "root on a volume";
    }
    std::string expected = read_trimmed(disk_dir + "/device/serial");
    if (expected.empty()) expected = read_trimmed(disk_dir + "/serial");
    EXPECT_EQ(lookup, 0);
    if (!expected.empty()) {
      EXPECT_EQ(serial, expected);
    }
  });
}

}  // namespace

namespace {

// ---- Display functions, with no X server to talk to (Xvfb runs in the Python tests).

BOOL CALLBACK count_monitor(HMONITOR, HDC, LPRECT, LPARAM data) {
  ++*reinterpret_cast<int *>(data);
  return TRUE;
}

TEST(LinuxDisplay, NoDisplayMeansNoMonitor) {
  const char *saved = std::getenv("DISPLAY");
  std::string display = saved ? saved : "";
  unsetenv("DISPLAY");
  int count = 0;
  EXPECT_TRUE(EnumDisplayMonitors(nullptr, nullptr, count_monitor, reinterpret_cast<LPARAM>(&count)));
  EXPECT_EQ(count, 0);
  setenv("DISPLAY", ":65000", 1);
  EXPECT_TRUE(EnumDisplayMonitors(nullptr, nullptr, count_monitor, reinterpret_cast<LPARAM>(&count)));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(CreateDCA("DISPLAY", "screen", nullptr, nullptr), nullptr);
  if (saved) setenv("DISPLAY", display.c_str(), 1);
  else unsetenv("DISPLAY");
}

TEST(LinuxDisplay, BadHandlesAreRefused) {
  MONITORINFOEXA info;
  info.cbSize = sizeof info;
  errno = 0;
  EXPECT_FALSE(GetMonitorInfoA(nullptr, reinterpret_cast<LPMONITORINFO>(&info)));
  EXPECT_EQ(errno, EINVAL);
  HDC__ *stray = reinterpret_cast<HDC__ *>(&info);
  EXPECT_EQ(GetDeviceCaps(nullptr, HORZSIZE), 0);
  EXPECT_EQ(GetDeviceCaps(stray, HORZSIZE), 0);
  EXPECT_FALSE(DeleteDC(nullptr));
  EXPECT_FALSE(DeleteDC(stray));
  EXPECT_EQ(CreateDCA("PRINTER", "screen", nullptr, nullptr), nullptr);
}

}  // namespace
