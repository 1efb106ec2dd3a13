"""get_user_value/set_user_value against PyQt5's own model.data/model.setData.

Both arms run in this process, interleaved, on the same 100,000 model indexes; the best
of several rounds is kept. Prints the ratio pytorvane / PyQt5 (target: at most 1.2).
"""
import os
import sys
import time

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
from PyQt5.QtCore import Qt  # noqa: E402
from PyQt5.QtGui import QStandardItemModel  # noqa: E402
from pytorvane import get_user_value, set_user_value  # noqa: E402

ROWS = 100_000
ROUNDS = 5
ROLE = Qt.UserRole + 3


def timed(fn):
    start = time.perf_counter()
    fn()
    return time.perf_counter() - start


def main():
    model = QStandardItemModel(ROWS, 1)
    indexes = [model.index(row, 0) for row in range(ROWS)]
    value = ("payload", 1)
    data, set_data = model.data, model.setData

    arms = {
        "set": (lambda: [set_user_value(i, value, ROLE) for i in indexes],
                lambda: [set_data(i, value, ROLE) for i in indexes]),
        "get": (lambda: [get_user_value(i, ROLE) for i in indexes],
                lambda: [data(i, ROLE) for i in indexes]),
    }
    for name, (ours, theirs) in arms.items():
        best_ours = best_theirs = float("inf")
        for _ in range(ROUNDS):
            best_ours = min(best_ours, timed(ours))
            best_theirs = min(best_theirs, timed(theirs))
        print("%s_user_value: %.1f ns/call, PyQt5: %.1f ns/call, ratio %.2f" % (
            name, best_ours / ROWS * 1e9, best_theirs / ROWS * 1e9, best_ours / best_theirs))
    return 0


if __name__ == "__main__":
    sys.exit(main())
