#!/usr/bin/env python3
"""A variant built as the docs show, CXX and CXXFLAGS before the release
preset: each case configures the source into a scratch folder and holds
every compile command, and the flags the program names in --version, to the
flags given. Configuring is enough: what the compiler makes of the flags is
the compiler's, and the other presets' suites run the program so built."""
import argparse
import json
import os
import pathlib
import shlex
import shutil
import subprocess
import sys

# (CXXFLAGS, the optimisation every compile gets, what --version names first,
# or the words a refusal holds)
CASES = (
    ("", "-O2", "-O2 -ffp-contract=off", None),
    ("-O3", "-O3", "-O3 -ffp-contract=off", None),
    ("-O3 -fno-unroll-loops", "-O3", "-O3 -fno-unroll-loops -ffp-contract=off", None),
    ("-Os -g", "-Os", "-Os -ffp-contract=off", None),
    ("-O3 -ffast-math", None, None, "CXXFLAGS holds -ffast-math"),
    ("-Ofast", None, None, "CXXFLAGS holds -Ofast"),
)


def configure(cmake, source, folder, flags):
    shutil.rmtree(folder, ignore_errors=True)
    environment = dict(os.environ, CXXFLAGS=flags)
    return subprocess.run([cmake, "-S", source, "--preset", "release", "-B", folder, "-DMEGAWHETS_CCACHE=OFF"],
                          env=environment, capture_output=True, text=True, check=False)


def optimisations(command):
    return [word for word in shlex.split(command) if word.startswith("-O")]


def code_flags(folder):
    for header in folder.rglob("build_settings.h"):
        for line in header.read_text().splitlines():
            if line.startswith("#define MEGAWHETS_CODE_FLAGS "):
                return json.loads(line.split(" ", 2)[2])
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cmake", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True, type=pathlib.Path)
    given = parser.parse_args()
    faults = []
    for number, (flags, optimisation, named, refusal) in enumerate(CASES):
        folder = given.work / f"variant-{number}"
        done = configure(given.cmake, given.source, folder, flags)
        said = f"CXXFLAGS={flags!r}"
        if refusal:
            if done.returncode == 0 or refusal not in done.stderr:
                faults.append(f"{said}: configuring did not refuse, saying {refusal!r}: {done.stderr}")
            continue
        if done.returncode != 0:
            faults.append(f"{said}: configuring failed: {done.stderr}")
            continue
        commands = json.loads((folder / "compile_commands.json").read_text())
        wrong = [c["file"] for c in commands if optimisations(c["command"]) != [optimisation]]
        if wrong:
            faults.append(f"{said}: {len(wrong)} compiles do not get {optimisation} alone, such as {wrong[0]}")
        flags_named = code_flags(folder)
        if not flags_named or not flags_named.startswith(named):
            faults.append(f"{said}: --version would name {flags_named!r}, not {named!r} first")
        print(f"{said}: every compile gets {optimisation}, and --version names {flags_named!r}")
    print("\n".join(faults) or "every variant gets the flags it was given")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
