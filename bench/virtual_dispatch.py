"""Virtual dispatch of pytorvane.AbstractItemView against PyQt5's own QAbstractItemView.

One Python view body (the nine pure virtuals, rows of fixed height) is compiled separately
for each base, so CPython's bytecode specialisation is not shared between the two classes.
Both arms are driven the same way, interleaved over several rounds, best round kept:
- reimplemented: Qt calls the Python visualRect, through view.update(index);
- not reimplemented: Qt calls routed virtuals that Python leaves alone (event, customEvent)
  through QApplication.sendEvent, and the whole set of a repaint (viewportEvent, paintEvent,
  event, ...) through viewport().repaint().
Prints the per-call cost of each arm and the ratio pytorvane / PyQt5 (targets: at most 1.1
for the reimplemented virtual, at most 1.0 for the others).
"""
import os
import time

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
from PyQt5.QtCore import QEvent  # noqa: E402
from PyQt5.QtGui import QStandardItem, QStandardItemModel  # noqa: E402
from PyQt5.QtWidgets import QAbstractItemView, QApplication  # noqa: E402
import pytorvane  # noqa: E402

ROUNDS = 7
UPDATES = 50_000
EVENTS = 50_000
REPAINTS = 300

BODY = '''
from PyQt5.QtCore import QModelIndex, QRect
from PyQt5.QtGui import QRegion

ROW = 20

class RowView(Base):
    def visualRect(self, index):
        if not index.isValid():
            return QRect()
        return QRect(0, index.row() * ROW, 200, ROW)

    def indexAt(self, point):
        model = self.model()
        row = point.y() // ROW
        if model is None or not 0 <= row < model.rowCount():
            return QModelIndex()
        return model.index(row, 0)

    def scrollTo(self, index, hint=None):
        pass

    def moveCursor(self, action, modifiers):
        return self.currentIndex()

    def horizontalOffset(self):
        return 0

    def verticalOffset(self):
        return 0

    def isIndexHidden(self, index):
        return False

    def setSelection(self, rect, flags):
        pass

    def visualRegionForSelection(self, selection):
        return QRegion()
'''


def view_class(base, name):
    namespace = {"Base": base}
    exec(compile(BODY, f"<{name}>", "exec"), namespace)
    return namespace["RowView"]


def make(base, name, model):
    view = view_class(base, name)()
    view.setModel(model)
    view.resize(300, 400)
    view.show()
    QApplication.processEvents()
    return view


def time_updates(view, index):
    update = view.update
    start = time.perf_counter()
    for _ in range(UPDATES):
        update(index)
    elapsed = time.perf_counter() - start
    QApplication.processEvents()
    return elapsed / UPDATES


def time_events(view, event):
    send = QApplication.sendEvent
    start = time.perf_counter()
    for _ in range(EVENTS):
        send(view, event)
    return (time.perf_counter() - start) / EVENTS


def time_repaints(view):
    repaint = view.viewport().repaint
    start = time.perf_counter()
    for _ in range(REPAINTS):
        repaint()
    return (time.perf_counter() - start) / REPAINTS


def main():
    app = QApplication.instance() or QApplication([])
    model = QStandardItemModel()
    for row in range(50):
        model.appendRow(QStandardItem(f"row {row}"))
    index = model.index(3, 0)
    event = QEvent(QEvent.Type(QEvent.registerEventType()))
    arms = {"PyQt5": make(QAbstractItemView, "pyqt5", model),
            "pytorvane": make(pytorvane.AbstractItemView, "pytorvane", model)}
    measures = {"visualRect (reimplemented)": lambda v: time_updates(v, index),
                "event+customEvent (not reimplemented)": lambda v: time_events(v, event),
                "repaint (not reimplemented)": time_repaints}
    best = {(m, a): float("inf") for m in measures for a in arms}
    for _ in range(ROUNDS):
        for measure, run in measures.items():
            for arm, view in arms.items():
                best[measure, arm] = min(best[measure, arm], run(view))
    for measure in measures:
        pyqt, ours = best[measure, "PyQt5"], best[measure, "pytorvane"]
        print(f"{measure:40s} PyQt5 {pyqt * 1e9:9.0f} ns  pytorvane {ours * 1e9:9.0f} ns  "
              f"ratio {ours / pyqt:5.3f}")
    del app


if __name__ == "__main__":
    main()
