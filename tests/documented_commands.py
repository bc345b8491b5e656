#!/usr/bin/env python3
"""Every command the documentation tells a reader to type, run as written.

The README, the pages under docs/ and the manual page's EXAMPLES show
commands in blocks (```sh in Markdown, .nf/.fi in the page). Each block is
marked just before it, in a comment the reader does not see, with what the
suite does with it:

    <!-- documented command: NAME -->            .\\" documented command: NAME
    <!-- not run by the suite: REASON -->        .\\" not run by the suite: REASON

    documented_commands.py --source DIR --list
    documented_commands.py --source DIR --audit
    documented_commands.py --source DIR --program PATH --work DIR --run NAME

--list gives each case's name and its ctest labels (comma-separated), for the
build to make a test of each. --audit fails unless every block is marked,
every NAME is a case below, and every case has its block. --run runs the
block named NAME with bash, as a reader pastes it into a shell, in an empty
folder that looks like the root of the source tree: the tree's files linked
in, the program where the README's build leaves it
(build/release/megawhets), and on PATH as megawhets, as once installed; then
holds it to its case. Exits 0 when it holds, 77 (skipped, saying why) when
the case needs what this machine lacks (a Slurm cluster, jq), 1 otherwise.
"""
import argparse
import dataclasses
import json
import os
import pathlib
import re
import shlex
import shutil
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE / "slurm"))
from script_test_support import Skip, run_case, say  # noqa: E402

MARKDOWN_MARK = re.compile(r"^<!-- (documented command: (?P<name>[\w-]+)|not run by the suite: (?P<why>.+)) -->$")
ROFF_MARK = re.compile(r'^\.\\" (documented command: (?P<name>[\w-]+)|not run by the suite: (?P<why>.+))$')
FENCE = re.compile(r"^ {0,3}(`{3,})(\S*)\s*$")
# A block runs with the seconds its commands ask for (--auto=30 takes up to
# 40) several times over on a busy machine; this only stops a hang.
BLOCK_SECONDS = 900


@dataclasses.dataclass
class Block:
    where: str  # page and line
    text: str
    name: str = ""  # the case that runs it
    why: str = ""  # or why the suite does not
    shown: str = ""  # the output block that follows it, if any


@dataclasses.dataclass
class Case:
    statuses: tuple = (0,)  # the block's exit status, that of its last command
    in_source_tree: bool = True  # run where the source tree's files are, or in an empty folder
    setup: str = ""  # what makes the folder the block is run in, as the docs describe it
    stdout: tuple = ()  # patterns standard output must hold (re.MULTILINE)
    stderr: tuple = ()
    shown: str = ""  # "stdout" or "stderr": exactly the output block shown after the command
    check: object = None  # check(folder, stdout): asserts what the block left
    needs: tuple = ()  # programs it needs besides megawhets
    slurm: bool = False  # runs on the cluster SLURM_CONF names
    slow: bool = False  # takes more than a few seconds
    # Arguments the megawhets on PATH takes in place of others, each exactly
    # (given, taken): a run's length changes only how precise its figures
    # are, and the case holds its output to its shape, not to its figures.
    quicker: tuple = ()


def records_in(text):
    """The JSON records written one after another into text."""
    decoder = json.JSONDecoder()
    records, at = [], 0
    while at < len(text.rstrip()):
        while text[at].isspace():
            at += 1
        record, at = decoder.raw_decode(text, at)
        records.append(record)
    return records


def copies_one_then_two(_, stdout):
    counts = [record["copies"]["count"] for record in records_in(stdout)]
    assert counts == [1, 2], f"the records ran {counts} copies, not 1 and then 2 as the comments say"


def labelled_record(folder, _):
    [record] = records_in((folder / "runs.json").read_text())
    assert record["label"] == "gcc-13 -O3" and record["counts"]["chosen_by"] == "auto", record["counts"]


def unattended_record(folder, _):
    [record] = records_in((folder / "run.json").read_text())
    assert record["counts"]["chosen_by"] == "auto" and record["exit_status"] in (0, 4), record["exit_status"]


