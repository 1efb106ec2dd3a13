"""Every override handler, called directly as a derived class calls it (handlerprobe): what the
Python method receives, what its result becomes, and the default when it fails."""
import sys

import pytest
from PyQt5 import sip
from PyQt5.QtCore import (QAbstractItemModel, QByteArray, QDataStream, QEvent, QItemSelection,
                          QItemSelectionModel, QItemSelectionRange, QMimeData, QModelIndex, QObject,
                          QPoint, QPointF, QRect, QSize, Qt, QChildEvent, QTimerEvent)
from PyQt5.QtGui import (QActionEvent, QCloseEvent, QContextMenuEvent, QDragEnterEvent,
                         QDragLeaveEvent, QDragMoveEvent, QDropEvent, QFocusEvent, QHideEvent,
                         QImage, QInputMethodEvent, QKeyEvent, QMouseEvent, QMoveEvent, QPaintDevice,
                         QPaintEngine, QPainter, QPaintEvent, QRegion, QResizeEvent, QShowEvent,
                         QStandardItem, QStandardItemModel, QTabletEvent, QWheelEvent)
from PyQt5.QtWidgets import (QAbstractItemDelegate, QAbstractItemView, QAction,
                             QStyleOptionViewItem, QWidget)

# Built beside this suite; skipping when it is absent would hide a wrong module path.
import handlerprobe


class Recorder:
    """Stands in for the Python reimplementation: records its arguments, returns or raises."""

    def __init__(self, result=None, raises=None):
        self.result, self.raises, self.calls = result, raises, []

    def __call__(self, *args):
        self.calls.append(args)
        if self.raises:
            raise self.raises("raised by the reimplementation")
        return self.result


@pytest.fixture
def target(qapp):
    return QObject()


@pytest.fixture
def model(qapp):
    m = QStandardItemModel(3, 2)
    m.setItem(1, 1, QStandardItem("cell"))
    return m


def probe(name, target, recorder, *args):
    target.reimplementation = recorder
    return getattr(handlerprobe, name)(target, "reimplementation", *args)


def mime():
    data = QMimeData()
    mime.keep.append(data)
    return data


mime.keep = []


