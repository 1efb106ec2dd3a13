"""Shows pytorvane's user values, NullValue, HeaderIndex and the global event filter."""
import sys

from PyQt5.QtCore import Qt, QTimer
from PyQt5.QtTest import QTest
from PyQt5.QtGui import QStandardItem, QStandardItemModel
from PyQt5.QtWidgets import QApplication, QCheckBox, QLineEdit, QPushButton, QVBoxLayout, QWidget

import pytorvane
from pytorvane import HeaderIndex, NullValue, get_user_value, set_user_value

ROLE = Qt.UserRole + 10


class Customer:
    def __init__(self, name):
        self.name = name

    def __repr__(self):
        return "Customer(%r)" % self.name


def user_values():
    model = QStandardItemModel(2, 2)
    model.setItem(0, 0, QStandardItem("Alice"))
    index = model.index(0, 0)

    set_user_value(index, Customer("Alice"), ROLE)
    print("object under a role:     ", get_user_value(index, ROLE))

    set_user_value(index, None, ROLE)
    print("cleared role, default:   ", get_user_value(index, ROLE, "<absent>"))
    try:
        get_user_value(index, ROLE)
    except KeyError as e:
        print("cleared role, no default:", "KeyError", e)

    set_user_value(index, None, ROLE, True)
    print("stored None:             ", get_user_value(index, ROLE),
          "(Qt holds a", type(model.data(index, ROLE)).__name__ + ")")

    header = HeaderIndex(model, Qt.Horizontal, 1)
    header.setData("Balance", Qt.DisplayRole)
    set_user_value(header, {"currency": "EUR"}, ROLE)
    print("header text:             ", model.headerData(1, Qt.Horizontal))
    print("header user value:       ", get_user_value(header, ROLE))
    assert isinstance(NullValue(), NullValue)


def event_filter(app):
    pytorvane.install_global_event_filter()
    window = QWidget()
    layout = QVBoxLayout(window)
    button, box, edit = QPushButton("Save"), QCheckBox("Remember"), QLineEdit("select me")
    for w in (button, box, edit):
        layout.addWidget(w)
    window.show()
    window.activateWindow()
    QTest.qWaitForWindowActive(window)

    button.clicked.connect(lambda: print("Return on the button:    clicked"))
    QTest.keyClick(button, Qt.Key_Return)
    QTest.keyClick(box, Qt.Key_Return)
    print("Return on the check box: checked =", box.isChecked())

    edit.setFocus(Qt.OtherFocusReason)
    print("focus set, same pass:    selected =", repr(edit.selectedText()))
    QTimer.singleShot(0, app.quit)
    app.exec_()
    print("after the loop turned:   selected =", repr(edit.selectedText()))
    window.close()


def main():
    app = QApplication(sys.argv)
    user_values()
    event_filter(app)


if __name__ == "__main__":
    main()
