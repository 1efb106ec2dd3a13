"""Results of Python reimplementations as Qt receives them through a view, by kind: ints and
bools, class values, flags, pointers, and nativeEvent's pair; and the default on failure."""
import os
import shutil
import subprocess
import sys
import textwrap

import pytest
from PyQt5 import sip
from PyQt5.QtCore import QEvent, QItemSelectionModel, QModelIndex, QSize, Qt
from PyQt5.QtGui import QKeyEvent, QMouseEvent, QPaintDevice, QPainter
from PyQt5.QtTest import QTest
from PyQt5.QtWidgets import (QAbstractItemView, QStyledItemDelegate, QStyleOptionViewItem,
                             QWidget, QWidgetItem)

from viewhelpers import RowView, model_with_rows, row_point, shown

HERE = os.path.dirname(os.path.abspath(__file__))


def test_int_and_bool_results_reach_qt_or_zero(qtbot):
    class View(RowView):
        fail = False

        def metric(self, which):
            if which == QPaintDevice.PdmWidthMM:
                return "wide" if self.fail else 123
            return super().metric(which)

        def hasHeightForWidth(self):
            return None if self.fail else True

        def heightForWidth(self, width):
            if self.fail:
                raise ArithmeticError("no height")
            return width * 2

    # A layout item is empty (no height for width) for a window or a hidden widget.
    holder, view = QWidget(), View()
    qtbot.addWidget(holder)
    view.setParent(holder)
    view.show()
    item = QWidgetItem(view)
    assert view.widthMM() == 123
    assert item.hasHeightForWidth() and item.heightForWidth(50) == 100

    view.fail = True
    with qtbot.capture_exceptions() as caught:
        assert view.widthMM() == 0
        assert not item.hasHeightForWidth()
        assert item.heightForWidth(50) == 0
    assert [type(e[1]) for e in caught] == [TypeError, TypeError, ArithmeticError]


def test_selection_command_flags_reach_qt(qtbot):
    received = []

    class View(RowView):
        answer = QItemSelectionModel.SelectionFlags(QItemSelectionModel.ClearAndSelect)

        def selectionCommand(self, index, event=None):
            received.append((index, event))
            return self.answer

    model = model_with_rows(4)
    view = shown(qtbot, View(), model)
    QTest.mouseClick(view.viewport(), Qt.LeftButton, Qt.NoModifier, row_point(2))
    assert [i.row() for i in view.selectionModel().selectedIndexes()] == [2]
    index, event = received[-1]
    assert index.row() == 2 and isinstance(event, QMouseEvent)

    view.selectionModel().clear()
    view.answer = "select it"  # not flags: Qt gets no flags at all, and nothing is selected
    with qtbot.capture_exceptions() as caught:
        QTest.mouseClick(view.viewport(), Qt.LeftButton, Qt.NoModifier, row_point(3))
    assert caught and view.selectionModel().selectedIndexes() == []
    # Without the reimplementation Qt's own command selects the clicked row.
    plain = shown(qtbot, RowView(), model_with_rows(4))
    QTest.mouseClick(plain.viewport(), Qt.LeftButton, Qt.NoModifier, row_point(3))
    assert [i.row() for i in plain.selectionModel().selectedIndexes()] == [3]


def test_failed_index_results_leave_qt_where_it_was(qtbot):
    class View(RowView):
        broken = False

        def indexAt(self, point):
            return point if self.broken else super().indexAt(point)  # a point is not an index

        def moveCursor(self, action, modifiers):
            if self.broken:
                raise LookupError("nowhere to go")
            return super().moveCursor(action, modifiers)

    model = model_with_rows(4)
    view = shown(qtbot, View(), model)
    view.setCurrentIndex(model.index(1, 0))
    view.broken = True
    with qtbot.capture_exceptions() as caught:
        QTest.mouseClick(view.viewport(), Qt.LeftButton, Qt.NoModifier, row_point(3))
        QTest.keyClick(view, Qt.Key_Down)
    assert view.currentIndex().row() == 1
    assert {type(e[1]) for e in caught} == {TypeError, LookupError}


def test_view_options_reach_the_delegate(qtbot):
    seen = []

    class Delegate(QStyledItemDelegate):
        def sizeHint(self, option, index):
            seen.append(QSize(option.decorationSize))
            return QSize(10, 10)

    class View(RowView):
        fail = False

        def viewOptions(self):
            if self.fail:
                return QSize(1, 1)
            option = QAbstractItemView.viewOptions(self)
            option.decorationSize = QSize(33, 34)
            return option

    view = View()
    delegate = Delegate(view)
    view.setItemDelegate(delegate)
    view.setModel(model_with_rows(2))
    QAbstractItemView.sizeHintForRow(view, 0)
    assert seen[-1] == QSize(33, 34)
    view.fail = True
    with qtbot.capture_exceptions() as caught:
        QAbstractItemView.sizeHintForRow(view, 0)
    assert len(caught) == 1 and seen[-1] == QStyleOptionViewItem().decorationSize


