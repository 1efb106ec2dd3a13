"""Qt's virtual calls on a pytorvane view reach the Python subclass, or Qt's own code."""
import pytest
from PyQt5.QtCore import QEvent, QItemSelection, QItemSelectionModel, QModelIndex, QPoint, QRect, QSize, Qt
from PyQt5.QtGui import QKeyEvent, QMouseEvent, QPaintEvent, QResizeEvent, QShowEvent
from PyQt5.QtTest import QTest
from PyQt5.QtWidgets import QAbstractItemView, QApplication, QVBoxLayout, QWidget

import pytorvane
from viewhelpers import ROW, RowView, model_with_rows, row_point, shown

CUSTOM = QEvent.Type(QEvent.registerEventType())
OTHER = QEvent.Type(QEvent.registerEventType())


def test_event_handlers_receive_typed_events(qtbot):
    seen = []

    class View(RowView):
        def paintEvent(self, event):
            seen.append(("paint", type(event)))

        def resizeEvent(self, event):
            seen.append(("resize", type(event), event.size()))
            super().resizeEvent(event)

        def showEvent(self, event):
            seen.append(("show", type(event)))

        def keyPressEvent(self, event):
            seen.append(("key", type(event), event.key()))

        def mousePressEvent(self, event):
            seen.append(("mouse", type(event), event.pos()))

    view = shown(qtbot, View(), model_with_rows(3), size=(220, 160))
    view.viewport().repaint()
    QTest.keyClick(view, Qt.Key_Down)
    QTest.mouseClick(view.viewport(), Qt.LeftButton, Qt.NoModifier, QPoint(7, 9))

    kinds = {entry[0]: entry for entry in seen}
    assert kinds["show"][1] is QShowEvent
    # A scroll area's resizeEvent reports its viewport's size.
    assert ("resize", QResizeEvent, view.viewport().size()) in seen
    assert kinds["paint"][1] is QPaintEvent
    assert kinds["key"][1:] == (QKeyEvent, Qt.Key_Down)
    assert kinds["mouse"][1:] == (QMouseEvent, QPoint(7, 9))


def test_without_reimplementations_qt_behaviour_stays(qtbot):
    model = model_with_rows(4)
    view = shown(qtbot, RowView(), model)
    view.setCurrentIndex(model.index(0, 0))
    # Qt's keyPressEvent asks the Python moveCursor; Qt's mousePressEvent selects through
    # the Python indexAt and setSelection.
    QTest.keyClick(view, Qt.Key_Down)
    assert view.currentIndex().row() == 1
    assert any(name == "moveCursor" and isinstance(args[0], int) for name, args in view.calls)
    QTest.mouseClick(view.viewport(), Qt.LeftButton, Qt.NoModifier, row_point(2))
    assert view.currentIndex().row() == 2
    assert [i.row() for i in view.selectionModel().selectedIndexes()] == [2]
    assert "setSelection" in view.names() and "visualRegionForSelection" in view.names()
    assert not view.grab().isNull()


def test_bool_results_reach_qt(qtbot):
    other = QEvent.Type(QEvent.registerEventType())

    class View(RowView):
        def event(self, event):
            if event.type() in (CUSTOM, other):
                return event.type() == CUSTOM
            return super().event(event)

    view = View()
    assert QApplication.sendEvent(view, QEvent(CUSTOM)) is True
    assert QApplication.sendEvent(view, QEvent(other)) is False


def test_custom_event_and_child_event(qtbot):
    seen = []

    class View(RowView):
        def customEvent(self, event):
            seen.append(("custom", type(event), event.type()))

        def childEvent(self, event):
            seen.append(("child", event.type()))

    view = View()
    QApplication.sendEvent(view, QEvent(CUSTOM))
    child = QWidget(view)
    assert ("custom", QEvent, CUSTOM) in seen
    assert ("child", QEvent.ChildAdded) in seen
    child.deleteLater()


def test_size_hint_through_a_layout(qtbot):
    class View(RowView):
        def sizeHint(self):
            return QSize(321, 77)

        def minimumSizeHint(self):
            return QSize(300, 70)

    holder = QWidget()
    qtbot.addWidget(holder)
    layout = QVBoxLayout(holder)
    layout.setContentsMargins(0, 0, 0, 0)
    layout.addWidget(View())
    assert layout.sizeHint() == QSize(321, 77)
    assert layout.minimumSize() == QSize(300, 70)


