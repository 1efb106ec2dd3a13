"""Prints what brellix says about this machine. Without a display, the monitors are
those of a private Xvfb started for the purpose."""
import os
import subprocess
import sys

import brellix


def private_display():
    read_end, write_end = os.pipe()
    try:
        server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1920x1080x24", "-dpi", "96",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except OSError:
        os.close(read_end)
        os.close(write_end)
        return None, None
    os.close(write_end)
    with os.fdopen(read_end) as f:
        number = f.readline().strip()
    return server, (":" + number if number else None)


def show(label, function):
    try:
        print("%-22s %r" % (label, function()))
    except RuntimeError as error:
        print("%-22s RuntimeError(%r)" % (label, str(error)))
    sys.stdout.flush()


def main():
    show("hardware metrics:", brellix.get_hardware_metrics)
    show("hard drives:", brellix.get_harddrive_metrics)
    show("virtual machine:", brellix.is_running_on_vm)

    server = None
    if not os.environ.get("DISPLAY"):
        server, display = private_display()
        if display:
            os.environ["DISPLAY"] = display
            print("(monitors of a private Xvfb on %s)" % display)
    try:
        show("monitors:", brellix.get_monitors_info)
    finally:
        if server is not None:
            server.terminate()
            server.wait(timeout=10)


if __name__ == "__main__":
    main()
