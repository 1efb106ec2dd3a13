import glob
import os
import subprocess

import pytest
import pytorvane


def test_module_surface_has_no_docs():
    names = {n for n in dir(pytorvane) if not n.startswith("_")}
    assert {"install_global_event_filter", "set_user_value", "get_user_value",
            "HeaderIndex", "NullValue"} <= names
    assert pytorvane.__doc__ is None
    for name in ("install_global_event_filter", "set_user_value", "get_user_value"):
        assert getattr(pytorvane, name).__doc__ is None
    assert pytorvane.HeaderIndex.data.__doc__ is None


def test_only_init_function_is_exported():
    out = subprocess.run(["nm", "-D", "--defined-only", pytorvane.__file__],
                         capture_output=True, text=True, check=True).stdout
    symbols = [line.split()[-1] for line in out.splitlines() if line.split()[-2:-1] != ["A"]]
    assert symbols == ["PyInit_pytorvane"]


def test_no_match_errors_name_the_function():
    with pytest.raises(TypeError, match="get_user_value"):
        pytorvane.get_user_value()
    with pytest.raises(TypeError, match="set_user_value"):
        pytorvane.set_user_value(1, 2, 3)
    with pytest.raises(TypeError, match="install_global_event_filter"):
        pytorvane.install_global_event_filter(1)
    with pytest.raises(TypeError):
        pytorvane.install_global_event_filter(x=1)


def _import_failure(python_subprocess, prelude):
    result = python_subprocess(prelude + """
import sys
try:
    import pytorvane
except BaseException as e:
    print(type(e).__name__ + ": " + str(e))
    print("loaded:", "pytorvane" in sys.modules)
else:
    print("imported")
""")
    assert result.returncode == 0, result.stderr
    return result.stdout


def test_import_without_sip_module_fails(python_subprocess):
    out = _import_failure(python_subprocess, "import sys\nsys.modules['PyQt5.sip'] = None\n")
    assert out.startswith("ModuleNotFoundError") or out.startswith("ImportError")
    assert "loaded: False" in out


def test_import_with_non_capsule_api_fails(python_subprocess):
    out = _import_failure(python_subprocess, "import PyQt5.QtCore, PyQt5.sip\nPyQt5.sip._C_API = object()\n")
    assert out.startswith("ImportError: PyQt5.sip has no _C_API capsule")
    assert "loaded: False" in out


def test_import_with_sip_that_is_not_a_module_fails(python_subprocess):
    out = _import_failure(python_subprocess, """
import sys, PyQt5.QtCore
real = sys.modules['PyQt5.sip']
class Proxy:
    def __getattr__(self, name):
        return getattr(real, name)
sys.modules['PyQt5.sip'] = Proxy()
""")
    assert out.startswith("ImportError: PyQt5.sip has no _C_API capsule")
    assert "loaded: False" in out


def test_import_with_misnamed_capsule_keeps_capsule_error(python_subprocess):
    out = _import_failure(python_subprocess, """
import ctypes, PyQt5.QtCore, PyQt5.sip
new = ctypes.pythonapi.PyCapsule_New
new.restype = ctypes.py_object
new.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_void_p]
PyQt5.sip._C_API = new(1, b"other.name", None)
""")
    assert out.startswith("ValueError") and "incorrect name" in out


def test_import_before_qtcore_fails_with_import_error(python_subprocess):
    out = _import_failure(python_subprocess, "import PyQt5.sip\n")
    assert out.startswith("ImportError") and "PyQt5.QtCore" in out
    assert "loaded: False" in out


def test_import_after_qtcore_succeeds(python_subprocess):
    out = _import_failure(python_subprocess, "import PyQt5.QtCore\n")
    assert out == "imported\n"