def test_paint_engine_pointer_none_and_failure(qtbot):
    class View(RowView):
        engine_error = None

        def paintEngine(self):
            if self.engine_error:
                raise self.engine_error("no engine")
            return None

    view = View()
    with qtbot.capture_exceptions() as caught:
        assert not QPainter().begin(view)  # a null engine, reported by nobody
    assert caught == []
    view.engine_error = MemoryError
    with qtbot.capture_exceptions() as caught:
        assert not QPainter().begin(view)
    assert len(caught) == 1 and isinstance(caught[0][1], MemoryError)


def test_edit_gets_a_copied_index_a_trigger_and_qts_event(qtbot):
    calls = []

    class View(RowView):
        def edit(self, index, trigger=None, event=None):
            calls.append((index, trigger, event, sip.ispyowned(index)))
            return trigger == QAbstractItemView.AllEditTriggers  # the press must go on to Qt

    model = model_with_rows(3)
    view = shown(qtbot, View(), model)
    view.setCurrentIndex(model.index(1, 0))
    QTest.keyClick(view, Qt.Key_F2)
    index, trigger, event, owned = next(c for c in calls if c[1] == QAbstractItemView.EditKeyPressed)
    assert type(trigger) is QAbstractItemView.EditTrigger and isinstance(event, QKeyEvent)
    assert owned and index.row() == 1

    # The public edit(index) calls the virtual with no event.
    calls.clear()
    QAbstractItemView.edit(view, model.index(2, 0))
    assert calls[0][1] == QAbstractItemView.AllEditTriggers and calls[0][2] is None
    del view, model
    assert index.row() == 1  # Python's copy outlives the call (and the view)


def test_kept_arguments_are_copies(qtbot):
    kept = []

    class View(RowView):
        def currentChanged(self, current, previous):
            kept.append(current)
            super().currentChanged(current, previous)

        def keyboardSearch(self, text):
            kept.append(text)

    model = model_with_rows(3)
    view = shown(qtbot, View(), model)
    view.setCurrentIndex(model.index(2, 0))
    QTest.keyClicks(view, "ro")
    current = [k for k in kept if isinstance(k, QModelIndex)][-1]
    assert current == model.index(2, 0) and sip.ispyowned(current)
    assert "".join(k for k in kept if isinstance(k, str)) == "ro"


NATIVE_EVENT_SCRIPT = """
    import sys
    errors = []
    sys.excepthook = lambda kind, value, tb: errors.append(value)
    from PyQt5.QtCore import QTimer
    from PyQt5.QtWidgets import QApplication
    app = QApplication([])
    from viewhelpers import RowView, model_with_rows

    class View(RowView):
        def __init__(self, answer):
            super().__init__()
            self.answer, self.native, self.painted = answer, [], 0

        def nativeEvent(self, kind, message):
            self.native.append((type(kind).__name__, bytes(kind), type(message).__name__))
            return self.answer

        def paintEvent(self, event):
            self.painted += 1

    bad = View((True, "x"))      # fails to parse: false, so Qt goes on with the event
    swallow = View((True, 0))    # handled: Qt drops its native events
    for view in (bad, swallow):
        view.setModel(model_with_rows(2))
        view.resize(120, 90)
        view.show()
    QTimer.singleShot(1500, app.quit)
    app.exec_()
    print(bad.native[0], len(bad.native) > 0, len(errors) == len(bad.native),
          type(errors[0]).__name__, bad.painted > 0, swallow.painted)
"""


@pytest.mark.skipif(shutil.which("xvfb-run") is None, reason="needs xvfb-run (only xcb calls nativeEvent)")
def test_native_event_pair_under_xcb():
    env = dict(os.environ, QT_QPA_PLATFORM="xcb",
               PYTHONPATH=os.pathsep.join(filter(None, [HERE, os.environ.get("PYTHONPATH")])))
    run = subprocess.run(["xvfb-run", "-a", sys.executable, "-c", textwrap.dedent(NATIVE_EVENT_SCRIPT)],
                         capture_output=True, text=True, env=env, timeout=120)
    assert run.returncode == 0, run.stderr
    assert run.stdout.split("\n")[0] == (
        "('QByteArray', b'xcb_generic_event_t', 'voidptr') True True TypeError True 0")
