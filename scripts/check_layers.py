#!/usr/bin/env python3
"""Checks that every #include "..." in src/ points down the layers:
core/rules <- core/state <- core/files <- core/analysis <- data <- ui/widgets <-
ui/panels <- ui/document <- ui/windows <- app. A file may include its own
layer and any lower one, never a higher one; and no other window includes
the main window (they all take the conditions document); and no control
is looked up with findChild (production code holds typed pointers; only
tests and tarnel-replay find controls by name). Prints each offence and
exits 1."""
import pathlib
import re
import sys

LAYERS = ["core/rules", "core/state", "core/files", "core/analysis", "data",
          "ui/widgets", "ui/panels", "ui/document", "ui/windows", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
MAIN_WINDOW = "ui/windows/main_window.h"
MAIN_WINDOW_FILES = re.compile(r"^ui/windows/(main_window[^/]*|help_menu\.cpp)$")


def layer_of(path):
    for rank, layer in enumerate(LAYERS):
        if path == layer or path.startswith(layer + "/"):
            return rank
    return None


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "src")
    faults = []
    files = 0
    for f in sorted(src.rglob("*")):
        if f.suffix not in {".h", ".cpp", ".inc"}:
            continue
        files += 1
        name = f.relative_to(src).as_posix()
        own = layer_of(name)
        if own is None:
            faults.append(f"{f}: in no layer")
            continue
        for number, line in enumerate(f.read_text(encoding="utf-8").splitlines(), 1):
            if "findChild" in line:
                faults.append(f"{f}:{number}: looks a control up with findChild")
            m = INCLUDE.match(line)
            if not m:
                continue
            if m.group(1) == MAIN_WINDOW and LAYERS[own] == "ui/windows" and not MAIN_WINDOW_FILES.match(name):
                faults.append(f"{f}:{number}: a window other than the main window includes {MAIN_WINDOW}")
            target = layer_of(m.group(1))
            if target is None:
                if not (src / f.relative_to(src).parent / m.group(1)).exists():
                    faults.append(f"{f}:{number}: includes {m.group(1)}, which is in no layer")
            elif target > own:
                faults.append(f"{f}:{number}: {LAYERS[own]} includes {m.group(1)} of the higher layer {LAYERS[target]}")
    for fault in faults:
        print(fault)
    if files == 0:
        print(f"no source files under {src}")
        return 1
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