def test_visual_rect_answers_the_drop_indicator(qtbot):
    model = model_with_rows(3)
    view = shown(qtbot, RowView(), model)
    view.calls.clear()
    view.setDropIndicator(model.index(2, 0))
    assert [(n, a[0].row()) for n, a in view.calls if n == "visualRect"] == [("visualRect", 2)]
    view.calls.clear()
    view.setDropIndicator(QModelIndex())
    assert "visualRect" not in view.names()


def test_selection_and_current_changes(qtbot):
    seen = []

    class View(RowView):
        def currentChanged(self, current, previous):
            seen.append(("current", type(current), current.row(), previous.row()))
            super().currentChanged(current, previous)

        def selectionChanged(self, selected, deselected):
            seen.append(("selection", type(selected), [i.row() for i in selected.indexes()],
                         [i.row() for i in deselected.indexes()]))

    model = model_with_rows(3)
    view = shown(qtbot, View(), model)
    view.setCurrentIndex(model.index(1, 0))
    view.selectionModel().select(model.index(2, 0), QItemSelectionModel.ClearAndSelect)
    assert ("current", QModelIndex, 1, 0) in seen
    assert ("selection", QItemSelection, [2], [1]) in seen


def test_model_signals(qtbot):
    seen = []

    class View(RowView):
        def dataChanged(self, top_left, bottom_right, roles=()):
            seen.append(("data", top_left.row(), bottom_right.row(), list(roles)))

        def rowsInserted(self, parent, start, end):
            seen.append(("inserted", parent.isValid(), start, end))

        def rowsAboutToBeRemoved(self, parent, start, end):
            seen.append(("removing", start, end))

    model = model_with_rows(3)
    view = View()
    view.setModel(model)
    model.setData(model.index(1, 0), "new", Qt.DisplayRole)
    model.insertRows(1, 2)
    model.removeRows(0, 1)
    assert ("data", 1, 1, [Qt.DisplayRole, Qt.EditRole]) in seen
    assert ("inserted", False, 1, 2) in seen
    assert ("removing", 0, 0) in seen


def abstract_reports(failures, name):
    return sum(1 for _, error, _ in failures
               if isinstance(error, NotImplementedError) and f"{name}() is abstract" in str(error))


def test_pure_virtual_defaults_and_one_report_per_instance(qtbot):
    class Bare(pytorvane.AbstractItemView):
        pass

    model = model_with_rows(3)
    with qtbot.capture_exceptions() as failures:
        view = shown(qtbot, Bare(), model)
        assert view.visualRect(model.index(0, 0)) == QRect()
        assert view.visualRect(model.index(1, 0)).isNull()
        assert not view.indexAt(QPoint(5, 5)).isValid()
        view.scrollTo(model.index(1, 0))
        # Qt's own code reaches the remaining pure virtuals: keys ask moveCursor, a click asks
        # the offsets and setSelection; none changes anything here.
        view.setCurrentIndex(model.index(0, 0))
        QTest.keyClick(view, Qt.Key_Down)
        QTest.mouseClick(view.viewport(), Qt.LeftButton, Qt.NoModifier, QPoint(5, 5))
    assert view.currentIndex().row() == 0
    assert view.selectionModel().selectedIndexes() == []
    for name in ("visualRect", "indexAt", "scrollTo", "moveCursor", "horizontalOffset"):
        assert abstract_reports(failures, name) == 1, name

    with qtbot.capture_exceptions() as failures:
        other = Bare()
        other.visualRect(QModelIndex())
        other.visualRect(QModelIndex())
    assert abstract_reports(failures, "visualRect") == 1


def test_missing_method_is_cached_per_instance(qtbot):
    seen = []

    class View(RowView):
        pass

    first = View()
    QApplication.sendEvent(first, QEvent(CUSTOM))  # no customEvent: remembered for this view
    View.customEvent = lambda self, event: seen.append(self)
    QApplication.sendEvent(first, QEvent(CUSTOM))
    assert seen == []
    second = View()
    QApplication.sendEvent(second, QEvent(CUSTOM))
    assert seen == [second]
    del View.customEvent


def test_unrouted_virtuals_stay_qt(qtbot):
    seen = []

    class View(RowView):
        def doItemsLayout(self):
            seen.append("doItemsLayout")

        def redirected(self, offset):
            seen.append("redirected")

    model = model_with_rows(3)
    view = shown(qtbot, View(), model)
    model.appendRow(model_with_rows(1).takeRow(0))  # schedules Qt's delayed item layout
    qtbot.wait(30)
    view.grab()  # painting asks the device for a redirection
    assert seen == []


