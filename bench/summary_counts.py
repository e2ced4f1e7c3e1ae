#!/usr/bin/python3
"""Checks a run's summary against a count of its own, made from the XML with ElementTree.

    bench/summary_counts.py BATCH_PROGRAM WORK_FOLDER [FILES]

Writes a corpus whose records drift (files without a column, files with an extra one, two
broken files, one empty file) into WORK_FOLDER, imports it on both routes, joined and not, on
one sheet and a sheet per file or table, each time with --summary and --report, and compares
the report and the summary sheet with the independent count. Prints one line per run and exits
with 1 on any difference.
"""
import json
import random
import subprocess
import sys
import xml.etree.ElementTree as ET
import zipfile
from collections import Counter, defaultdict
from pathlib import Path

FIELDS = ["id", "amount", "date", "customer"]


def write_corpus(folder: Path, count: int) -> list:
    rng = random.Random(36)
    folder.mkdir(parents=True, exist_ok=True)
    paths = []
    for f in range(count):
        lines = ["<orders>"]
        lacks_date = f % 7 == 3
        extra_note = f % 11 == 5
        for r in range(rng.randint(1, 12)):
            values = {
                "id": str(f * 100 + r),
                "amount": f"{rng.randint(0, 99999) / 100:.2f}",
                "date": f"2024-{rng.randint(1, 12):02d}-{rng.randint(1, 28):02d}",
                "customer": rng.choice(["Ada", "Bo", "Cy", "0071", ""]),
            }
            fields = "".join(
                f"<{k}>{v}</{k}>" for k, v in values.items() if not (k == "date" and lacks_date)
            )
            if extra_note:
                fields += f"<note>rush {r}</note>"
            lines.append(f"  <order>{fields}</order>")
        lines.append("</orders>")
        path = folder / f"f{f:04d}.xml"
        path.write_text("\n".join(lines) + "\n")
        paths.append(path)
    broken = [folder / "broken1.xml", folder / "broken2.xml", folder / "empty.xml"]
    broken[0].write_text("<orders><order><id>1</id></orders>\n")
    broken[1].write_text("<orders><order><id>2</id>\n")
    broken[2].write_text("")
    paths[10:10] = broken[:2]
    paths.append(broken[2])
    return paths


def kind(text: str) -> str:
    # The workbook's rule, restated for the data this corpus holds.
    if text == "":
        return "empty"
    if text[0].isdigit() or text[0] == "-":
        number = text.lstrip("-")
        whole, _, fraction = number.partition(".")
        if whole.isdigit() and (whole == "0" or not whole.startswith("0")) and (
            fraction == "" or fraction.isdigit()
        ):
            return "number"
        if len(text) == 10 and text[4] == "-" and text[7] == "-":
            return "date"
    return "text"


def joined(a: str, b: str) -> str:
    if a == "empty" or a == b:
        return b if b != "empty" else a
    return a if b == "empty" else "text"


def count(paths: list) -> dict:
    """Per good file: its order records, each a dict of field -> text."""
    good = {}
    for path in paths:
        try:
            root = ET.parse(path).getroot()
        except ET.ParseError:
            continue
        good[str(path)] = [{c.tag: (c.text or "") for c in order} for order in root]
    return good


def expected_paths(good: dict) -> dict:
    paths = {}
    for file, orders in good.items():
        for order in orders:
            for field, text in order.items():
                entry = paths.setdefault(
                    f"orders/order/{field}", {"files": set(), "values": 0, "type": "empty"}
                )
                entry["files"].add(file)
                entry["values"] += 1
                entry["type"] = joined(entry["type"], kind(text))
    return {p: (len(e["files"]), e["values"], e["type"]) for p, e in paths.items()}


