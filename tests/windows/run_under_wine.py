#!/usr/bin/python3
"""Runs brellix's Windows test program under wine64, headless and then under an Xvfb of
its own, in a Wine prefix of its own, and leaves no wineserver or X server behind.

Exits 77 (a skip for ctest) only when the cross compiler or Wine is not installed.

Wine's "Read access denied for device Z:" lines are harmless: its drive Z: is the host's
root, whose block device it may not read for a volume serial number."""

import argparse
import os
import shutil
import subprocess
import sys

SKIP = 77
RUN_TIMEOUT = 240  # seconds; the first run also creates the prefix

# Headless, Wine's null display driver offers one 1024x768 desktop. Wine derives the
# millimetre size from 96 dots per inch, not from the display: under an X server that
# claims 192 dpi, a 1600x900 screen is still 423x238 mm (the server says 212x119).
HEADLESS_MONITORS = [(1024, 768, 271, 203)]
XVFB_SCREEN = '1600x900x24'
XVFB_DPI = '192'
XVFB_MONITORS = [(1600, 900, 423, 238)]


def monitor_args(monitors):
    args = []
    for monitor in monitors:
        args += ['--monitor'] + [str(value) for value in monitor]
    return args


def run_program(wine64, exe, env, monitors, label):
    print(f'--- {label}', flush=True)
    try:
        result = subprocess.run([wine64, exe] + monitor_args(monitors), env=env,
                                cwd=os.path.dirname(exe), timeout=RUN_TIMEOUT)
    except subprocess.TimeoutExpired:
        print(f'{label}: timed out after {RUN_TIMEOUT} s', flush=True)
        return False
    if result.returncode != 0:
        print(f'{label}: exit code {result.returncode}', flush=True)
    return result.returncode == 0


def stop_wineserver(wineserver, env):
    # Kill this prefix's server and everything it runs, and wait until it is gone.
    subprocess.run([wineserver, '-k'], env=env, stderr=subprocess.DEVNULL, timeout=60)
    subprocess.run([wineserver, '-w'], env=env, stderr=subprocess.DEVNULL, timeout=60)


def start_xvfb(xvfb):
    # The server picks a free display itself and writes its number to the pipe.
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        [xvfb, '-displayfd', str(write_end), '-screen', '0', XVFB_SCREEN, '-dpi', XVFB_DPI,
         '-nolisten', 'tcp', '-noreset'],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        server.wait(timeout=30)
        raise RuntimeError('Xvfb did not start')
    return server, ':' + number


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--exe')
    parser.add_argument('--wine64')
    parser.add_argument('--wineserver')
    parser.add_argument('--xvfb')
    parser.add_argument('--prefix', required=True)
    parser.add_argument('--missing', help='what is not installed, when something is not')
    args = parser.parse_args()

    if args.missing:
        print(f'skipped: {args.missing} not installed')
        return SKIP
    for tool in (args.wine64, args.wineserver):
        if not tool or not os.access(tool, os.X_OK):
            print(f'skipped: {tool or "wine64"} not installed')
            return SKIP
    if not args.xvfb or not shutil.which(args.xvfb):
        print('Xvfb is missing', file=sys.stderr)
        return 1

    env = {k: v for k, v in os.environ.items() if k not in ('DISPLAY', 'WAYLAND_DISPLAY')}
    env.update(WINEPREFIX=args.prefix, WINEDEBUG='-all',
               # No Mono or Gecko: the test needs neither, and their prompts would wait.
               WINEDLLOVERRIDES='mscoree,mshtml=')
    os.makedirs(os.path.dirname(args.prefix), exist_ok=True)

    ok = True
    xvfb = None
    try:
        ok &= run_program(args.wine64, args.exe, env, HEADLESS_MONITORS, 'headless')
        # A fresh server, so the display driver is chosen anew for the X display.
        stop_wineserver(args.wineserver, env)
        xvfb, display = start_xvfb(args.xvfb)
        ok &= run_program(args.wine64, args.exe, dict(env, DISPLAY=display), XVFB_MONITORS,
                          f'under Xvfb {display}')
    finally:
        stop_wineserver(args.wineserver, env)
        if xvfb is not None:
            xvfb.terminate()
            try:
                xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                xvfb.kill()
                xvfb.wait()
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main())
