"""StandardItem against the two ways an application would otherwise get the same model.

Three models of 100,000 items each, built in this process: pytorvane.StandardItem, a Python
QStandardItem subclass that maps role 2 to 1111 in Python, and plain QStandardItems (the
floor: no mapping at all). Two measures, interleaved over several rounds, best round kept:
model.data(index, Qt.EditRole) over every index, and full repaints of a QTableView showing
the model. Prints each arm's time, what each item class adds over plain QStandardItem, and
the ratios (targets: StandardItem adds at most a tenth of what the Python subclass adds, and
its total stays within 1.1 times plain QStandardItem).
"""
import os
import sys
import time

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
from PyQt5.QtCore import Qt  # noqa: E402
from PyQt5.QtGui import QStandardItem, QStandardItemModel  # noqa: E402
from PyQt5.QtWidgets import QApplication, QTableView  # noqa: E402
from pytorvane import StandardItem  # noqa: E402

ROWS = 100_000
ROUNDS = 7
REPAINTS = 100
EDIT_VALUE = 1111


class PythonMapped(QStandardItem):
    """What an application writes without pytorvane."""

    def data(self, role=Qt.UserRole + 1):
        return super().data(EDIT_VALUE if role == Qt.EditRole else role)

    def setData(self, value, role=Qt.UserRole + 1):
        super().setData(value, EDIT_VALUE if role == Qt.EditRole else role)


ARMS = {"plain QStandardItem": QStandardItem, "Python subclass": PythonMapped,
        "StandardItem": StandardItem}


def build(item_class):
    model = QStandardItemModel()
    root = model.invisibleRootItem()
    items = []
    for row in range(ROWS):
        item = item_class()
        # The same text under both roles, so every arm paints and converts alike; a plain
        # item keeps the two in one slot.
        text = "%06d" % row
        item.setText(text)
        item.setData(text, Qt.EditRole)
        items.append(item)
    root.appendRows(items)
    view = QTableView()
    view.resize(1200, 900)
    view.setModel(model)
    view.show()
    indexes = [model.index(row, 0) for row in range(ROWS)]
    return model, view, indexes


def read_all(model, indexes):
    data = model.data
    role = Qt.EditRole
    start = time.perf_counter()
    for index in indexes:
        data(index, role)
    return time.perf_counter() - start


def repaint(view):
    viewport = view.viewport()
    start = time.perf_counter()
    for _ in range(REPAINTS):
        viewport.repaint()
    return time.perf_counter() - start


def main():
    app = QApplication.instance() or QApplication(sys.argv)
    arms = {name: build(cls) for name, cls in ARMS.items()}
    app.processEvents()
    # Warm-up: first paint, and each StandardItem's one look for a Python reimplementation.
    first = {name: read_all(model, indexes) for name, (model, view, indexes) in arms.items()}
    for model, view, indexes in arms.values():
        repaint(view)

    best = {name: {"data": float("inf"), "repaint": float("inf")} for name in arms}
    for _ in range(ROUNDS):
        for name, (model, view, indexes) in arms.items():
            best[name]["data"] = min(best[name]["data"], read_all(model, indexes))
            best[name]["repaint"] = min(best[name]["repaint"], repaint(view))

    plain, python, ours = (best[name] for name in ARMS)
    print("%-22s %12s %12s" % ("", "data (ms)", "repaint (ms)"))
    for name, times in best.items():
        print("%-22s %12.1f %12.1f" % (name, times["data"] * 1e3, times["repaint"] * 1e3))
    print("first data pass (ms): " + ", ".join("%s %.1f" % (name, t * 1e3) for name, t in first.items()))
    ok = True
    for measure in ("data", "repaint"):
        added_ours = ours[measure] - plain[measure]
        added_python = python[measure] - plain[measure]
        share = added_ours / added_python
        total = ours[measure] / plain[measure]
        ok &= share <= 0.1 and total <= 1.1
        print("%s: StandardItem adds %.1f ms, the Python subclass %.1f ms; "
              "added ratio %.3f (target <= 0.1), total ratio %.3f (target <= 1.1)"
              % (measure, added_ours * 1e3, added_python * 1e3, share, total))
    print("targets met" if ok else "targets NOT met")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
