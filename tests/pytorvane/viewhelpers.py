"""A small list view written in Python on pytorvane.AbstractItemView: rows of fixed height."""
from PyQt5.QtCore import QModelIndex, QPoint, QRect
from PyQt5.QtGui import QRegion, QStandardItem, QStandardItemModel

import pytorvane

ROW = 20


class RowView(pytorvane.AbstractItemView):
    """Implements the nine pure virtuals; each records its calls in self.calls."""

    def __init__(self, **kwargs):
        super().__init__(**kwargs)
        self.calls = []

    def note(self, name, *args):
        self.calls.append((name, args))

    def names(self):
        return [name for name, _ in self.calls]

    def visualRect(self, index):
        self.note("visualRect", index)
        if not index.isValid():
            return QRect()
        return QRect(0, index.row() * ROW - self.verticalOffset(), self.viewport().width(), ROW)

    def indexAt(self, point):
        self.note("indexAt", point)
        model = self.model()
        row = (point.y() + self.verticalOffset()) // ROW
        if model is None or not 0 <= row < model.rowCount():
            return QModelIndex()
        return model.index(row, 0)

    def scrollTo(self, index, hint):
        self.note("scrollTo", index, hint)

    def moveCursor(self, action, modifiers):
        self.note("moveCursor", action, modifiers)
        current = self.currentIndex()
        return self.model().index(min(current.row() + 1, self.model().rowCount() - 1), 0)

    def horizontalOffset(self):
        self.note("horizontalOffset")
        return 0

    def verticalOffset(self):
        return 0

    def isIndexHidden(self, index):
        self.note("isIndexHidden", index)
        return False

    def setSelection(self, rect, flags):
        self.note("setSelection", rect, flags)
        index = self.indexAt(rect.topLeft())
        if index.isValid():
            self.selectionModel().select(index, flags)

    def visualRegionForSelection(self, selection):
        self.note("visualRegionForSelection", selection)
        region = QRegion()
        for index in selection.indexes():
            region += self.visualRect(index)
        return region


def model_with_rows(count, parent=None):
    model = QStandardItemModel(parent)
    for row in range(count):
        model.appendRow(QStandardItem(f"row {row}"))
    return model


def shown(qtbot, view, model=None, size=(200, 150)):
    if model is not None:
        view.setModel(model)
    view.resize(*size)
    qtbot.addWidget(view)
    with qtbot.waitExposed(view):
        view.show()
    return view


def row_point(row):
    return QPoint(5, row * ROW + ROW // 2)