# Procedures: handler, argument format, arguments (made once the model exists).
PROCEDURES = [
    ("overrideVoid_QRect_SelectionFlags", "NN",
     lambda m: [QRect(1, 2, 3, 4), QItemSelectionModel.SelectionFlags(QItemSelectionModel.Select)]),
    ("overrideVoid_QObjectPtr", "D", lambda m: [m]),
    ("overrideVoid_QWidgetPtr", "D", lambda m: [QWidget()]),
    ("overrideVoid_QWidgetPtr_EndEditHint", "DF",
     lambda m: [QWidget(), QAbstractItemDelegate.SubmitModelCache]),
    ("overrideVoid_Int", "i", lambda m: [-7]),
    ("overrideVoid", "", lambda m: []),
    ("overrideVoid_QDataStreamRef", "D", lambda m: [QDataStream()]),
    ("overrideVoid_QModelIndex_QModelIndex", "NN", lambda m: [m.index(1, 1), m.index(0, 1)]),
    ("overrideVoid_QItemSelection_QItemSelection", "NN",
     lambda m: [QItemSelection(m.index(0, 0), m.index(1, 1)), QItemSelection()]),
    ("overrideVoid_QModelIndex_Int_Int", "Nii", lambda m: [m.index(1, 0), 2, 5]),
    ("overrideVoid_QModelIndex_QModelIndex_QVectorInt", "NNN",
     lambda m: [m.index(0, 0), m.index(2, 1), [0, 2]]),
    ("overrideVoid_QModelIndex", "N", lambda m: [m.index(2, 0)]),
    ("overrideVoid_QModelIndex_ScrollHint", "NF",
     lambda m: [m.index(1, 1), QAbstractItemView.PositionAtCenter]),
    ("overrideVoid_QString", "N", lambda m: ["zeichen é"]),
    ("overrideVoid_QItemSelectionModelPtr", "D", lambda m: [QItemSelectionModel(m)]),
    ("overrideVoid_QAbstractItemModelPtr", "D", lambda m: [m]),
    ("overrideVoid_QMetaMethod", "N", lambda m: [QObject.staticMetaObject.method(0)]),
    ("overrideVoid_QEventPtr", "D", lambda m: [QEvent(QEvent.User)]),
    ("overrideVoid_QChildEventPtr", "D", lambda m: [QChildEvent(QEvent.ChildAdded, m)]),
    ("overrideVoid_QTimerEventPtr", "D", lambda m: [QTimerEvent(3)]),
    ("overrideVoid_Bool", "b", lambda m: [True]),
    ("overrideVoid_QMouseEventPtr", "D",
     lambda m: [QMouseEvent(QEvent.MouseButtonPress, QPointF(1, 1), Qt.LeftButton,
                            Qt.LeftButton, Qt.NoModifier)]),
    ("overrideVoid_QWheelEventPtr", "D",
     lambda m: [QWheelEvent(QPointF(1, 1), QPointF(1, 1), QPoint(), QPoint(0, 120), Qt.NoButton,
                            Qt.NoModifier, Qt.NoScrollPhase, False)]),
    ("overrideVoid_QKeyEventPtr", "D", lambda m: [QKeyEvent(QEvent.KeyPress, Qt.Key_A, Qt.NoModifier)]),
    ("overrideVoid_QFocusEventPtr", "D", lambda m: [QFocusEvent(QEvent.FocusIn)]),
    ("overrideVoid_QPaintEventPtr", "D", lambda m: [QPaintEvent(QRect(0, 0, 5, 5))]),
    ("overrideVoid_QMoveEventPtr", "D", lambda m: [QMoveEvent(QPoint(2, 2), QPoint())]),
    ("overrideVoid_QResizeEventPtr", "D", lambda m: [QResizeEvent(QSize(4, 4), QSize())]),
    ("overrideVoid_QCloseEventPtr", "D", lambda m: [QCloseEvent()]),
    ("overrideVoid_QVariant_Int", "Ni", lambda m: [{"k": [1, 2]}, Qt.UserRole]),
    ("overrideVoid_QContextMenuEventPtr", "D",
     lambda m: [QContextMenuEvent(QContextMenuEvent.Mouse, QPoint(1, 1))]),
    ("overrideVoid_QTabletEventPtr", "D",
     lambda m: [QTabletEvent(QEvent.TabletPress, QPointF(1, 1), QPointF(1, 1), QTabletEvent.Stylus,
                             QTabletEvent.Pen, 0.5, 0, 0, 0.0, 0.0, 0, Qt.NoModifier, 1,
                             Qt.LeftButton, Qt.LeftButton)]),
    ("overrideVoid_QActionEventPtr", "D", lambda m: [QActionEvent(QEvent.ActionAdded, QAction("a"))]),
    ("overrideVoid_QDragEnterEventPtr", "D",
     lambda m: [QDragEnterEvent(QPoint(1, 1), Qt.CopyAction, mime(), Qt.LeftButton, Qt.NoModifier)]),
    ("overrideVoid_QDragMoveEventPtr", "D",
     lambda m: [QDragMoveEvent(QPoint(1, 1), Qt.CopyAction, mime(), Qt.LeftButton, Qt.NoModifier)]),
    ("overrideVoid_QDragLeaveEventPtr", "D", lambda m: [QDragLeaveEvent()]),
    ("overrideVoid_QDropEventPtr", "D",
     lambda m: [QDropEvent(QPointF(1, 1), Qt.CopyAction, mime(), Qt.LeftButton, Qt.NoModifier)]),
    ("overrideVoid_QShowEventPtr", "D", lambda m: [QShowEvent()]),
    ("overrideVoid_QHideEventPtr", "D", lambda m: [QHideEvent()]),
    ("overrideVoid_QInputMethodEventPtr", "D", lambda m: [QInputMethodEvent()]),
    ("overrideVoid_QPainterPtr", "D", lambda m: [QPainter()]),
    ("overrideVoid_Int_Int", "ii", lambda m: [3, -4]),
    ("overrideVoid_DropActions", "N", lambda m: [Qt.DropActions(Qt.CopyAction | Qt.LinkAction)]),
]


def same_value(sent, got):
    if isinstance(sent, (QItemSelectionModel.SelectionFlags, Qt.KeyboardModifiers, Qt.DropActions)):
        return type(got) is type(sent) and int(got) == int(sent)
    return type(got) is type(sent) and got == sent