def report_in_file(folder, stdout):
    report = (folder / "report.txt").read_text(encoding="latin-1")
    assert not stdout and "Pass #  2:    25 outer loop(s),40000 inner loop(s)" in report, report


# The answer's line under megawhets ab's table.
# Before its sixth round an interval is the rounds' range, and says so.
AB_ANSWER = (r"^  B against A: [+-]\d+\.\d\d % \(95 % interval [+-]\d+\.\d\d \.\. [+-]\d+\.\d\d %( \(range\))?\), "
             r"p (=|<) [\d.]+, from \d+ rounds?: (faster|slower|same within \u00b11 %|undecided)")
AB_QUICKER = (("ab", "ab --budget 20"),)
AB_CLANG_STAND_IN = "mkdir -p build/release-clang && ln -s \"$(realpath build/release/megawhets)\" build/release-clang/"

CASES = {
    "compare-one-core-against-all": Case(
        stdout=(r"^group .* change +change interval +p +verdict$", r"^one core, one process +6 ",
                r"^all cores, .* 6 "), quicker=(("--auto=5", "--auto=1"),), slow=True),
    "compare-a-generated-fleet": Case(stdout=(r"\nnode-0003\n\Z",)),
    "history-of-a-generated-fleet": Case(shown="stdout"),
    "history-of-nightly-builds": Case(shown="stdout"),
    "counts-from-a-pipe": Case(stdout=(r"Pass #  2:    10 outer loop\(s\),40000 inner loop\(s\)",), slow=True),
    "counts-rest-left-for-the-outer-count": Case(statuses=(1,), shown="stderr"),
    # "a directory of records"
    "record-fields-with-jq": Case(in_source_tree=False, setup="megawhets --auto=1 --json run.json",
                                  stdout=(r"\Arun\.json\t[^\n]*\n\Z",), needs=("jq",)),
    "copies-scaling-quick-look": Case(),
    "slurm-one-record-per-task": Case(
        stdout=(r"\A\S+-0\.json\n\S+-0\.txt\n\S+-1\.json\n\S+-1\.txt\n\Z",), slurm=True),
    "slurm-copies-follow-the-binding": Case(check=copies_one_then_two, slurm=True, slow=True),
    "manual-piped-counts": Case(stdout=(r"Pass #  2:    25 outer loop\(s\),40000 inner loop\(s\)",), slow=True),
    "manual-unattended": Case(statuses=(0, 4), check=unattended_record, quicker=(("--auto=30", "--auto=2"),),
                              slow=True),
    "manual-labelled-records": Case(check=labelled_record, quicker=(("--auto", "--auto=2"),), slow=True),
    "manual-record-through-jq": Case(stdout=(r'^  "schema_version": 1,$',), needs=("jq",), slow=True),
    "manual-slurm-fleet": Case(stdout=(r"^Slow hosts, comma-separated:$",), slurm=True, slow=True),
    "manual-report-in-a-file": Case(check=report_in_file, slow=True),
    # megawhets ab runs for its minute, or less once its answer is certain;
    # what it finds is the machine's, so the table's rows and the answer's
    # line are held to their shape, and a budget of 20 s shows that shape, on a
    # busy machine too. The release-clang build, which takes
    # minutes to make, is stood in for by the release build: the command
    # runs as written, on one build twice.
    "ab-installed-against-built": Case(stdout=(r"^A  megawhets +\d+ ", r"^B  build/release/megawhets +\d+ ",
                                               AB_ANSWER), quicker=AB_QUICKER, slow=True),
    "ab-gcc-against-clang": Case(setup=AB_CLANG_STAND_IN,
                                 stdout=(r"^A  build/release/megawhets +\d+ ",
                                         r"^B  build/release-clang/megawhets +\d+ ", AB_ANSWER),
                                 quicker=AB_QUICKER, slow=True),
    "manual-ab-old-against-new": Case(setup="mkdir old new && cp build/release/megawhets old/ && "
                                            "cp build/release/megawhets new/",
                                      stdout=(r"^A  \./old/megawhets +\d+ ", AB_ANSWER), quicker=AB_QUICKER,
                                      slow=True),
}


