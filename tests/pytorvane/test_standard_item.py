import ctypes
import gc
import weakref

import pytest
from PyQt5 import sip
from PyQt5.QtCore import QByteArray, QDataStream, QIODevice, Qt
from PyQt5.QtGui import QStandardItem, QStandardItemModel
from PyQt5.QtWidgets import QLineEdit, QTableView
from PyQt5.QtTest import QTest
from pytorvane import NullValue, StandardItem, get_user_value, set_user_value

EDIT_VALUE = 1111
DEFAULT_ROLE = Qt.UserRole + 1


def filled_item():
    item = StandardItem()
    item.setData("shown", Qt.DisplayRole)
    item.setData("edited", Qt.EditRole)
    item.setData([1, 2], DEFAULT_ROLE)
    item.setData("tip", Qt.ToolTipRole)
    return item


def test_edit_role_is_stored_apart_from_display():
    item = StandardItem()
    item.setData("a", Qt.EditRole)
    assert item.data(EDIT_VALUE) == "a"
    assert item.data(Qt.DisplayRole) is None and item.text() == ""
    item.setData("b", EDIT_VALUE)
    assert item.data(Qt.EditRole) == "b"

    item.setText("shown")
    assert item.data(Qt.EditRole) == "b" and item.data(Qt.DisplayRole) == "shown"
    fresh = StandardItem()
    fresh.setText("only display")
    assert fresh.data(Qt.EditRole) is None


def test_default_role_and_calls_through_the_class():
    item = StandardItem()
    item.setData("user")
    assert item.data() == "user"
    assert QStandardItem.data(item, DEFAULT_ROLE) == "user"
    assert StandardItem.data(item) == "user"
    StandardItem.setData(item, 5, Qt.EditRole)
    assert StandardItem.data(item, Qt.EditRole) == 5 and item.data(EDIT_VALUE) == 5
    # A first argument of another class fails the signature, as does a keyword.
    with pytest.raises(TypeError, match="StandardItem.data"):
        StandardItem.data(QStandardItem())
    for call in (lambda: item.data(role=2), lambda: item.setData(1, role=2),
                 lambda: item.emitDataChanged(now=True)):
        with pytest.raises(TypeError):
            call()
    with pytest.raises(TypeError, match="StandardItem.setData"):
        item.setData(1, "two")


def test_data_is_the_qt_bindings_conversion_not_the_user_value_one():
    item = StandardItem()
    set_user_value(item, None, DEFAULT_ROLE, True)
    assert isinstance(item.data(), NullValue)
    assert item.data(Qt.UserRole + 9) is None  # absent: no KeyError


def test_copy_keeps_every_role_and_is_independent():
    source = filled_item()
    copy = StandardItem(source)
    assert copy.data(Qt.DisplayRole) == "shown"
    assert copy.data(Qt.EditRole) == "edited" and copy.data(EDIT_VALUE) == "edited"
    assert copy.data() == [1, 2]
    assert copy.data(Qt.ToolTipRole) == "tip"
    copy.setData("changed", Qt.EditRole)
    assert source.data(Qt.EditRole) == "edited"


def test_constructor_refusals_and_keywords_for_a_mixin():
    with pytest.raises(TypeError):
        StandardItem(QStandardItem())
    with pytest.raises(TypeError):
        StandardItem(None)
    with pytest.raises(TypeError):
        StandardItem("text")

    class Tagged:
        def __init__(self, tag=None, **kwargs):
            super().__init__(**kwargs)
            self.tag = tag

    class TaggedItem(StandardItem, Tagged):
        pass

    assert TaggedItem(tag="t").tag == "t"
    assert TaggedItem(filled_item(), tag="c").data(Qt.EditRole) == "edited"
    with pytest.raises(TypeError):
        StandardItem(unknown=1)


