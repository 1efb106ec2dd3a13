"""Signals, slots and properties that a Python view declares exist for Qt."""
import os

from PyQt5.QtCore import QMetaObject, Q_ARG, Qt, pyqtProperty, pyqtSignal, pyqtSlot

from viewhelpers import RowView


class SignalView(RowView):
    pinged = pyqtSignal(int)

    def __init__(self, **kwargs):
        super().__init__(**kwargs)
        self.received = []
        self._level = 3

    @pyqtSlot(int)
    def receive(self, value):
        self.received.append(value)

    def getLevel(self):
        return self._level

    def setLevel(self, value):
        self._level = value

    level = pyqtProperty(int, getLevel, setLevel)


def test_meta_object_names_the_python_class(qapp):
    view = SignalView()
    meta = view.metaObject()
    assert meta.className() == "SignalView"
    chain = []
    while meta is not None:
        chain.append(meta.className())
        meta = meta.superClass()
    assert chain[:2] == ["SignalView", "RowView"]
    assert "QAbstractItemView" in chain and chain[-1] == "QObject"
    assert view.inherits("QAbstractItemView") and view.inherits("QWidget")
    assert view.inherits("SignalView")
    assert not view.inherits("QTableView")
    assert view.metaObject().indexOfSignal("pinged(int)") >= 0
    assert view.metaObject().indexOfSlot("receive(int)") >= 0


def test_emit_direct(qapp):
    view = SignalView()
    view.pinged.connect(view.receive)
    view.pinged.emit(1)
    assert view.received == [1]
    QMetaObject.invokeMethod(view, "receive", Qt.DirectConnection, Q_ARG(int, 5))
    assert view.received == [1, 5]


def test_slots_called_from_the_event_loop(python_subprocess):
    # Qt calls these from the event loop, where no thread holds the interpreter lock.
    result = python_subprocess("""
        import sys
        sys.path.insert(0, %r)
        from PyQt5.QtCore import QMetaObject, Q_ARG, Qt, QTimer
        from PyQt5.QtWidgets import QApplication
        app = QApplication([])
        from test_view_metaobject import SignalView

        sender, receiver = SignalView(), SignalView()
        sender.pinged.connect(receiver.receive, Qt.QueuedConnection)
        sender.pinged.emit(2)
        QMetaObject.invokeMethod(receiver, "receive", Qt.QueuedConnection, Q_ARG(int, 6))
        assert receiver.received == []
        QTimer.singleShot(50, app.quit)
        app.exec_()
        print(receiver.received)
    """ % os.path.dirname(__file__), env={"QT_QPA_PLATFORM": "offscreen"})
    assert result.returncode == 0, result.stderr
    assert result.stdout.strip() == "[2, 6]"


def test_python_property_and_qt_property(qapp):
    view = SignalView()
    assert view.property("level") == 3
    assert view.setProperty("level", 9)
    assert view.level == 9
    # QAbstractItemView's own properties are still served by Qt.
    assert view.setProperty("autoScrollMargin", 31)
    assert view.autoScrollMargin() == 31 and view.property("autoScrollMargin") == 31


def test_qt_signal_of_the_base_reaches_a_python_slot(qtbot):
    view = SignalView()
    hits = []
    view.iconSizeChanged.connect(lambda size: hits.append(size.width()))
    view.setIconSize(view.iconSize() * 2 + view.iconSize())
    assert hits
