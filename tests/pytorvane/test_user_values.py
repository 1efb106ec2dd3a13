import gc
import re

import pytest
from PyQt5 import sip
from PyQt5.QtCore import QModelIndex, QObject, QSortFilterProxyModel, QStringListModel, Qt, QVariant
from PyQt5.QtGui import QStandardItem, QStandardItemModel
from pytorvane import HeaderIndex, NullValue, get_user_value, set_user_value

ROLE = Qt.UserRole + 7


@pytest.fixture
def model():
    m = QStandardItemModel(3, 3)
    for row in range(3):
        for col in range(3):
            m.setItem(row, col, QStandardItem())
    return m


def targets(model):
    """One target of each overload: model index, item, header section."""
    return [model.index(1, 1), model.item(2, 2), HeaderIndex(model, Qt.Horizontal, 1)]


def test_any_object_round_trips_on_every_target(model):
    payload = object()
    for target in targets(model):
        set_user_value(target, payload, ROLE)
        assert get_user_value(target, ROLE) is payload
        set_user_value(target, {"key": [1, 2]}, ROLE)
        assert get_user_value(target, ROLE) == {"key": [1, 2]}
        set_user_value(target, 42, ROLE + 1)
        assert get_user_value(target, ROLE + 1) == 42


def test_absent_role_gives_default_or_key_error(model):
    for target in targets(model):
        with pytest.raises(KeyError) as err:
            get_user_value(target, ROLE)
        assert err.value.args == ("Item doesn't have role %d" % ROLE,)
        sentinel = object()
        assert get_user_value(target, ROLE, sentinel) is sentinel
        assert get_user_value(target, ROLE, None) is None  # a given None is a default


def test_none_clears_or_stores_null_value(model):
    item = model.item(0, 0)
    set_user_value(item, "x", ROLE)
    set_user_value(item, None, ROLE)
    assert not item.data(ROLE + 0) and get_user_value(item, ROLE, "gone") == "gone"

    for target in targets(model):
        set_user_value(target, None, ROLE, True)
        assert get_user_value(target, ROLE) is None
        assert get_user_value(target, ROLE, "unused") is None
    # PyQt5's own reading goes through the registered convertor.
    assert isinstance(model.item(2, 2).data(ROLE), NullValue)
    assert isinstance(model.data(model.index(1, 1), ROLE), NullValue)
    assert isinstance(HeaderIndex(model, Qt.Horizontal, 1).data(ROLE), NullValue)


def test_storing_none_again_changes_nothing(model):
    # Qt compares the stored and the new value to decide whether the item changed.
    item = model.item(0, 0)
    changed = []
    model.itemChanged.connect(changed.append)
    set_user_value(item, 5, ROLE)
    set_user_value(item, None, ROLE, True)
    set_user_value(item, None, ROLE, True)
    item.setData(NullValue(), ROLE)
    assert len(changed) == 2


def test_null_variant_of_a_qt_type_reads_as_none(model):
    item = model.item(0, 0)
    item.setData(QVariant(QVariant.String), ROLE)  # a valid, null string
    assert get_user_value(item, ROLE) is None


def test_null_value_instances_convert_through_the_binding(model):
    item = model.item(0, 0)
    item.setData(NullValue(), ROLE)
    assert get_user_value(item, ROLE) is None
    set_user_value(item, NullValue(), ROLE + 1)
    assert get_user_value(item, ROLE + 1) is None
    assert NullValue() is not NullValue()
    assert type(NullValue(NullValue())) is NullValue
    with pytest.raises(TypeError):
        NullValue(None)


def test_qvariant_argument_is_copied_not_freed(model):
    item = model.item(0, 0)
    for _ in range(50):
        set_user_value(item, QVariant("held"), ROLE)
        gc.collect()
    assert get_user_value(item, ROLE) == "held"


def test_overloads_are_tried_in_order_and_errors_accumulate(model):
    with pytest.raises(TypeError) as err:
        get_user_value(model.index(0, 0))
    assert len(re.findall(r"overload \d", str(err.value))) == 3
    with pytest.raises(TypeError):
        get_user_value(object(), ROLE)
    with pytest.raises(TypeError):
        set_user_value(model.item(0, 0), 1, "role")
    with pytest.raises(TypeError):
        set_user_value(None, 1, ROLE)


def test_unconvertible_value_leaves_target_untouched(model):
    gone = QObject()
    sip.delete(gone)
    for target in targets(model):
        set_user_value(target, "kept", ROLE)
        with pytest.raises(TypeError):
            set_user_value(target, gone, ROLE)
        assert get_user_value(target, ROLE) == "kept"


def test_item_read_is_a_virtual_call(model):
    class Doubling(QStandardItem):
        def data(self, role=Qt.UserRole + 1):
            value = super().data(role)
            return value * 2 if isinstance(value, int) else value

    item = Doubling()
    set_user_value(item, 21, ROLE)
    assert get_user_value(item, ROLE) == 42


def test_model_index_writes_through_its_model(model):
    proxy = QSortFilterProxyModel()
    proxy.setSourceModel(model)
    set_user_value(proxy.index(0, 1), "via proxy", ROLE)
    assert get_user_value(model.index(0, 1), ROLE) == "via proxy"

    strings = QStringListModel(["a"])
    set_user_value(strings.index(0), "b", Qt.EditRole)
    assert strings.stringList() == ["b"]


def test_index_without_model(model):
    with pytest.raises(KeyError):
        get_user_value(QModelIndex(), ROLE)
    assert get_user_value(QModelIndex(), ROLE, 5) == 5
    with pytest.raises(RuntimeError, match="no model"):
        set_user_value(QModelIndex(), 1, ROLE)