def test_model_edits_land_in_the_edit_value_role():
    model = QStandardItemModel()
    item = StandardItem()
    item.setText("shown")
    model.appendRow(item)
    index = model.index(0, 0)
    assert model.setData(index, 3.5, Qt.EditRole)
    assert item.data(EDIT_VALUE) == 3.5
    assert model.data(index, Qt.DisplayRole) == "shown"
    assert model.data(index, Qt.EditRole) == 3.5

    # The user-value functions go through the item's virtuals too, on the item and its index.
    set_user_value(item, "via item", Qt.EditRole)
    assert item.data(EDIT_VALUE) == "via item"
    set_user_value(index, "via index", Qt.EditRole)
    assert get_user_value(item, EDIT_VALUE) == "via index"
    assert get_user_value(index, Qt.EditRole) == "via index"
    assert model.data(index, Qt.DisplayRole) == "shown"


def test_line_edit_delegate_edits_the_edit_value(qtbot):
    model = QStandardItemModel()
    item = StandardItem()
    item.setText("displayed")
    item.setData("old", Qt.EditRole)
    model.appendRow(item)
    view = QTableView()
    qtbot.addWidget(view)
    view.setModel(model)
    view.show()
    qtbot.waitExposed(view)

    index = model.index(0, 0)
    view.edit(index)
    editor = view.findChild(QLineEdit)
    assert editor is not None and editor.text() == "old"
    editor.setText("new")
    QTest.keyClick(editor, Qt.Key_Return)  # the delegate commits on a queued call
    qtbot.waitUntil(lambda: item.data(EDIT_VALUE) == "new")
    assert item.text() == "displayed"
    assert model.data(index, Qt.DisplayRole) == "displayed"


class Recording(StandardItem):
    """Records the roles its reimplementations see."""

    def __init__(self, *args):
        super().__init__(*args)
        self.data_roles = []
        self.set_roles = []

    def data(self, role=DEFAULT_ROLE):
        self.data_roles.append(role)
        return super().data(role)

    def setData(self, value, role=DEFAULT_ROLE):
        self.set_roles.append(role)
        StandardItem.setData(self, value, role)


def test_reimplemented_data_and_set_data_see_role_2_unmapped():
    model = QStandardItemModel()
    item = Recording()
    model.appendRow(item)
    index = model.index(0, 0)
    model.setData(index, "v", Qt.EditRole)
    assert item.set_roles == [Qt.EditRole]
    item.data_roles.clear()
    assert model.data(index, Qt.EditRole) == "v"
    # One call only: the base call does not come back into the reimplementation.
    assert item.data_roles == [Qt.EditRole]
    assert get_user_value(item, EDIT_VALUE) == "v"
    assert item.data_roles[-1] == EDIT_VALUE


def test_python_object_lives_with_the_item_in_a_model():
    model = QStandardItemModel()
    item = Recording()
    model.appendRow(item)
    ref = weakref.ref(item)
    del item
    gc.collect()
    assert ref() is not None
    model.data(model.index(0, 0), Qt.EditRole)
    assert ref().data_roles[-1] == Qt.EditRole
    model.removeRow(0)
    gc.collect()
    assert ref() is None


def test_python_object_reports_an_item_its_model_deleted():
    model = QStandardItemModel()
    item = StandardItem()
    model.appendRow(item)
    model.clear()
    with pytest.raises(RuntimeError):
        item.data()


class Ordered(StandardItem):
    def __init__(self, key):
        super().__init__()
        self.key = key
        self.setText(str(key))

    def __lt__(self, other):
        return self.key > other.key  # reversed, so Qt's own ordering would differ


def column_texts(model):
    return [model.item(row).text() for row in range(model.rowCount())]


def test_less_than_runs_in_python_for_model_sort(qtbot):
    model = QStandardItemModel()
    for key in (2, 3, 1):
        model.appendRow(Ordered(key))
    model.sort(0)
    assert column_texts(model) == ["3", "2", "1"]

    class Failing(StandardItem):
        def __lt__(self, other):
            raise ValueError("no order")

    model = QStandardItemModel()
    for text in ("b", "a"):
        item = Failing()
        item.setText(text)
        model.appendRow(item)
    with qtbot.capture_exceptions() as exceptions:
        model.sort(0)
    assert exceptions and all(e[0] is ValueError for e in exceptions)
    assert column_texts(model) == ["b", "a"]  # every comparison counted as false