def expected_merged_columns(good: dict) -> dict:
    columns = {}
    for file, orders in good.items():
        for order in orders:
            for field, text in order.items():
                if text == "":
                    continue
                entry = columns.setdefault(field, {"files": set(), "values": 0, "types": set()})
                entry["files"].add(file)
                entry["values"] += 1
                entry["types"].add(kind(text))
    rows = sum(len(o) for o in good.values())
    return {
        c: (len(e["files"]), e["values"], rows - e["values"],
            e["types"].pop() if len(e["types"]) == 1 else "text")
        for c, e in columns.items()
    }


def summary_sheet_rows(workbook: Path) -> list:
    import openpyxl

    book = openpyxl.load_workbook(workbook, read_only=True)
    sheet = book.worksheets[0]
    assert sheet.title == "Summary", sheet.title
    return [[("" if v is None else str(v)) for v in row] for row in sheet.iter_rows(values_only=True)]


def check(program: str, work: Path, paths: list, route: str, send: str, merge: bool) -> list:
    name = f"{route}-{send}-{'merged' if merge else 'byfile'}"
    out, report = work / f"{name}.xlsx", work / f"{name}.json"
    args = [program, "--route", route, send, "--summary", "--report", str(report), "-o", str(out)]
    if merge:
        args.append("--merge-tables")
    run = subprocess.run(args + [str(p) for p in paths], capture_output=True, text=True)
    problems = []
    if run.returncode != 1:
        problems.append(f"status {run.returncode}: {run.stderr[:300]}")
    data = json.loads(report.read_text())
    good = count(paths)
    files = data["files"]
    failed = [f["path"] for f in files if f["outcome"] != "imported"]
    if sorted(failed) != sorted(str(p) for p in paths if str(p) not in good):
        problems.append(f"failed files {failed}")
    given_key = "values" if route == "flatten" else "rows"
    for f in files:
        if f["path"] in good:
            orders = good[f["path"]]
            want = sum(len(o) for o in orders) if route == "flatten" else len(orders)
            if f.get(given_key) != want:
                problems.append(f"{f['path']}: {given_key} {f.get(given_key)} != {want}")
    if route == "flatten":
        got = {p["path"]: (p["files"], p["values"], p["type"]) for p in data["paths"]}
        if got != expected_paths(good):
            problems.append(f"paths {got} != {expected_paths(good)}")
    elif merge:
        want = expected_merged_columns(good)
        got = {c["column"]: (c["files"], c["values"], c["empty"], c["type"])
               for c in data["columns"] if c["table"] == "order" and c["column"] in want}
        if got != want:
            problems.append(f"columns {got} != {want}")
        table = [t for t in data["tables"] if t["table"] == "order"]
        rows = sum(len(o) for o in good.values())
        if not table or (table[0]["rows"], table[0]["files"]) != (rows, len(good)):
            problems.append(f"table order {table[:1]} != rows {rows}, files {len(good)}")
    else:
        tables = data["tables"]
        if len(tables) != len(good) or sum(t["rows"] for t in tables) != sum(
            len(o) for o in good.values()
        ):
            problems.append(f"{len(tables)} tables, {sum(t['rows'] for t in tables)} rows")
    # The summary sheet says what the report says.
    rows = summary_sheet_rows(out)
    by_first = {r[0]: r for r in rows if r}
    for f in files:
        row = by_first.get(f["path"])
        if not row or row[1] != f["outcome"]:
            problems.append(f"sheet row of {f['path']}: {row}")
    print(f"{name}: {len(files)} files, {len(failed)} failed: "
          + ("same counts" if not problems else "; ".join(problems)[:2000]))
    return problems


def main() -> int:
    program, work = sys.argv[1], Path(sys.argv[2])
    paths = write_corpus(work / "corpus", int(sys.argv[3]) if len(sys.argv) > 3 else 300)
    problems = []
    for route, merges in (("flatten", [False]), ("database", [False, True])):
        for merge in merges:
            for send in ("--one-sheet", "--multiple-sheets"):
                problems += check(program, work, paths, route, send, merge)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
