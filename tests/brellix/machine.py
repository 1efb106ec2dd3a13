"""What this machine says about itself, read straight from /proc, /sys, /dev and the
processor, to check brellix's answers against."""
import ctypes
import mmap
import os
import re
import struct

# x86-64: cpuid(leaf=edi) into out=rsi[0..3] as eax, ebx, ecx, edx.
_CPUID_CODE = bytes.fromhex("5389f831c90fa28906895e04894e0889560c5bc3")
_cpuid_page = None


def cpuid(leaf):
    global _cpuid_page
    if _cpuid_page is None:
        _cpuid_page = mmap.mmap(-1, mmap.PAGESIZE,
                                prot=mmap.PROT_READ | mmap.PROT_WRITE | mmap.PROT_EXEC)
        _cpuid_page.write(_CPUID_CODE)
    address = ctypes.addressof(ctypes.c_char.from_buffer(_cpuid_page))
    function = ctypes.CFUNCTYPE(None, ctypes.c_uint32, ctypes.POINTER(ctypes.c_uint32 * 4))(address)
    out = (ctypes.c_uint32 * 4)()
    function(leaf, ctypes.pointer(out))
    return tuple(out)


def processor_id():
    eax, _, _, edx = cpuid(1)
    return "%08X%08X" % (edx, eax)


def hypervisor_bit():
    return bool(cpuid(1)[2] >> 31)


def read(path, binary=False):
    try:
        with open(path, "rb" if binary else "r") as f:
            return f.read()
    except OSError:
        return None


def udev(dev):
    entries = {}
    for line in (read("/run/udev/data/b" + dev) or "").splitlines():
        if line.startswith("E:") and "=" in line:
            key, value = line[2:].split("=", 1)
            entries[key] = value
    return entries


def _natural(name):
    return [int(p) if p.isdigit() else p for p in re.split(r"(\d+)", name)]


def disks():
    """(name, sysfs dir, dev) of every disk, in brellix's order."""
    found = []
    for name in os.listdir("/sys/block"):
        if name.startswith(("loop", "zram", "dm-", "md", "sr", "ram", "fd")):
            continue
        if not os.path.exists("/sys/block/%s/device" % name):
            continue
        dev = (read("/sys/block/%s/dev" % name) or "").strip()
        found.append((name, os.path.realpath("/sys/block/" + name), dev))
    return sorted(found, key=lambda d: _natural(d[0]))


def is_usb(name, dev):
    parts = os.path.realpath("/sys/block/%s/device" % name).split("/")
    return any(re.fullmatch(r"usb\d+", p) for p in parts) or udev(dev).get("ID_BUS", "").lower() == "usb"


def serial(name, dev):
    for path in ("/sys/block/%s/device/serial" % name, "/sys/block/%s/serial" % name):
        text = read(path)
        if text is not None:
            return text.strip()
    if udev(dev).get("ID_SERIAL_SHORT"):
        return udev(dev)["ID_SERIAL_SHORT"]
    page = read("/sys/block/%s/device/vpd_pg80" % name, binary=True)
    if page and len(page) >= 4:
        return page[4:4 + ((page[2] << 8) | page[3])].decode("latin-1").strip(" \0")
    return ""


def first_sector(name):
    # Only the first sector: the device is the whole disk.
    try:
        with open("/dev/" + name, "rb") as f:
            return f.read(512)
    except OSError:
        return None


def signature(name, dev):
    entries = udev(dev)
    table = entries.get("ID_PART_TABLE_TYPE", "").lower()
    if table == "dos" and entries.get("ID_PART_TABLE_UUID"):
        return int(entries["ID_PART_TABLE_UUID"], 16)
    if table not in ("", "dos"):  # GPT and the like: sector 0 is not read
        return 0
    sector = first_sector(name)
    if sector and len(sector) >= 512 and sector[510:512] == b"\x55\xaa" and sector[450] != 0xEE:
        return struct.unpack_from("<I", sector, 440)[0]
    return 0


def root_disk():
    """(name, dev) of the disk under /, or None when / is not on a plain disk or partition."""
    root_dev = None
    for line in (read("/proc/self/mountinfo") or "").splitlines():
        fields = line.split()
        if len(fields) > 4 and fields[4] == "/":
            root_dev = fields[2]
            source = fields[fields.index("-") + 2] if "-" in fields[5:-2] else ""
            # An anonymous device number (btrfs): the source's device node tells the disk.
            if root_dev.startswith("0:") and source.startswith("/dev/"):
                try:
                    rdev = os.stat(source).st_rdev
                    if rdev:
                        root_dev = "%d:%d" % (os.major(rdev), os.minor(rdev))
                except OSError:
                    pass
    if root_dev is None:  # a chroot whose root is not a mount point: the root's own device
        st_dev = os.stat("/").st_dev
        root_dev = "%d:%d" % (os.major(st_dev), os.minor(st_dev))
    if root_dev.startswith("0:"):
        return None
    block = os.path.realpath("/sys/dev/block/" + root_dev)
    if os.path.exists(block + "/partition"):
        block = os.path.dirname(block)
    for name, sys_dir, dev in disks():
        if sys_dir == block:
            return name, dev
    return None


def dmi(name):
    text = read("/sys/class/dmi/id/" + name)
    return "" if text is None else text.strip()
