"""AbstractItemView's own methods: Qt's protected members, called from Python."""
import os

import pytest
from PyQt5 import sip
from PyQt5.QtCore import (QByteArray, QEvent, QItemSelection, QItemSelectionModel, QMargins, QMimeData,
                          QModelIndex, QObject, QPoint, QPointF, QRect, QSize, Qt, pyqtSignal, pyqtSlot)
from PyQt5.QtGui import QDragMoveEvent, QImage, QKeyEvent, QPaintDevice, QPainter, QRegion, QWheelEvent
from PyQt5.QtTest import QTest
from PyQt5.QtWidgets import QAbstractItemView, QApplication, QStyleOptionViewItem

import pytorvane
from viewhelpers import ROW, RowView, model_with_rows, row_point, shown

View = pytorvane.AbstractItemView
HERE = os.path.dirname(__file__)

PROTECTED_VIRTUALS = """actionEvent changeEvent childEvent closeEditor closeEvent commitData connectNotify
contextMenuEvent currentChanged customEvent dataChanged disconnectNotify dragEnterEvent dragLeaveEvent
dragMoveEvent dropEvent edit editorDestroyed enterEvent event eventFilter focusInEvent focusNextPrevChild
focusOutEvent hideEvent horizontalScrollbarAction horizontalScrollbarValueChanged initPainter
inputMethodEvent keyPressEvent keyReleaseEvent leaveEvent metric mouseDoubleClickEvent mouseMoveEvent
mousePressEvent mouseReleaseEvent moveEvent nativeEvent paintEvent resizeEvent rowsAboutToBeRemoved
rowsInserted scrollContentsBy selectedIndexes selectionChanged selectionCommand sharedPainter showEvent
startDrag tabletEvent timerEvent updateEditorData updateEditorGeometries updateGeometries
verticalScrollbarAction verticalScrollbarValueChanged viewOptions viewportEvent viewportSizeHint
wheelEvent""".split()
OTHERS = """create destroy dirtyRegionOffset drawFrame dropIndicatorPosition executeDelayedItemsLayout
focusNextChild focusPreviousChild horizontalOffset initStyleOption isIndexHidden isSignalConnected moveCursor
receivers scheduleDelayedItemsLayout scrollDirtyRegion sender senderSignalIndex setDirtyRegion
setDropIndicator setSelection setState setViewportMargins startAutoScroll state stopAutoScroll
updateMicroFocus verticalOffset viewportMargins visualRegionForSelection""".split()


def test_the_method_surface():
    own = [name for name in vars(View) if not name.startswith("__")]
    assert sorted(own) == sorted(PROTECTED_VIRTUALS + OTHERS) and len(own) == 91
    assert all(getattr(View, name).__doc__ is None for name in own)
    # Inherited public members stay PyQt5's.
    assert "visualRect" not in vars(View) and "setModel" not in vars(View)


def test_keywords_only_where_named(qapp):
    model = model_with_rows(2)
    view = RowView()
    view.setModel(model)
    index = model.index(0, 0)
    view.dataChanged(index, index, roles=[Qt.DisplayRole])
    view.selectionCommand(index, event=None)
    view.destroy(destroySubWindows=False)
    view.create(initializeWindow=False)
    with pytest.raises(TypeError, match="paintEvent"):
        view.paintEvent(event=None)
    with pytest.raises(TypeError, match="setState"):
        view.setState(state=QAbstractItemView.NoState)
    with pytest.raises(TypeError, match="dataChanged"):
        view.dataChanged(topLeft=index, bottomRight=index)
    with pytest.raises(TypeError, match="create"):
        view.create(window=0, parent=None)
    with pytest.raises(TypeError, match="destroy"):
        view.destroy(True, True, True)


