import os
import subprocess
import sys
import textwrap

import PyQt5.QtCore  # noqa: F401  (pytorvane needs the Qt binding first)
import pytest


def run_python(code, env=None):
    """Runs code in a fresh interpreter; start-up and crash cases must not touch ours."""
    full_env = dict(os.environ)
    full_env.update(env or {})
    return subprocess.run([sys.executable, "-c", textwrap.dedent(code)], capture_output=True,
                          text=True, env=full_env, timeout=120)


@pytest.fixture
def python_subprocess():
    return run_python
