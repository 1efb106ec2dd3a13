import os
import subprocess

import pytest


@pytest.fixture
def xvfb(monkeypatch):
    """A private X server (RandR 1.5, one 1920x1080 screen at 96 dpi) on a display number
    it picks itself; DISPLAY points at it for the test."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1920x1080x24", "-dpi", "96",
         "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    try:
        with os.fdopen(read_end) as f:
            number = f.readline().strip()
        assert number, "Xvfb did not start"
        display = ":" + number
        monkeypatch.setenv("DISPLAY", display)
        yield display
    finally:
        server.terminate()
        server.wait(timeout=10)