def test_base_calls_run_qt_once_and_do_not_reenter(qtbot):
    calls = []

    class Counting(RowView):
        def keyPressEvent(self, event):
            calls.append("key")
            super().keyPressEvent(event)

        def mousePressEvent(self, event):
            calls.append("mouse")
            View.mousePressEvent(self, event)  # through the class

        def event(self, event):
            if event.type() == QEvent.User:
                calls.append("event")
            return super().event(event)

        def customEvent(self, event):
            calls.append("custom")
            super().customEvent(event)

    model = model_with_rows(4)
    view = shown(qtbot, Counting(), model)
    view.setCurrentIndex(model.index(0, 0))
    QTest.keyClick(view, Qt.Key_Down)
    assert calls.count("key") == 1 and view.currentIndex().row() == 1  # QAbstractItemView's
    QTest.mouseClick(view.viewport(), Qt.LeftButton, Qt.NoModifier, row_point(3))
    assert calls.count("mouse") == 1 and view.currentIndex().row() == 3
    QApplication.sendEvent(view, QEvent(QEvent.User))
    assert calls.count("event") == 1 and calls.count("custom") == 1


def test_each_base_call_reaches_its_class(qtbot):
    model = model_with_rows(100)
    view = shown(qtbot, RowView(), model)
    # QWidget's keyReleaseEvent ignores the event.
    release = QKeyEvent(QEvent.KeyRelease, Qt.Key_A, Qt.NoModifier)
    release.accept()
    view.keyReleaseEvent(release)
    assert not release.isAccepted()
    # QAbstractScrollArea's wheelEvent moves the scroll bar.
    bar = view.verticalScrollBar()
    bar.setRange(0, 1000)
    bar.setValue(500)
    wheel = QWheelEvent(QPointF(5, 5), QPointF(5, 5), QPoint(0, 0), QPoint(0, -120), Qt.NoButton,
                        Qt.NoModifier, Qt.NoScrollPhase, False)
    View.wheelEvent(view, wheel)
    assert bar.value() > 500
    # QAbstractScrollArea's scrollContentsBy scrolls the viewport; QAbstractItemView's
    # scroll-bar slots follow their own orientation.
    view.scrollContentsBy(0, 0)
    view.horizontalScrollbarAction(1)
    view.verticalScrollbarValueChanged(bar.value())
    # QAbstractItemView's viewportEvent, event, focusNextPrevChild answer bools.
    assert view.viewportEvent(QEvent(QEvent.User)) is False
    assert isinstance(view.event(QEvent(QEvent.User)), bool)
    assert isinstance(view.focusNextPrevChild(True), bool)
    assert view.metric(QPaintDevice.PdmWidth) == view.width()
    assert isinstance(view.viewOptions(), QStyleOptionViewItem)
    assert isinstance(view.viewportSizeHint(), QSize)


def test_edit_overloads(qtbot):
    model = model_with_rows(2)
    view = shown(qtbot, RowView(), model)
    assert view.edit(model.index(0, 0)) is None
    qtbot.waitUntil(lambda: view.state() == QAbstractItemView.EditingState)
    view.setState(QAbstractItemView.NoState)
    result = view.edit(model.index(1, 0), QAbstractItemView.AllEditTriggers, None)
    assert isinstance(result, bool)
    with pytest.raises(TypeError) as error:
        view.edit(model.index(0, 0), QAbstractItemView.AllEditTriggers)
    text = str(error.value)
    assert "AbstractItemView.edit" in text and "overload 1" in text and "overload 2" in text


def test_selection_command_and_data_changed_forms(qtbot):
    seen = []

    class Recording(RowView):
        def dataChanged(self, top_left, bottom_right, roles=()):
            seen.append(list(roles))

    model = model_with_rows(3)
    view = shown(qtbot, Recording(), model)
    index = model.index(1, 0)
    flags = [view.selectionCommand(index), view.selectionCommand(index, None),
             view.selectionCommand(index, event=None)]
    assert all(isinstance(f, QItemSelectionModel.SelectionFlags) for f in flags)
    assert len({int(f) for f in flags}) == 1
    # Called on the view, the base implementation runs (not the Python one above).
    View.dataChanged(view, index, index)
    View.dataChanged(view, index, index, [Qt.DisplayRole])
    View.dataChanged(view, index, index, roles=[Qt.EditRole])
    assert seen == []
    with pytest.raises(TypeError, match="dataChanged"):
        View.dataChanged(view, index, bottomRight=index)


def test_native_event_tuple(qapp):
    view = RowView()
    result = view.nativeEvent(QByteArray(b"xcb_generic_event_t"), sip.voidptr(0))
    assert result == (False, 0)
    assert view.nativeEvent(b"windows_generic_MSG", sip.voidptr(0)) == (False, 0)


