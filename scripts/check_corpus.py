"""The figures of scripts/check-corpus.sh: see there."""
import collections
import glob
import json
import os
import re
import subprocess
import sys
import tempfile
import time

CHECK, HELP = sys.argv[1], sys.argv[2]
ROOT = "/usr/share/tcltk"
# Tk's own commands, which a script that runs under wish has.
TK = set("""bell bind bindtags button canvas checkbutton clipboard console destroy entry
event focus font frame grab grid image label labelframe listbox lower menu menubutton
message option pack panedwindow place radiobutton raise scale scrollbar selection send
spinbox text tk tk_bisque tk_chooseColor tk_chooseDirectory tk_dialog tk_focusNext
tk_focusPrev tk_focusFollowsMouse tk_getOpenFile tk_getSaveFile tk_menuSetFocus
tk_messageBox tk_optionMenu tk_popup tk_setPalette tk_textCopy tk_textCut tk_textPaste
tkwait toplevel winfo wm""".split())


def check(paths, dry_run=False):
    command = [CHECK, "--help-dir", HELP, "--format", "json"]
    if not dry_run:
        command.append("--no-dry-run")
    output = subprocess.run(command + paths, capture_output=True, check=False).stdout
    return json.loads(output)


def files(*folders):
    found = []
    for folder in folders:
        found += glob.glob(os.path.join(ROOT, folder, "**", "*.tcl"), recursive=True)
    return sorted(found)


def defined_procs(paths):
    names = set()
    for path in paths:
        with open(path, encoding="latin-1") as source:
            # proc name, critcl::cproc name, interp alias {} name, $slave alias name
            text = source.read()
            for match in re.finditer(
                r"(?:^\s*(?:\S+::)?c?proc|ccommand|\balias\s+(?:\{\}|\S+))\s+(\S+)", text, re.M
            ):
                name = match.group(1).strip("{}")
                names.add(name.lstrip(":"))
                names.add(name.split("::")[-1])
    return names


def is_false_error(finding, own):
    if finding["severity"] != "error":
        return False
    if finding["rule"] == "command/unknown":
        name = re.match(r'unknown command "([^"]*)"', finding["message"])
        name = name.group(1).lstrip(":") if name else ""
        head = name.split("::")[0]
        if name in TK or head in ("tk", "ttk") or name.startswith("."):
            return False
        if name in own or name.split("::")[-1] in own:
            return False
    return True


def main():
    core = files("tcllib*", "tcl8.6")
    everything = core + files("tk8.6")
    own = defined_procs(everything)
    lines = sum(1 for path in core for _ in open(path, "rb"))
    findings = check(core)
    errors = [f for f in findings if is_false_error(f, own)]
    by_rule = collections.Counter(f["rule"] for f in errors)
    for rule, count in by_rule.most_common():
        print(f"  {count:6d} {rule}")
    if os.environ.get("CORVALE_CORPUS_LIST"):
        for finding in errors:
            print("   ", finding["file"], finding["line"], finding["message"][:100])
    print(f"figure check_false_errors_per_kloc_core {1000.0 * len(errors) / lines:.3f} errors/kloc")

    size = sum(os.path.getsize(path) for path in everything)
    start = time.perf_counter()
    check(everything)
    seconds = time.perf_counter() - start
    print(f"figure check_corpus_mb_per_s {size / 1e6 / seconds:.1f} MB/s")

    with tempfile.NamedTemporaryFile("w", suffix=".tcl") as empty:
        empty.write("\n")
        empty.flush()
        start = time.perf_counter()
        check([empty.name])
        startup = time.perf_counter() - start
    slowest = 0.0
    for path in everything:
        bytes_ = os.path.getsize(path)
        if bytes_ < 50000:
            continue
        start = time.perf_counter()
        check([path])
        milliseconds = max(0.0, time.perf_counter() - start - startup) * 1000.0
        slowest = max(slowest, milliseconds * 100000.0 / bytes_)
    print(f"figure check_slowest_ms_per_100kb {slowest:.1f} ms")

    clean = "".join(f"set value{i} [expr {{$i * 2.0}}]\n".replace("$i", str(i)) for i in range(40000))
    mistakes = "".join(f"nodee {i} 0.0 0.0\n" for i in range(2000))
    with tempfile.TemporaryDirectory() as folder:
        after = os.path.join(folder, "after.tcl")
        first = os.path.join(folder, "first.tcl")
        with open(after, "w") as out:
            out.write(clean + mistakes)
        with open(first, "w") as out:
            out.write(mistakes + clean)
        times = {}
        for name in (after, first):
            best = None
            for _ in range(3):
                start = time.perf_counter()
                assert len(check([name])) == 2000
                elapsed = time.perf_counter() - start
                best = elapsed if best is None else min(best, elapsed)
            times[name] = best
    print(f"figure check_linear_ratio {times[after] / times[first]:.2f} x")


main()
