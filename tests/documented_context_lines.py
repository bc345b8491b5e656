"""Checks that every context line the documentation shows is one this build
would print: the program's version, the compiler's name and the flags that
shape the code. Run only for a build with the flags the program ships with.

    documented_context_lines.py SOURCE_DIR VERSION COMPILER FLAGS
"""

import pathlib
import re
import sys

CONTEXT_LINE = re.compile(r"megawhets (\S+): (\S+) [\d.]+, (-[^,]*), ")


def documents(source_dir):
    yield source_dir / "README.md"
    yield from sorted((source_dir / "docs").glob("*.md"))
    yield source_dir / "man" / "megawhets.1"


def main(source_dir, version, compiler, flags):
    faults = []
    shown = 0
    for path in documents(pathlib.Path(source_dir)):
        # The manual page writes each hyphen as \-.
        text = path.read_text().replace("\\-", "-")
        for number, line in enumerate(text.splitlines(), 1):
            for found in CONTEXT_LINE.finditer(line):
                shown += 1
                if found.groups() != (version, compiler, flags):
                    faults.append(f"{path.name}:{number}: shows '{found.group(0)}', but this build prints "
                                  f"'megawhets {version}: {compiler} ..., {flags}, '")
    print(f"{shown} context lines shown")
    print("\n".join(faults) or "each is what the build prints")
    return 1 if faults or shown == 0 else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