def check_received(fmt, sent, received):
    """Each argument arrives as its format letter says."""
    assert len(received) == len(fmt) == len(sent)
    for letter, s, got in zip(fmt, sent, received):
        if letter == "N":
            assert same_value(s, got), (s, got)
            if isinstance(s, sip.simplewrapper):
                assert got is not s and sip.ispyowned(got)  # a copy that Python owns
        elif letter == "D":
            assert got is s  # the native object itself
        elif letter == "F":
            assert type(got) is type(s) and got == s
        elif letter == "i":
            assert type(got) is int and got == int(s)
        elif letter == "b":
            assert got is bool(s)
        elif letter == "V":
            assert isinstance(got, sip.voidptr) and int(got) == s
        else:
            raise AssertionError(letter)


assert len(PROCEDURES) == 43


@pytest.mark.parametrize("name,fmt,make", PROCEDURES, ids=[p[0] for p in PROCEDURES])
def test_procedure_passes_its_arguments_and_reports_a_result(name, fmt, make, target, model, qtbot):
    args = make(model)
    recorder = Recorder()
    assert probe(name, target, recorder, *args) is None
    check_received(fmt, args, recorder.calls[0])

    # Anything but None from a procedure is a failure, reported like an exception.
    for failing in (Recorder(result=0), Recorder(raises=ValueError)):
        with qtbot.capture_exceptions() as caught:
            assert probe(name, target, failing, *args) is None
        assert len(caught) == 1 and len(failing.calls) == 1
    assert caught[0][0] is ValueError


def invalid_index(r):
    return isinstance(r, QModelIndex) and not r.isValid()


# Functions: handler, argument format, arguments, what Python returns, how the native result
# must look, a wrong-typed result (None: the type accepts anything), how the default looks.
FUNCTIONS = [
    ("overrideBool_QStandardItem", "D", lambda m: [QStandardItem("other")],
     True, lambda r: r is True, "yes", lambda r: r is False),
    ("overrideQModelIndexList", "", lambda m: [],
     lambda m: [m.index(1, 1), m.index(2, 0)], lambda r: [(i.row(), i.column()) for i in r] == [(1, 1), (2, 0)],
     [QRect()], lambda r: r == []),
    ("overrideQRegion_QItemSelection", "N", lambda m: [QItemSelection(m.index(0, 0), m.index(0, 1))],
     QRegion(QRect(0, 0, 4, 4)), lambda r: r == QRegion(QRect(0, 0, 4, 4)),
     QSize(1, 1), lambda r: isinstance(r, QRegion) and r.isEmpty()),
    ("overrideBool_QModelIndex", "N", lambda m: [m.index(1, 1)],
     1, lambda r: r is True, QModelIndex(), lambda r: r is False),
    ("overrideQModelIndex_CursorAction_KeyboardModifiers", "iN",
     lambda m: [QAbstractItemView.MoveDown, Qt.KeyboardModifiers(Qt.ShiftModifier | Qt.AltModifier)],
     lambda m: m.index(1, 1), lambda r: (r.row(), r.column()) == (1, 1),
     QPoint(), invalid_index),
    ("overrideInt_Int", "i", lambda m: [40], 17, lambda r: r == 17, "17", lambda r: r == 0),
    ("overrideQModelIndex_QPoint", "N", lambda m: [QPoint(3, 9)],
     lambda m: m.index(2, 1), lambda r: (r.row(), r.column()) == (2, 1), QRect(), invalid_index),
    ("overrideQRect_QModelIndex", "N", lambda m: [m.index(0, 0)],
     QRect(1, 2, 3, 4), lambda r: r == QRect(1, 2, 3, 4),
     (1, 2, 3, 4), lambda r: isinstance(r, QRect) and r.isNull()),
    ("overrideInt", "", lambda m: [], -3, lambda r: r == -3, 2.5, lambda r: r == 0),
    ("overrideBool_QObjectPtr_QEventPtr", "DD", lambda m: [m, QEvent(QEvent.User)],
     True, lambda r: r is True, [], lambda r: r is False),
    ("overrideBool_QEventPtr", "D", lambda m: [QEvent(QEvent.Timer)],
     True, lambda r: r is True, object(), lambda r: r is False),
    ("overrideInt_PaintDeviceMetric", "F", lambda m: [QPaintDevice.PdmDpiX],
     96, lambda r: r == 96, None, lambda r: r == 0),
    ("overrideQPaintEnginePtr", "", lambda m: [],
     "engine", lambda r: isinstance(r, QPaintEngine), QRect(), lambda r: r is None),
    ("overrideQStandardItemPtr", "", lambda m: [],
     "item", lambda r: isinstance(r, QStandardItem), QRect(), lambda r: r is None),
    ("overrideQSize", "", lambda m: [], QSize(30, 40), lambda r: r == QSize(30, 40),
     None, lambda r: r == QSize(-1, -1)),
    ("overrideQVariant_Int", "i", lambda m: [Qt.DisplayRole],
     ["v", 1], lambda r: r == ["v", 1], None, lambda r: r is None),
    ("overrideQVariant_InputMethodQuery", "F", lambda m: [Qt.ImCursorRectangle],
     QRect(0, 0, 1, 9), lambda r: r == QRect(0, 0, 1, 9), None, lambda r: r is None),
    ("overrideBool_Bool", "b", lambda m: [False], True, lambda r: r is True, None, lambda r: r is False),
    ("overrideBool", "", lambda m: [], True, lambda r: r is True, QSize(), lambda r: r is False),
    ("overrideQPainterPtr", "", lambda m: [],
     "painter", lambda r: isinstance(r, QPainter), QSize(), lambda r: r is None),
    ("overrideQStyleOptionViewItem", "", lambda m: [],
     "option", lambda r: isinstance(r, QStyleOptionViewItem) and r.decorationSize == QSize(9, 8),
     QSize(), lambda r: isinstance(r, QStyleOptionViewItem) and r.decorationSize == QSize(-1, -1)),
    ("overrideSelectionFlags_QModelIndex_QEventPtr", "ND", lambda m: [m.index(1, 0), QEvent(QEvent.User)],
     QItemSelectionModel.SelectionFlags(QItemSelectionModel.Select | QItemSelectionModel.Rows),
     lambda r: int(r) == int(QItemSelectionModel.Select | QItemSelectionModel.Rows),
     "rows", lambda r: isinstance(r, QItemSelectionModel.SelectionFlags) and int(r) == 0),
    ("overrideBool_QModelIndex_EditTrigger_QEventPtr", "NFD",
     lambda m: [m.index(2, 1), QAbstractItemView.DoubleClicked, QEvent(QEvent.MouseButtonDblClick)],
     True, lambda r: r is True, None, lambda r: r is False),
]