def layout_hints(view):
    holder = QWidget()
    layout = QVBoxLayout(holder)
    layout.setContentsMargins(0, 0, 0, 0)
    layout.addWidget(view)
    hints = layout.sizeHint(), layout.minimumSize()
    view.setParent(None)
    return hints


def test_failures_are_reported_and_qt_gets_the_default(qtbot):
    class Invalid(RowView):
        def sizeHint(self):
            return QSize()

        def minimumSizeHint(self):
            return QSize()

    class View(RowView):
        def sizeHint(self):
            return "not a size"

        def minimumSizeHint(self):
            raise ValueError("broken hint")

        def customEvent(self, event):
            return 42  # a procedure must return None

        def event(self, event):
            if event.type() == CUSTOM:
                return None  # not a bool
            return super().event(event)

    expected = layout_hints(Invalid())
    view = View()
    with qtbot.capture_exceptions() as failures:
        hints = layout_hints(view)
        QApplication.sendEvent(view, QEvent(CUSTOM))
        QApplication.sendEvent(view, QEvent(OTHER))
    assert hints == expected
    errors = [failure[1] for failure in failures]
    assert any(isinstance(e, ValueError) and "broken hint" in str(e) for e in errors)
    assert any(isinstance(e, TypeError) and "sizeHint" in str(e) for e in errors)
    assert any(isinstance(e, TypeError) and "customEvent" in str(e) for e in errors)
    assert any(isinstance(e, TypeError) and ".event()" in str(e) for e in errors)


def test_more_handler_kinds_reach_python(qtbot):
    seen = {}

    def note(name, *args):
        seen.setdefault(name, []).append(args)

    class Recording(RowView):
        def focusInEvent(self, event):
            note("focusIn", type(event).__name__, event.reason())
            super().focusInEvent(event)

        def hideEvent(self, event):
            note("hide", type(event).__name__)

        def moveEvent(self, event):
            note("move", event.pos())

        def wheelEvent(self, event):
            note("wheel", type(event).__name__)

        def viewportEvent(self, event):
            if event.type() == QEvent.User:
                note("viewport", type(event).__name__)
                return True
            return super().viewportEvent(event)

        def scrollContentsBy(self, dx, dy):
            note("scroll", dx, dy)
            super().scrollContentsBy(dx, dy)

        def setModel(self, model):
            note("setModel", type(model).__name__)
            super().setModel(model)

        def keyboardSearch(self, text):
            note("search", text)

        def selectionCommand(self, index, event=None):
            note("selectionCommand", type(index).__name__, event)
            return QItemSelectionModel.NoUpdate

        def timerEvent(self, event):
            note("timer", type(event).__name__)
            super().timerEvent(event)

        def connectNotify(self, signal):
            note("connect", bytes(signal.methodSignature()))

    model = model_with_rows(3)
    view = Recording()
    view.setModel(model)
    shown(qtbot, view)
    view.move(view.pos() + QPoint(3, 3))
    QTest.keyClicks(view, "r")
    QApplication.sendEvent(view.viewport(), QEvent(QEvent.User))
    view.verticalScrollBar().setRange(0, 100)
    view.verticalScrollBar().setValue(10)
    view.setCurrentIndex(model.index(1, 0))
    view.clicked.connect(lambda index: None)
    view.startAutoScroll(QPoint(1, 1))
    qtbot.waitUntil(lambda: "timer" in seen)
    view.stopAutoScroll()
    view.hide()

    assert seen["setModel"] == [("QStandardItemModel",)]
    assert {name for name, _ in seen["focusIn"]} == {"QFocusEvent"}
    assert "move" in seen and seen["hide"] == [("QHideEvent",)]
    assert seen["search"] == [("r",)]
    assert seen["viewport"] == [("QEvent",)]
    assert ("scroll", 0, -10) == ("scroll",) + seen["scroll"][-1]
    assert ("QModelIndex", None) in seen["selectionCommand"]
    assert ("QTimerEvent",) in seen["timer"]
    assert (b"clicked(QModelIndex)",) in seen["connect"]
    # The Python selectionCommand said no update: the current row changed, the selection not.
    assert view.selectionModel().selectedIndexes() == []