def markdown_blocks(path, root):
    """The ```sh blocks of a Markdown page, each with its mark and the plain
    block after it, if that is what follows."""
    lines = path.read_text(encoding="utf-8").splitlines()
    blocks, i = [], 0
    while i < len(lines):
        opening = FENCE.match(lines[i])
        if not opening:
            i += 1
            continue
        end = next(j for j in range(i + 1, len(lines)) if lines[j].strip() == opening.group(1))
        if opening.group(2) in ("sh", "shell", "bash", "console"):
            mark = MARKDOWN_MARK.match(lines[i - 1]) if i > 0 else None
            block = Block(f"{path.relative_to(root)}:{i + 1}", "\n".join(lines[i + 1:end]) + "\n")
            if mark:
                block.name, block.why = mark.group("name") or "", mark.group("why") or ""
            after = next((j for j in range(end + 1, len(lines)) if lines[j].strip()), None)
            following = FENCE.match(lines[after]) if after is not None else None
            if following and not following.group(2):
                close = next(j for j in range(after + 1, len(lines)) if lines[j].strip() == following.group(1))
                block.shown = "\n".join(lines[after + 1:close]) + "\n"
            blocks.append(block)
        i = end + 1
    return blocks


def unescape_roff(line):
    return line.replace("\\-", "-").replace("\\(aq", "'").replace("\\e", "\\")


def manual_blocks(path, root):
    """The .nf/.fi blocks of the manual page's EXAMPLES, each with its mark:
    the comment line before the block's .RS."""
    lines = path.read_text(encoding="utf-8").splitlines()
    start = lines.index(".SH EXAMPLES")
    end = next(j for j in range(start + 1, len(lines)) if lines[j].startswith(".SH "))
    blocks, i = [], start
    while i < end:
        if lines[i] != ".nf":
            i += 1
            continue
        close = lines.index(".fi", i)
        before = i - 1
        while lines[before] in (".RS", ".PP"):
            before -= 1
        block = Block(f"{path.relative_to(root)}:{i + 1}",
                      "\n".join(unescape_roff(line) for line in lines[i + 1:close]) + "\n")
        mark = ROFF_MARK.match(lines[before])
        if mark:
            block.name, block.why = mark.group("name") or "", mark.group("why") or ""
        blocks.append(block)
        i = close + 1
    return blocks


def all_blocks(root):
    pages = [root / "README.md"] + sorted((root / "docs").glob("*.md"))
    blocks = [block for page in pages for block in markdown_blocks(page, root)]
    return blocks + manual_blocks(root / "man" / "megawhets.1", root)


def audit(root):
    """What keeps the marks and the cases in step; prints the table of every
    documented command and what runs it."""
    faults = []
    blocks = all_blocks(root)
    named = {}
    for block in blocks:
        first = block.text.splitlines()[0]
        print(f"{block.where:28} {first[:60]:60} {block.name or 'not run: ' + block.why}")
        if not block.name and not block.why:
            faults.append(f"{block.where}: a command block with no mark (documented command, or why the suite "
                          f"does not run it)")
        elif block.name and block.name not in CASES:
            faults.append(f"{block.where}: '{block.name}' is no case of {pathlib.Path(__file__).name}")
        elif block.name in named and named[block.name].text != block.text:
            faults.append(f"{block.where}: '{block.name}' names a block that differs from "
                          f"{named[block.name].where}'s")
        if block.name:
            named.setdefault(block.name, block)
    for name in sorted(set(CASES) - set(named)):
        faults.append(f"case '{name}' has no block in the documentation")
    print("\n".join(faults) or f"{len(blocks)} command blocks, every one marked; {len(CASES)} cases, each run")
    return 1 if faults else 0


