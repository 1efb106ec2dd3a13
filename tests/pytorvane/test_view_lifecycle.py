"""Construction, ownership, deletion and casts of pytorvane views."""
import os
import threading

import pytest
from PyQt5 import sip
from PyQt5.QtCore import QCoreApplication, QEvent, QObject, QThread
from PyQt5.QtGui import QPaintDevice, QPainter, QPixmap
from PyQt5.QtWidgets import QAbstractItemView, QWidget

import pytorvane
from viewhelpers import RowView, model_with_rows, shown

HERE = os.path.dirname(__file__)


def test_constructor_arguments(qapp):
    with pytest.raises(TypeError, match="abstract"):
        pytorvane.AbstractItemView()
    with pytest.raises(TypeError):
        RowView(QWidget())
    with pytest.raises(TypeError):
        RowView(None)

    class Tagged:
        def __init__(self, tag=None, **kwargs):
            super().__init__(**kwargs)
            self.tag = tag

    class TaggedView(RowView, Tagged):
        pass

    view = TaggedView(objectName="named", tag="t")
    assert view.objectName() == "named" and view.tag == "t"
    assert view.parent() is None and sip.ispyowned(view)
    assert isinstance(view, QAbstractItemView)
    with pytest.raises(TypeError):
        RowView(noSuchKeyword=1)


def test_python_owned_view_dies_with_its_python_object(qapp):
    destroyed = []
    view = RowView()
    view.destroyed.connect(lambda: destroyed.append(True))
    del view
    assert destroyed == [True]


def test_last_reference_dropped_on_another_thread_defers_deletion(qapp):
    destroyed = []
    holder = [RowView()]
    holder[0].destroyed.connect(lambda: destroyed.append(QThread.currentThread()))
    dropper = threading.Thread(target=holder.clear)
    dropper.start()
    dropper.join()
    assert destroyed == []
    QCoreApplication.sendPostedEvents(None, QEvent.DeferredDelete)
    assert destroyed == [QCoreApplication.instance().thread()]


def test_casts_to_the_paint_device_base(qtbot):
    view = shown(qtbot, RowView(), model_with_rows(2))
    own = sip.unwrapinstance(view)
    assert sip.unwrapinstance(sip.cast(view, QObject)) == own
    assert sip.unwrapinstance(sip.cast(view, QWidget)) == own
    assert sip.unwrapinstance(sip.cast(view, QPaintDevice)) != own
    # Calls through the QPaintDevice base land on the view.
    assert QPaintDevice.width(view) == view.width() and QPaintDevice.depth(view) == view.depth()
    pixmap = QPixmap(view.size())
    view.render(pixmap)
    assert not view.grab().isNull()


def test_paint_device_virtuals_route_to_python(qtbot):
    seen = []

    class View(RowView):
        def metric(self, metric):
            seen.append(metric)
            return super().metric(metric) if metric != QPaintDevice.PdmDepth else 7

    view = View()
    assert QPaintDevice.depth(view) == 7
    assert QPaintDevice.PdmDepth in seen


def test_view_without_its_python_object_takes_qt_paths(python_subprocess):
    result = python_subprocess("""
        import gc, sys
        sys.path.insert(0, %r)
        from PyQt5 import sip
        from PyQt5.QtCore import QEvent, QModelIndex
        from PyQt5.QtWidgets import QApplication, QWidget, QAbstractItemView
        app = QApplication([])
        from viewhelpers import RowView, model_with_rows

        calls = []
        class View(RowView):
            def paintEvent(self, event):
                calls.append("paint")
            def customEvent(self, event):
                calls.append("custom")

        parent = QWidget()
        model = model_with_rows(3)
        view = View()
        view.setModel(model)
        view.setParent(parent)
        sip.transferto(view, None)       # Qt owns it now; nothing keeps the wrapper alive
        del view
        gc.collect()
        parent.resize(200, 200)
        parent.show()
        app.processEvents()
        child = parent.findChild(QAbstractItemView)
        QApplication.sendEvent(child, QEvent(QEvent.User))
        child.viewport().repaint()
        rect = child.visualRect(model.index(0, 0))
        name = child.metaObject().className()
        print(calls, rect.isNull(), child.inherits("QAbstractItemView"))
        del parent
    """ % HERE, env={"QT_QPA_PLATFORM": "offscreen"})
    assert result.returncode == 0, result.stderr
    assert result.stdout.strip().splitlines()[-1] == "[] True True"


def test_background_thread_runs_while_qt_calls_python(python_subprocess):
    # Every routed call gives the interpreter lock back: a Python thread keeps counting
    # while the GUI thread paints, and the process does not deadlock.
    result = python_subprocess("""
        import sys, threading, time
        sys.path.insert(0, %r)
        from PyQt5.QtCore import QThread
        from PyQt5.QtWidgets import QApplication
        app = QApplication([])
        from viewhelpers import RowView, model_with_rows

        class View(RowView):
            painted = 0
            def paintEvent(self, event):
                View.painted += 1

        view = View()
        view.setModel(model_with_rows(5))
        view.show()
        app.processEvents()
        count = [0]
        stop = threading.Event()
        def spin():
            while not stop.is_set():
                count[0] += 1
        worker = threading.Thread(target=spin)
        worker.start()
        for _ in range(50):
            view.viewport().repaint()
        before = count[0]
        QThread.msleep(100)   # Qt waits with the lock released
        after = count[0]
        stop.set()
        worker.join()
        print(View.painted >= 50, after > before)
    """ % HERE, env={"QT_QPA_PLATFORM": "offscreen"})
    assert result.returncode == 0, result.stderr
    assert result.stdout.strip() == "True True"


def test_wrapper_dropped_on_another_thread_during_qt_calls(python_subprocess):
    # C++ calls a reimplemented virtual over and over with the lock released while a Python
    # thread drops the wrapper's last reference: the calls must see the wrapper gone, never
    # use it freed. Debug allocator hooks poison freed memory, so a stale read crashes.
    result = python_subprocess("""
        import threading, time
        from PyQt5 import QtCore, QtWidgets, sip
        import pytorvane, virtualcaller
        app = QtWidgets.QApplication([])

        class View(pytorvane.AbstractItemView):
            def sizeHint(self):
                return QtCore.QSize(1, 2)

        class Item(pytorvane.StandardItem):
            def type(self):
                return 1001

        for _ in range(10):
            for cls, call in ((View, virtualcaller.size_hint), (Item, virtualcaller.type)):
                holder = [cls()]
                sip.transferto(holder[0], None)  # the native object outlives its wrapper
                address = sip.unwrapinstance(holder[0])
                dropper = threading.Thread(target=lambda: (time.sleep(0.002), holder.clear()))
                dropper.start()
                call(address, 100000)
                dropper.join()
        print("clean")
    """, env={"QT_QPA_PLATFORM": "offscreen", "PYTHONMALLOC": "debug"})
    assert result.returncode == 0, result.stderr
    assert result.stdout.strip() == "clean"
