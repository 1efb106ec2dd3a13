import threading

import pytest
from PyQt5 import sip
from PyQt5.QtCore import Qt
from PyQt5.QtTest import QTest
from PyQt5.QtWidgets import (QCheckBox, QDialog, QLineEdit, QPushButton, QSpinBox, QToolButton,
                             QVBoxLayout, QWidget)
import pytorvane


@pytest.fixture(scope="module", autouse=True)
def installed(qapp):
    # Two filters: a key is still consumed once, a focus schedules two harmless selections.
    pytorvane.install_global_event_filter()
    pytorvane.install_global_event_filter()


def window_with(qtbot, *widgets, window=None):
    window = window or QWidget()
    layout = QVBoxLayout(window)
    for w in widgets:
        layout.addWidget(w)
    qtbot.addWidget(window)
    with qtbot.waitActive(window):
        window.show()
        window.activateWindow()
    return window


class Recording:
    """Counts clicks and the key presses that reach the widget itself."""

    def __init__(self, button):
        self.clicks = 0
        self.keys = []
        button.clicked.connect(self._clicked)
        original = button.keyPressEvent

        def key_press(event):
            self.keys.append(event.key())
            original(event)
        button.keyPressEvent = key_press

    def _clicked(self):
        self.clicks += 1


@pytest.mark.parametrize("cls", [QPushButton, QToolButton])
def test_return_and_enter_click_push_and_tool_buttons(qtbot, cls):
    button = cls()
    win = window_with(qtbot, button)
    seen = Recording(button)
    QTest.keyClick(button, Qt.Key_Return)
    QTest.keyClick(button, Qt.Key_Enter, Qt.KeypadModifier)
    QTest.keyClick(button, Qt.Key_Return, Qt.ShiftModifier)
    QTest.keyPress(button, Qt.Key_Return)
    assert seen.clicks == 4
    assert not {Qt.Key_Return, Qt.Key_Enter} & set(seen.keys)
    QTest.keyClick(button, Qt.Key_Space)
    QTest.keyClick(button, Qt.Key_Escape)
    assert Qt.Key_Escape in seen.keys or Qt.Key_Space in seen.keys


def test_return_on_check_box_without_default_button(qtbot):
    box = QCheckBox()
    win = window_with(qtbot, box, QPushButton("not default"))
    QTest.keyClick(box, Qt.Key_Return)
    assert box.isChecked()
    QTest.keyClick(box, Qt.Key_Enter)
    assert not box.isChecked()


def test_return_on_check_box_goes_to_the_default_button(qtbot):
    dialog = QDialog()
    box = QCheckBox()
    ok = QPushButton("OK")
    ok.setDefault(True)
    win = window_with(qtbot, box, ok, window=dialog)
    clicked = []
    ok.clicked.connect(lambda: clicked.append(True))
    QTest.keyClick(box, Qt.Key_Return)
    assert not box.isChecked()
    assert clicked == [True]  # the key went on to the dialog


def test_hidden_default_button_in_a_child_window_counts(qtbot):
    box = QCheckBox()
    window = window_with(qtbot, box)
    child = QWidget(window, Qt.Window)
    default = QPushButton(child)
    default.setDefault(True)
    assert not child.isVisible()
    QTest.keyClick(box, Qt.Key_Return)
    assert not box.isChecked()


def test_keys_on_non_buttons_are_untouched(qtbot):
    edit = QLineEdit()
    win = window_with(qtbot, edit)
    returned = []
    edit.returnPressed.connect(lambda: returned.append(True))
    QTest.keyClick(edit, Qt.Key_Return)
    assert returned == [True]


@pytest.mark.parametrize("cls", [QLineEdit, QSpinBox])
def test_programmatic_focus_selects_after_one_loop_pass(qtbot, qapp, cls):
    widget = cls()
    if cls is QLineEdit:
        widget.setText("hello")
        widget.setReadOnly(True)  # read-only is selected all the same
    else:
        widget.setValue(42)
    win = window_with(qtbot, QLineEdit(), widget)
    widget.setFocus(Qt.OtherFocusReason)
    assert widget.hasFocus()
    edit = widget if cls is QLineEdit else widget.lineEdit()
    assert edit.selectedText() == ""
    qapp.processEvents()
    assert edit.selectedText() == edit.text() != ""


def test_mouse_focus_selects_nothing(qtbot, qapp):
    edit = QLineEdit("hello")
    win = window_with(qtbot, QLineEdit(), edit)
    edit.setFocus(Qt.MouseFocusReason)
    qapp.processEvents()
    assert edit.hasFocus() and edit.selectedText() == ""


def test_activation_focus_selects(qtbot, qapp):
    edit = QLineEdit("hello")
    first = window_with(qtbot, edit)
    edit.setFocus(Qt.MouseFocusReason)
    qapp.processEvents()
    edit.deselect()
    other = window_with(qtbot, QLineEdit())
    assert not edit.hasFocus()
    with qtbot.waitActive(first):
        first.activateWindow()
    qapp.processEvents()
    assert edit.hasFocus() and edit.selectedText() == "hello"
    other.close()


def test_focus_moved_on_before_the_loop_turns(qtbot, qapp):
    first, second = QLineEdit("one"), QLineEdit("two")
    win = window_with(qtbot, first, second)
    first.setFocus(Qt.OtherFocusReason)
    second.setFocus(Qt.OtherFocusReason)
    qapp.processEvents()
    assert first.selectedText() == "" and second.selectedText() == "two"


def test_widget_deleted_before_pending_selection(qtbot, qapp):
    edit = QLineEdit("gone")
    win = window_with(qtbot, QLineEdit(), edit)
    edit.setFocus(Qt.OtherFocusReason)
    sip.delete(edit)
    qapp.processEvents()  # the pending call went with the widget


def test_install_refused_off_the_application_thread(qapp):
    errors = []

    def install():
        try:
            pytorvane.install_global_event_filter()
        except RuntimeError as e:
            errors.append(str(e))
    before = len(qapp.children())
    thread = threading.Thread(target=install)
    thread.start()
    thread.join()
    assert errors and "thread" in errors[0]
    assert len(qapp.children()) == before


def test_install_refused_without_application(python_subprocess):
    result = python_subprocess("""
import PyQt5.QtCore, pytorvane
try:
    pytorvane.install_global_event_filter()
except RuntimeError as e:
    print("RuntimeError", e)
""")
    assert result.returncode == 0, result.stderr
    assert result.stdout.startswith("RuntimeError")
