import pytest
from PyQt5 import sip
from PyQt5.QtCore import QAbstractTableModel, Qt
from PyQt5.QtGui import QStandardItemModel
from pytorvane import HeaderIndex, get_user_value, set_user_value


class RefusingModel(QAbstractTableModel):
    def rowCount(self, parent=None):
        return 1

    def columnCount(self, parent=None):
        return 1

    def data(self, index, role):
        return None

    def headerData(self, section, orientation, role):
        return "h%d" % section if role == Qt.DisplayRole else None

    def setHeaderData(self, section, orientation, value, role):
        return False


def test_reads_and_writes_model_header_data():
    model = QStandardItemModel(2, 4)
    header = HeaderIndex(model, Qt.Horizontal, 2)
    assert header.setData("label", Qt.DisplayRole) is None
    assert header.data(0) == "label"
    assert model.headerData(2, Qt.Horizontal) == "label"
    header.setData([1, 2])  # role 257 by default
    assert model.headerData(2, Qt.Horizontal, Qt.UserRole + 1) == [1, 2]
    assert header.data() == [1, 2]
    rows = HeaderIndex(model, Qt.Vertical, 1)
    rows.setData("row", 0)
    assert model.headerData(1, Qt.Vertical) == "row"


def test_copy_names_the_same_section():
    model = QStandardItemModel(1, 3)
    copy = HeaderIndex(HeaderIndex(model, Qt.Horizontal, 1))
    copy.setData("c", 0)
    assert model.headerData(1, Qt.Horizontal) == "c"


def test_methods_called_through_the_class():
    model = QStandardItemModel(1, 3)
    header = HeaderIndex(model, Qt.Horizontal, 0)
    HeaderIndex.setData(header, "x", 0)
    assert HeaderIndex.data(header, 0) == "x"
    with pytest.raises(TypeError, match="HeaderIndex.data"):
        HeaderIndex.data(model, 0)
    with pytest.raises(TypeError):
        HeaderIndex(model, Qt.Horizontal)
    with pytest.raises(TypeError):
        HeaderIndex(None)


def test_refused_write_returns_none():
    model = RefusingModel()
    header = HeaderIndex(model, Qt.Horizontal, 0)
    assert header.setData("ignored", 0) is None
    assert header.data(0) == "h0"
    set_user_value(header, "ignored", 0)
    assert get_user_value(header, 0) == "h0"


@pytest.mark.parametrize("make", ["none", "deleted"])
def test_header_without_live_model(make):
    if make == "none":
        header = HeaderIndex(None, Qt.Horizontal, 0)
    else:
        model = QStandardItemModel(1, 1)
        header = HeaderIndex(model, Qt.Horizontal, 0)
        sip.delete(model)
    assert header.data() is None
    assert get_user_value(header, 300, "d") == "d"
    with pytest.raises(KeyError):
        get_user_value(header, 300)
    with pytest.raises(RuntimeError, match="no model"):
        header.setData("x")
    with pytest.raises(RuntimeError, match="no model"):
        set_user_value(header, "x", 300)
    HeaderIndex(header)  # copies without a model are fine