def test_pure_virtuals_through_the_class_and_bound(qtbot):
    class Bare(View):
        pass

    model = model_with_rows(3)
    with qtbot.capture_exceptions():
        bare = Bare()
        bare.setModel(model)
        assert bare.horizontalOffset() == 0 and bare.verticalOffset() == 0
        assert bare.isIndexHidden(model.index(0, 0)) is False
        assert not bare.moveCursor(QAbstractItemView.MoveDown, Qt.NoModifier).isValid()
        assert bare.visualRegionForSelection(QItemSelection()).isEmpty()
        assert bare.setSelection(QRect(0, 0, 5, 5), QItemSelectionModel.Select) is None
    for name, args in [("horizontalOffset", ()), ("verticalOffset", ()),
                       ("isIndexHidden", (model.index(0, 0),)),
                       ("moveCursor", (QAbstractItemView.MoveDown, Qt.NoModifier)),
                       ("visualRegionForSelection", (QItemSelection(),)),
                       ("setSelection", (QRect(), QItemSelectionModel.Select))]:
        with pytest.raises(TypeError, match=f"{name}.*abstract"):
            getattr(View, name)(bare, *args)

    view = RowView()
    view.setModel(model)
    view.setCurrentIndex(model.index(0, 0))
    assert view.moveCursor(QAbstractItemView.MoveDown, Qt.NoModifier).row() == 1
    assert ("moveCursor", (QAbstractItemView.MoveDown, Qt.NoModifier)) in view.calls
    region = view.visualRegionForSelection(QItemSelection(model.index(1, 0), model.index(1, 0)))
    assert isinstance(region, QRegion) and not region.isEmpty()


def test_selected_indexes_honour_python_is_index_hidden(qtbot):
    class Hiding(RowView):
        def isIndexHidden(self, index):
            return index.row() == 1

    model = model_with_rows(3)
    view = shown(qtbot, Hiding(), model)
    view.selectAll()
    rows = view.selectedIndexes()
    assert sorted(i.row() for i in rows) == [0, 2]
    rows.clear()
    assert len(view.selectedIndexes()) == 2


class Emitter(QObject):
    fired = pyqtSignal()


def test_sender_inside_a_slot_and_outside(qapp):
    seen = []

    class Listening(RowView):
        @pyqtSlot()
        def on_fired(self):
            seen.append((self.sender(), self.senderSignalIndex()))

        def plain_callable(self):
            seen.append((self.sender(), None))

    emitter = Emitter()
    view = Listening()
    emitter.fired.connect(view.on_fired)
    emitter.fired.connect(view.plain_callable)
    emitter.fired.emit()
    assert seen[0][0] is emitter and seen[0][1] == emitter.metaObject().indexOfSignal("fired()")
    assert seen[1][0] is emitter  # the binding's proxy slot: Qt gives null, the binding knows
    assert view.sender() is None and view.senderSignalIndex() == -1
    assert view.sender() is None


def test_receivers_and_is_signal_connected(qapp):
    view = RowView()
    meta = view.metaObject()
    pressed = meta.method(meta.indexOfSignal("pressed(QModelIndex)"))
    assert view.receivers(view.pressed) == 0 and view.isSignalConnected(pressed) is False
    slots = [lambda index: None, lambda index: None]
    for slot in slots:
        view.pressed.connect(slot)
    assert view.receivers(view.pressed) == 2 and view.isSignalConnected(pressed) is True
    view.pressed.disconnect(slots[0])
    assert view.receivers(view.pressed) == 1
    view.pressed.disconnect()
    assert view.receivers(view.pressed) == 0 and not view.isSignalConnected(pressed)
    with pytest.raises(TypeError, match="receivers"):
        view.receivers(42)
    other = Emitter()
    other.fired.connect(lambda: None)
    with pytest.raises(ValueError):  # the Qt binding's own error
        view.receivers(other.fired)


def test_create_and_destroy_keywords(qtbot):
    view = shown(qtbot, RowView(), model_with_rows(1))
    view.destroy(destroySubWindows=False)
    assert not view.testAttribute(Qt.WA_WState_Created)
    view.create(initializeWindow=False)
    assert view.testAttribute(Qt.WA_WState_Created)
    view.destroy()
    view.create()
    assert view.testAttribute(Qt.WA_WState_Created)