assert len(FUNCTIONS) == 23  # and nativeEvent, below


def make_result(wanted, m, keep):
    """Results that need live objects; 'keep' holds what must outlive the call."""
    if callable(wanted):
        return wanted(m)
    if wanted == "engine":
        image = QImage(2, 2, QImage.Format_RGB32)
        keep.append(image)
        return image.paintEngine()
    if wanted == "item":
        return QStandardItem("cloned")
    if wanted == "painter":
        painter = QPainter()
        keep.append(painter)
        return painter
    if wanted == "option":
        option = QStyleOptionViewItem()
        option.decorationSize = QSize(9, 8)
        return option
    return wanted


@pytest.mark.parametrize("name,fmt,make,returned,good,bad,is_default", FUNCTIONS,
                         ids=[f[0] for f in FUNCTIONS])
def test_function_result_or_its_default(name, fmt, make, returned, good, bad, is_default,
                                        target, model, qtbot):
    args, keep = make(model), []
    recorder = Recorder(result=make_result(returned, model, keep))
    assert good(probe(name, target, recorder, *args))
    check_received(fmt, args, recorder.calls[0])

    failing = [Recorder(raises=RuntimeError)]
    if bad is not None:
        failing.append(Recorder(result=bad))
    for failure in failing:
        with qtbot.capture_exceptions() as caught:
            assert is_default(probe(name, target, failure, *args))
        assert len(caught) == 1, failure.result


def test_null_pointers_arrive_as_none(target, model):
    index, edit = model.index(0, 0), Recorder(result=True)
    command = Recorder(result=QItemSelectionModel.SelectionFlags())
    assert probe("overrideBool_QModelIndex_EditTrigger_QEventPtr", target, edit,
                 index, QAbstractItemView.EditKeyPressed, None) is True
    probe("overrideSelectionFlags_QModelIndex_QEventPtr", target, command, index, None)
    assert edit.calls[0][2] is None and command.calls[0][1] is None
    closed = Recorder()
    probe("overrideVoid_QWidgetPtr_EndEditHint", target, closed, None, QAbstractItemDelegate.NoHint)
    assert closed.calls[0][0] is None


