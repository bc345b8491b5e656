"""Checks that every include points down the layers.

The layers are the source folders in the order the top-level CMakeLists.txt
adds them, from the ground up. A file may include its own folder's headers and
those of any folder added before it, never one added after it: so the program
on top may use everything, and the workload and the platform nothing of ours.

    include_layers.py SOURCE_DIR
"""

import pathlib
import re
import sys


def layers(source_dir):
    text = (source_dir / "CMakeLists.txt").read_text()
    folders = re.findall(r"^add_subdirectory\((\w+)\)", text, re.M)
    return [f for f in folders if (source_dir / f / "CMakeLists.txt").exists() and f not in ("tests", "bench", "fuzz")]


def main(source_dir):
    source_dir = pathlib.Path(source_dir)
    order = layers(source_dir)
    rank = {folder: i for i, folder in enumerate(order)}
    faults = []
    for folder in order:
        for path in sorted((source_dir / folder).iterdir()):
            if path.suffix not in (".h", ".cpp", ".in"):
                continue
            for number, line in enumerate(path.read_text().splitlines(), 1):
                found = re.match(r'\s*#\s*include\s+"(\w+)/', line)
                if not found:
                    continue
                target = found.group(1)
                where = f"{path.relative_to(source_dir)}:{number}"
                if target not in rank:
                    faults.append(f"{where}: includes {target}/, which is not a layer")
                elif rank[target] > rank[folder]:
                    faults.append(f"{where}: {folder}/ includes {target}/, a layer above it")
    print("layers, from the ground up: " + " -> ".join(order))
    print("\n".join(faults) or "every include points down")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