def test_viewport_margins_overloads(qapp):
    view = RowView()
    view.setViewportMargins(1, 2, 3, 4)
    first = view.viewportMargins()
    view.setViewportMargins(QMargins(0, 0, 0, 0))
    view.setViewportMargins(QMargins(1, 2, 3, 4))
    assert first == view.viewportMargins() == QMargins(1, 2, 3, 4)
    for bad in [(None,), (1, 2, 3)]:
        with pytest.raises(TypeError) as error:
            view.setViewportMargins(*bad)
        assert "overload 1" in str(error.value) and "overload 2" in str(error.value)


def test_state_and_drop_indicator_position(qtbot):
    model = model_with_rows(3)
    view = shown(qtbot, RowView(), model)
    assert view.state() == QAbstractItemView.NoState
    view.setState(QAbstractItemView.DragSelectingState)
    assert view.state() == QAbstractItemView.DragSelectingState
    assert isinstance(view.state(), QAbstractItemView.State)
    view.setState(QAbstractItemView.NoState)

    view.setDragDropMode(QAbstractItemView.DragDrop)
    view.setDropIndicatorShown(True)
    mime = model.mimeData([model.index(0, 0)])
    move = QDragMoveEvent(QPoint(10, ROW + 1), Qt.CopyAction, mime, Qt.LeftButton, Qt.NoModifier)
    view.dragMoveEvent(move)
    assert view.dropIndicatorPosition() == QAbstractItemView.AboveItem
    view.setDropIndicator(model.index(2, 0))
    assert view.dropIndicatorPosition() == QAbstractItemView.OnItem


def test_dirty_region_and_layout_members(qtbot):
    view = shown(qtbot, RowView(), model_with_rows(3))
    assert isinstance(view.dirtyRegionOffset(), QPoint)
    view.setDirtyRegion(QRegion(0, 0, 10, 10))
    view.scrollDirtyRegion(1, 1)
    view.scheduleDelayedItemsLayout()
    view.executeDelayedItemsLayout()
    view.updateMicroFocus()
    assert isinstance(view.focusNextChild(), bool) and isinstance(view.focusPreviousChild(), bool)
    with pytest.raises(TypeError):
        view.setDirtyRegion(None)


REFUSING_NONE = """changeEvent closeEvent contextMenuEvent dragEnterEvent dragMoveEvent dropEvent event
initPainter inputMethodEvent keyPressEvent keyReleaseEvent mouseDoubleClickEvent mouseMoveEvent
mousePressEvent mouseReleaseEvent tabletEvent timerEvent viewportEvent wheelEvent drawFrame
focusInEvent""".split()


def test_painter_that_has_not_begun_is_refused(qtbot):
    view = shown(qtbot, RowView(), model_with_rows(1))
    with pytest.raises(ValueError, match="not active"):
        view.initPainter(QPainter())
    image = QImage(4, 4, QImage.Format_ARGB32)
    painter = QPainter(image)
    view.initPainter(painter)
    painter.end()


def test_none_refused_where_qt_would_dereference_it(python_subprocess):
    result = python_subprocess("""
        import sys
        sys.path.insert(0, %r)
        from PyQt5.QtCore import QObject
        from PyQt5.QtWidgets import QApplication
        app = QApplication([])
        from viewhelpers import RowView, model_with_rows
        view = RowView()
        view.setModel(model_with_rows(2))
        for name in %r:
            try:
                getattr(view, name)(None)
            except TypeError as error:
                print(name, "refused", flush=True)
        try:
            view.eventFilter(QObject(), None)
        except TypeError:
            print("eventFilter refused", flush=True)
        # Other pointers keep accepting None.
        view.paintEvent(None)
        view.customEvent(None)
        view.commitData(None)
        view.eventFilter(None, __import__("PyQt5.QtCore").QtCore.QEvent(1000))
        print("done")
    """ % (HERE, REFUSING_NONE), env={"QT_QPA_PLATFORM": "offscreen"})
    assert result.returncode == 0, result.stderr
    lines = result.stdout.split()
    for name in REFUSING_NONE + ["eventFilter"]:
        assert f"{name} refused" in result.stdout, name
    assert result.stdout.strip().endswith("done")