def test_clone_through_the_item_prototype():
    class Prototype(StandardItem):
        def clone(self):
            made = Prototype()
            made.origin = "clone"
            made.setData("e", Qt.EditRole)
            return made

    model = QStandardItemModel(1, 1)
    model.setItemPrototype(Prototype())
    model.setData(model.index(0, 0), "shown", Qt.DisplayRole)
    gc.collect()
    cloned = model.item(0, 0)
    assert type(cloned) is Prototype and cloned.origin == "clone"
    assert model.data(model.index(0, 0), Qt.EditRole) == "e"
    assert model.data(model.index(0, 0), Qt.DisplayRole) == "shown"
    ref = weakref.ref(cloned)
    del cloned
    gc.collect()
    assert ref() is not None  # the model owns the clone, which keeps its Python object
    model.removeRow(0)
    gc.collect()
    assert ref() is None


def test_clone_returning_none_gives_no_item():
    class NoClone(StandardItem):
        def clone(self):
            return None

    model = QStandardItemModel(1, 1)
    model.setItemPrototype(NoClone())
    assert not model.setData(model.index(0, 0), "x")
    assert model.item(0, 0) is None


def test_clone_without_reimplementation_is_a_plain_item():
    clone = filled_item().clone()
    assert type(clone) is QStandardItem
    assert clone.data(EDIT_VALUE) == "edited"
    assert clone.data(Qt.EditRole) == "shown"  # no mapping any more


def native_type(item):
    """Calls QStandardItem::type() virtually from native code, as Qt would: no Qt function
    does, and PyQt5 calls the base implementation on an item made in Python. Itanium
    vtable: two destructor entries, then data, setData, clone, type."""
    address = sip.unwrapinstance(item)
    vtable = ctypes.cast(address, ctypes.POINTER(ctypes.POINTER(ctypes.c_void_p)))[0]
    return ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)(vtable[5])(address)


def test_type_called_natively(qtbot):
    class Typed(StandardItem):
        def type(self):
            return QStandardItem.UserType + 5

    class Untyped(StandardItem):
        def type(self):
            return "no int"

    assert native_type(StandardItem()) == QStandardItem.Type
    assert native_type(Typed()) == QStandardItem.UserType + 5
    with qtbot.capture_exceptions() as exceptions:
        assert native_type(Untyped()) == 0
    assert len(exceptions) == 1 and exceptions[0][0] is TypeError


def test_item_outliving_its_python_object_takes_the_fallbacks(python_subprocess):
    # The wrapper goes with its owner while the native item lives on: a virtual call
    # must not reach the freed Python object.
    result = python_subprocess("""
        import ctypes, gc
        from PyQt5 import sip
        from PyQt5.QtCore import QObject
        from pytorvane import StandardItem

        def native_type(address):
            vtable = ctypes.cast(address, ctypes.POINTER(ctypes.POINTER(ctypes.c_void_p)))[0]
            return ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)(vtable[5])(address)

        class Typed(StandardItem):
            def type(self):
                return 1005

        owner, item = QObject(), Typed()
        sip.transferto(item, owner)
        address = sip.unwrapinstance(item)
        assert native_type(address) == 1005
        del item, owner
        gc.collect()
        print(native_type(address))
    """)
    assert result.returncode == 0, result.stderr
    assert result.stdout.split() == ["0"]


def test_read_and_write_through_a_data_stream():
    class Streamed(StandardItem):
        def write(self, stream):
            super().write(stream)
            stream.writeQString("extra:" + self.text())

        def read(self, stream):
            super().read(stream)
            self.extra = stream.readQString()

    source = Streamed()
    source.setText("t")
    source.setData("e", Qt.EditRole)
    buffer = QByteArray()
    out = QDataStream(buffer, QIODevice.WriteOnly)
    out << source
    target = Streamed()
    stream = QDataStream(buffer, QIODevice.ReadOnly)
    stream >> target
    assert target.extra == "extra:t"
    assert target.text() == "t" and target.data(Qt.EditRole) == "e"


def test_emit_data_changed():
    StandardItem().emitDataChanged()  # no model: nothing happens
    model = QStandardItemModel()
    item = StandardItem()
    model.appendRow(item)
    changed = []
    model.itemChanged.connect(changed.append)
    item.emitDataChanged()
    assert changed == [item]