def quicker_program(path, program, quicker):
    """A megawhets for PATH that runs the program with each argument given
    exactly as a rule's first word replaced by the rule's words."""
    rules = "".join(f"    {shlex.quote(given)}) arguments+=({taken}) ;;\n" for given, taken in quicker)
    path.write_text("#!/usr/bin/env bash\n"
                    "arguments=()\n"
                    "for argument in \"$@\"; do\n"
                    "  case \"$argument\" in\n"
                    f"{rules}"
                    "    *) arguments+=(\"$argument\") ;;\n"
                    "  esac\n"
                    "done\n"
                    f"exec {shlex.quote(str(program))} \"${{arguments[@]}}\"\n")
    path.chmod(0o755)


def scratch_folder(root, program, work, in_source_tree, quicker):
    """A folder of the case's own, with .bin/megawhets for PATH; where the
    docs run a command from the root of the source tree, it looks like that
    root after the README's build."""
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    (work / ".bin").mkdir()
    if quicker:
        quicker_program(work / ".bin" / "megawhets", pathlib.Path(program).resolve(), quicker)
    else:
        (work / ".bin" / "megawhets").symlink_to(program)
    if in_source_tree:
        for entry in root.iterdir():
            if entry.name not in ("build", ".git"):
                (work / entry.name).symlink_to(entry)
        (work / "build" / "release").mkdir(parents=True)
        (work / "build" / "release" / "megawhets").symlink_to(program)


def run_block(root, program, work, name):
    case = CASES[name]
    block = next((block for block in all_blocks(root) if block.name == name), None)
    assert block, f"no block of the documentation is marked '{name}'"
    for needed in case.needs:
        if not shutil.which(needed):
            raise Skip(f"{needed} is not installed (apt-get install {needed})")
    if case.slurm:
        from cluster import require_cluster  # noqa: E402
        require_cluster()
    scratch_folder(root, program, work, case.in_source_tree, case.quicker)
    environment = dict(os.environ, PATH=f"{work / '.bin'}{os.pathsep}{os.environ['PATH']}")

    def bash(text):
        say(f"in {work}:")
        print(text, end="", flush=True)
        return subprocess.run(["bash", "-c", text], cwd=work, env=environment, stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, errors="replace", timeout=BLOCK_SECONDS)

    if case.setup:
        done = bash(case.setup + "\n")
        assert done.returncode == 0, f"the setup exited {done.returncode}: {done.stderr}"
    done = bash(block.text)
    print(f"--- status {done.returncode}\n--- standard output:\n{done.stdout}--- standard error:\n{done.stderr}")
    assert done.returncode in case.statuses, \
        f"{block.where}: exited {done.returncode}, not {' or '.join(map(str, case.statuses))}"
    for stream, patterns in (("stdout", case.stdout), ("stderr", case.stderr)):
        for pattern in patterns:
            assert re.search(pattern, getattr(done, stream), re.MULTILINE), \
                f"{block.where}: its standard {stream[3:]} does not hold {pattern!r}"
    if case.shown:
        assert block.shown, f"{block.where}: no output is shown after it"
        assert getattr(done, case.shown) == block.shown, \
            f"{block.where}: its standard {case.shown[3:]} is not what the page shows:\n{block.shown}"
    if case.check:
        case.check(work, done.stdout)
    say(f"{block.where} ran as written")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--source", required=True, type=pathlib.Path)
    parser.add_argument("--program")
    parser.add_argument("--work", type=pathlib.Path)
    action = parser.add_mutually_exclusive_group(required=True)
    action.add_argument("--list", action="store_true")
    action.add_argument("--audit", action="store_true")
    action.add_argument("--run", choices=sorted(CASES))
    args = parser.parse_args()
    root = args.source.resolve()
    if args.list:
        for name, case in CASES.items():
            print(name, ",".join(["documented"] + ["slurm"] * case.slurm + ["slow"] * case.slow))
        return 0
    if args.audit:
        return audit(root)
    if not args.program or not args.work:
        parser.error("--run needs --program and --work")
    return run_case(lambda: run_block(root, os.path.realpath(args.program), args.work.resolve(), args.run))


if __name__ == "__main__":
    sys.exit(main())
