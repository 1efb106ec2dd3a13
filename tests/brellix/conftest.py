import os
import signal
import subprocess

import pytest

SCREEN = ("-screen", "0", "1920x1080x24", "-dpi", "96")


@pytest.fixture
def start_xvfb(monkeypatch):
    """Starts a private X server with the given arguments (by default one 1920x1080 screen
    at 96 dpi) on a display number it picks itself and points DISPLAY at it; returns
    (display, process). Every server started is resumed and ended after the test, also one
    the test stopped."""
    servers = []

    def start(*arguments):
        arguments = arguments or SCREEN
        read_end, write_end = os.pipe()
        server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-noreset", *arguments],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        servers.append(server)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            number = f.readline().strip()
        assert number, "Xvfb did not start"
        monkeypatch.setenv("DISPLAY", ":" + number)
        return ":" + number, server

    yield start
    for server in servers:
        server.send_signal(signal.SIGCONT)
        server.terminate()
        server.wait(timeout=10)


@pytest.fixture
def xvfb(start_xvfb):
    """A private X server (RandR 1.5, one 1920x1080 screen at 96 dpi); DISPLAY points at it
    for the test."""
    display, _ = start_xvfb()
    return display
