"""What the developer scripts share: SMILES files and the records of kvtool --json."""
import json


def read_entries(path):
    """The fields of every line that is not empty or a // comment; commas and quotes count as
    spaces."""
    out = []
    with open(path) as f:
        for line in f:
            parts = line.replace(",", " ").replace('"', " ").split()
            if parts and not parts[0].startswith("//"):
                out.append(parts)
    return out


def read_smiles(path):
    """First field of every entry (read_entries)."""
    return [parts[0] for parts in read_entries(path)]


def parse_records(stdout):
    """The JSON records of kvtool --json output; a line that does not parse is a failed record."""
    out = []
    for line in stdout.splitlines():
        line = line.strip()
        if line.startswith("{"):
            try:
                out.append(json.loads(line))
            except ValueError:
                out.append({"ok": False, "error": "unreadable record"})
    return out