def test_copied_arguments_outlive_the_call_and_events_are_qts_own(target, model):
    recorder = Recorder()
    index, selection = model.index(1, 1), QItemSelection(model.index(0, 0), model.index(2, 1))
    probe("overrideVoid_QModelIndex_QModelIndex", target, recorder, index, index)
    probe("overrideVoid_QItemSelection_QItemSelection", target, recorder, selection, selection)
    kept_index, other = recorder.calls[0]
    kept_selection = recorder.calls[1][0]
    assert kept_index is not other  # one copy per argument
    del index, selection
    assert kept_index.data() == "cell" and kept_selection.indexes()[-1].row() == 2

    event = QEvent(QEvent.User)
    probe("overrideVoid_QEventPtr", target, recorder, event)
    assert recorder.calls[2][0] is event


def test_move_cursor_gets_a_plain_int_and_owned_modifiers(target, model):
    recorder = Recorder(result=QModelIndex())
    modifiers = Qt.KeyboardModifiers(Qt.ControlModifier)
    probe("overrideQModelIndex_CursorAction_KeyboardModifiers", target, recorder,
          QAbstractItemView.MovePageUp, modifiers)
    action, got = recorder.calls[0]
    assert type(action) is int and action == int(QAbstractItemView.MovePageUp)
    assert isinstance(got, Qt.KeyboardModifiers) and got is not modifiers and sip.ispyowned(got)


def test_clone_hands_its_item_to_the_caller_and_none_is_no_error(target, qtbot):
    item = QStandardItem("new")
    assert sip.ispyowned(item)
    result = probe("overrideQStandardItemPtr", target, Recorder(result=item))
    assert result is item and not sip.ispyowned(item)
    with qtbot.capture_exceptions() as caught:
        assert probe("overrideQStandardItemPtr", target, Recorder(result=None)) is None
        assert probe("overrideQPaintEnginePtr", target, Recorder(result=None)) is None
        assert probe("overrideQPainterPtr", target, Recorder(result=None)) is None
    assert caught == []

    painter = QPainter()
    assert probe("overrideQPainterPtr", target, Recorder(result=painter)) is painter
    assert sip.ispyowned(painter)  # no transfer for a shared painter


def test_native_event_pair(target, qtbot):
    native = "overrideBool_QByteArray_VoidPtr_LongPtr"
    recorder = Recorder(result=(True, 5))
    assert probe(native, target, recorder, QByteArray(b"xcb_generic_event_t"), 0x1234, 9) == (True, 5)
    check_received("NV", [QByteArray(b"xcb_generic_event_t"), 0x1234], recorder.calls[0])

    assert probe(native, target, Recorder(result=(False, -2)), QByteArray(), 0, 9) == (False, -2)
    # A pair whose second element fails leaves both the result and Qt's out-parameter alone,
    # although the runtime had already parsed the first element.
    for bad in ((True, "x"), True, (True, 5, 6), None):
        with qtbot.capture_exceptions() as caught:
            assert probe(native, target, Recorder(result=bad), QByteArray(), 0, 9) == (False, 9)
        assert len(caught) == 1, bad


def test_the_method_reference_is_given_back(target, qtbot):
    calls = [lambda: handlerprobe.overrideVoid_Int(target, "reimplementation", 1),
             lambda: handlerprobe.overrideQSize(target, "reimplementation"),
             lambda: handlerprobe.overrideBool_QByteArray_VoidPtr_LongPtr(
                 target, "reimplementation", QByteArray(), 0, 0)]
    for recorder in (Recorder(), Recorder(result=QSize(1, 1)), Recorder(raises=KeyError),
                     Recorder(result=(True, 1))):
        target.reimplementation = recorder
        for call in calls:
            before = sys.getrefcount(recorder)
            with qtbot.capture_exceptions() as caught:
                call()
            # Reported tracebacks hold the raising frame, and so the recorder.
            caught.clear()
            sys.last_type = sys.last_value = sys.last_traceback = None
            assert sys.getrefcount(recorder) == before
