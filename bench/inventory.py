"""brellix's four functions against reading the same facts directly.

Each brellix call is timed beside a direct read of the files it answers from (in
Python: /proc/cpuinfo, /proc/self/mountinfo, the /sys block and DMI files), and the
monitors beside `xrandr --listactivemonitors`. First calls run in fresh interpreters,
the direct reads too (the first touch of a /sys file in a process costs far more than
the next ones); repeated calls run in this process. The cached get_hardware_metrics is
timed beside returning a tuple. Best of several rounds. Targets: each call within 2x
the direct read, the cached call as cheap as returning a tuple.
"""
import contextlib
import os
import subprocess
import sys
import time

import brellix

ROUNDS = 7
REPEAT = 200
CACHED_REPEAT = 1_000_000


@contextlib.contextmanager
def quiet_stderr():
    # The WMI connections write their diagnostic lines to fd 2.
    saved = os.dup(2)
    with open(os.devnull, "w") as null:
        os.dup2(null.fileno(), 2)
    try:
        yield
    finally:
        os.dup2(saved, 2)
        os.close(saved)


def best(fn, repeat):
    result = float("inf")
    for _ in range(ROUNDS):
        start = time.perf_counter()
        for _ in range(repeat):
            fn()
        result = min(result, (time.perf_counter() - start) / repeat)
    return result


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return b""


def block_disks():
    names = []
    for name in os.listdir("/sys/block"):
        if name.startswith(("loop", "zram", "dm-", "md", "sr", "ram", "fd")):
            continue
        if os.path.exists("/sys/block/%s/device" % name):
            names.append(name)
    return sorted(names)


def disk_facts(name):
    path = "/sys/block/" + name
    os.path.realpath(path + "/device")
    dev = read(path + "/dev").strip().decode()
    read("/run/udev/data/b" + dev)
    serial = read(path + "/device/serial") or read(path + "/serial")
    try:
        # Only the first sector, as brellix reads it: the device is the whole disk.
        with open("/dev/" + name, "rb") as f:
            signature = f.read(512)[440:444]
    except OSError:
        signature = b""
    return serial.strip().decode(), signature


def direct_hardware():
    read("/proc/cpuinfo")
    root = None
    for line in read("/proc/self/mountinfo").decode().splitlines():
        fields = line.split()
        if fields[4] == "/":
            root = fields[2]
    block = os.path.realpath("/sys/dev/block/%s" % root)
    if os.path.exists(block + "/partition"):
        block = os.path.dirname(block)
    facts = disk_facts(os.path.basename(block))
    return facts, read("/sys/class/dmi/id/board_serial"), read("/sys/class/dmi/id/product_uuid")


def direct_harddrives():
    return [disk_facts(name) for name in block_disks()]


def direct_vm():
    return b" hypervisor" in read("/proc/cpuinfo")


def first_call(expression):
    """Best time of `expression` evaluated once in each of several fresh interpreters."""
    code = ("import sys, time\n"
            "sys.path.insert(0, %r)\n"
            "import brellix, inventory\n"
            "start = time.perf_counter(); %s\n"
            "print(time.perf_counter() - start)\n") % (os.path.dirname(os.path.abspath(__file__)),
                                                       expression)
    times = []
    for _ in range(ROUNDS):
        done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                              check=True)
        times.append(float(done.stdout))
    return min(times)


def start_display():
    if os.environ.get("DISPLAY"):
        return None
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1920x1080x24", "-dpi", "96",
         "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as f:
        os.environ["DISPLAY"] = ":" + f.readline().strip()
    return server


def report(name, ours, theirs, against):
    print("%-34s %10.3f us   %-34s %10.3f us   ratio %.2f" % (
        name, ours * 1e6, against, theirs * 1e6, ours / theirs))


def main():
    with quiet_stderr():
        report("get_hardware_metrics, first call", first_call("brellix.get_hardware_metrics()"),
               first_call("inventory.direct_hardware()"), "direct reads, first time")
        report("get_harddrive_metrics, first call", first_call("brellix.get_harddrive_metrics()"),
               first_call("inventory.direct_harddrives()"), "direct reads, first time")

        brellix.get_hardware_metrics()
        cached = best(brellix.get_hardware_metrics, CACHED_REPEAT)
        metrics = brellix.get_hardware_metrics()
        tuple_return = best(lambda: metrics, CACHED_REPEAT)
        report("get_hardware_metrics, cached", cached, tuple_return, "returning a tuple")

        report("get_harddrive_metrics", best(brellix.get_harddrive_metrics, REPEAT),
               best(direct_harddrives, REPEAT), "direct /sys reads")
        report("is_running_on_vm", best(brellix.is_running_on_vm, REPEAT),
               best(direct_vm, REPEAT), "/proc/cpuinfo flags")

    server = start_display()
    try:
        command = ["xrandr", "--listactivemonitors"]
        xrandr = best(lambda: subprocess.run(command, capture_output=True, check=True), 5)
        report("get_monitors_info, first call", first_call("brellix.get_monitors_info()"),
               xrandr, "xrandr --listactivemonitors")
        report("get_monitors_info", best(brellix.get_monitors_info, 20), xrandr,
               "xrandr --listactivemonitors")
    finally:
        if server is not None:
            server.terminate()
            server.wait(timeout=10)
    return 0


if __name__ == "__main__":
    sys.exit(main())
