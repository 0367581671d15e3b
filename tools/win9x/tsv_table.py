"""The tab-separated tables the Windows 9x checks read."""

import csv


class TableError(Exception):
    pass


def read_tsv(path, columns, last_optional=False):
    """Rows of a tab-separated file as dicts; '#' lines are comments, the first other line
    names the columns (with last_optional, it may name more, and a row may leave out the last
    column, which is then empty)."""
    try:
        with open(path, newline="", encoding="utf-8") as f:
            lines = [line for line in f if line.strip() and not line.startswith("#")]
    except OSError as e:
        raise TableError(f"cannot read {path}: {e.strerror}")
    reader = csv.reader(lines, delimiter="\t", quoting=csv.QUOTE_NONE)
    header = next(reader, None)
    if header is None or (header[:len(columns)] if last_optional else header) != columns:
        raise TableError(f"{path}: the first line must name the columns {' '.join(columns)}")
    fewest = len(columns) - 1 if last_optional else len(columns)
    rows = []
    for number, row in enumerate(reader, start=2):
        if len(row) < fewest or len(row) > len(columns):
            raise TableError(f"{path}: row {number} has {len(row)} fields, not {len(columns)}")
        rows.append(dict(zip(columns, row + [""] * (len(columns) - len(row)))))
    return rows
