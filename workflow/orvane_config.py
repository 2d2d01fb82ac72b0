"""The workflow's configuration: its keys, their defaults, and the checks that run before any
work, so that a typing error or a missing scan stops the run at once with the key named."""

import hashlib
import os
import re
import struct
import subprocess

DEFAULTS = {
    "orvane_batch": "build/analysis/batch/orvane-batch",
    "auto_place": True,
    "adjust": "2dw",
    "keep_steps": False,
    "fail_on_outlier": False,
    "flag_saturated_pct": 10,
}
TOP_KEYS = ("orvane_batch", "spot_diameter_mm", "auto_place", "adjust", "min_percent_found",
            "keep_steps", "fail_on_outlier", "flag_saturated_pct", "slides")
# The slide-level threshold of the QC summary's `found` rule when min_percent_found is unset.
QC_MIN_PERCENT_FOUND = 70
SLIDE_KEYS = ("red", "green", "map", "gal")
ADJUST_METHODS = ("2dw", "1dw", "cm", "none")


class ConfigError(Exception):
    """A configuration the workflow cannot run; the text names the key."""


def _number(value):
    return isinstance(value, (int, float)) and not isinstance(value, bool)


def _need_file(key, path, executable=False):
    if not isinstance(path, str) or not path:
        raise ConfigError(f"{key}: expected a file path, got {path!r}")
    if not os.path.isfile(path):
        raise ConfigError(f"{key}: no such file: {path}")
    if executable and not os.access(path, os.X_OK):
        raise ConfigError(f"{key}: not an executable program: {path}")


# By version (42 classic, 43 BigTIFF): where the first IFD's offset lies and its format, the
# format of an IFD's entry count, an entry's size and where its value lies in it.
_TIFF_LAYOUTS = {42: (4, "I", "H", 12, 8), 43: (8, "Q", "Q", 20, 12)}
# ImageWidth and ImageLength, as SHORT, LONG or (BigTIFF) LONG8.
_TIFF_SIZE_TAGS = (256, 257)
_TIFF_NUMBERS = {3: "H", 4: "I", 16: "Q"}


def tiff_size(path):
    """(width, height) of a TIFF's first image, read from its header alone (classic TIFF and
    BigTIFF, either byte order); None when the file is no TIFF."""
    with open(path, "rb") as f:
        head = f.read(16)
        order = {b"II": "<", b"MM": ">"}.get(head[:2])
        if order is None or len(head) < 8:
            return None
        layout = _TIFF_LAYOUTS.get(struct.unpack_from(order + "H", head, 2)[0])
        if layout is None or len(head) < layout[0] + struct.calcsize("<" + layout[1]):
            return None
        offset_at, offset_format, count_format, entry_size, value_at = layout
        f.seek(struct.unpack_from(order + offset_format, head, offset_at)[0])
        raw = f.read(struct.calcsize("<" + count_format))
        if len(raw) < struct.calcsize("<" + count_format):
            return None
        found = {}
        # Entry by entry, so that a garbage count reads no more than the file holds.
        for _ in range(struct.unpack(order + count_format, raw)[0]):
            entry = f.read(entry_size)
            if len(entry) < entry_size:
                return None
            tag, kind = struct.unpack_from(order + "HH", entry)
            if tag in _TIFF_SIZE_TAGS and kind in _TIFF_NUMBERS:
                # A value that fits is stored in the entry itself, left-justified.
                found[tag] = struct.unpack_from(order + _TIFF_NUMBERS[kind], entry, value_at)[0]
                if len(found) == 2:
                    break
    size = tuple(found.get(t, 0) for t in _TIFF_SIZE_TAGS)
    return size if all(size) else None


def _need_tiff(key, path):
    size = tiff_size(path)
    if size is None:
        raise ConfigError(f"{key}: not a TIFF image: {path}")
    return size


# As define-grid reads a zone line: blanks between the fields, the comma right after a number.
_ZONE_LINE = re.compile(rb"zone#\s*[+-]?\d+,\s*block_col#\s*[+-]?\d+,\s*block_row#\s*[+-]?\d+,"
                        rb"\s*spot_col#\s*[+-]?\d+,\s*spot_row#\s*[+-]?\d+")
_UTF8_BOM = b"\xef\xbb\xbf"


def _need_layout(key, kind, path):
    with open(path, "rb") as f:
        if kind == "gal":
            if not f.readline().removeprefix(_UTF8_BOM).startswith(b"ATF"):
                raise ConfigError(f"{key}: not a GenePix Array List (it does not begin with ATF): "
                                  f"{path}")
        elif not any(_ZONE_LINE.match(line) for line in f):
            raise ConfigError(f"{key}: not a slide map data file (it has no zone lines): {path}")


def _check_slide(name, slide):
    key = f"slides.{name}"
    if not isinstance(slide, dict):
        raise ConfigError(f"{key}: expected the keys red, green (two colours) and map or gal")
    for k in slide:
        if k not in SLIDE_KEYS:
            raise ConfigError(f"{key}.{k}: unknown key (expected red, green, map or gal)")
    if "red" not in slide:
        raise ConfigError(f"{key}.red: missing")
    layouts = [k for k in ("map", "gal") if k in slide]
    if len(layouts) != 1:
        raise ConfigError(f"{key}: give exactly one of map and gal, not "
                          + (" and ".join(layouts) if layouts else "neither"))
    colours = [k for k in ("red", "green") if k in slide]
    for k in colours + layouts:
        _need_file(f"{key}.{k}", slide[k])
    for k in layouts:
        _need_layout(f"{key}.{k}", k, slide[k])
    sizes = {k: _need_tiff(f"{key}.{k}", slide[k]) for k in colours}
    if len(set(sizes.values())) > 1:
        raise ConfigError(f"{key}: the scans differ in size: " + ", ".join(
            f"{k} {slide[k]} is {w} x {h} pixels" for k, (w, h) in sizes.items()))


def check(config):
    """Returns the configuration with its defaults filled in; raises ConfigError naming the first
    key that is unknown, missing, of the wrong kind, or names a missing file."""
    if not isinstance(config, dict):
        raise ConfigError("the configuration is not a mapping of keys")
    for k in config:
        if k not in TOP_KEYS:
            raise ConfigError(f"{k}: unknown key (expected one of {', '.join(TOP_KEYS)})")
    c = dict(DEFAULTS)
    c.update(config)
    _need_file("orvane_batch", c["orvane_batch"], executable=True)
    if "spot_diameter_mm" in c and not (_number(c["spot_diameter_mm"])
                                        and c["spot_diameter_mm"] > 0):
        raise ConfigError(f"spot_diameter_mm: expected a positive number of millimetres, "
                          f"got {c['spot_diameter_mm']!r}")
    for k in ("auto_place", "keep_steps", "fail_on_outlier"):
        if not isinstance(c[k], bool):
            raise ConfigError(f"{k}: expected true or false, got {c[k]!r}")
    if c["adjust"] not in ADJUST_METHODS:
        raise ConfigError(f"adjust: expected one of {', '.join(ADJUST_METHODS)}, "
                          f"got {c['adjust']!r}")
    if "min_percent_found" in c and not (_number(c["min_percent_found"])
                                         and 0 <= c["min_percent_found"] <= 100):
        raise ConfigError(f"min_percent_found: expected a number from 0 to 100, "
                          f"got {c['min_percent_found']!r}")
    pct = c["flag_saturated_pct"]
    if pct is not None and not (_number(pct) and 0 <= pct <= 100):
        raise ConfigError(f"flag_saturated_pct: expected a number from 0 to 100 or null, "
                          f"got {pct!r}")
    slides = c.get("slides")
    if not isinstance(slides, dict) or not slides:
        raise ConfigError("slides: expected one entry per slide")
    for name, slide in slides.items():
        # The name becomes a folder and a file name, and a column of the limma table.
        if not isinstance(name, str) or not re.fullmatch(r"[A-Za-z0-9][A-Za-z0-9_.-]*", name):
            raise ConfigError(f"slides.{name}: a slide name needs letters, digits, - or _")
        _check_slide(name, slide)
    # limma normalises single-colour slides between arrays and two-colour ones within each:
    # one run holds one kind.
    kinds = {name: "green" in slide for name, slide in slides.items()}
    if len(set(kinds.values())) > 1:
        first = next(iter(kinds))
        other = next(n for n, k in kinds.items() if k != kinds[first])
        raise ConfigError(f"slides.{other}: {'has' if kinds[other] else 'lacks'} green where "
                          f"slides.{first} {'does not' if kinds[other] else 'does'}; all slides "
                          f"are two-colour (red and green) or all single-colour (red only)")
    return c


def steps(c):
    """The grid steps of every slide after define-grid, in order."""
    s = []
    if c["auto_place"]:
        s.append("place")
    if c["adjust"] != "none":
        s.append("adjust")
    if "min_percent_found" in c:
        s.append("mark")
    return s


def flagged_lines(summary_path):
    """One line per slide that the QC summary flags, naming the criteria it fails."""
    with open(summary_path, encoding="utf-8") as f:
        rows = [line.rstrip("\n").split("\t") for line in f]
    header, rows = rows[0], rows[1:]
    slide, outlier = header.index("slide"), header.index("outlier")
    return [f"slide {r[slide]}: QC outlier: {r[outlier]}" for r in rows
            if len(r) > outlier and r[outlier]]


def input_files(c):
    """Every file the workflow reads, in the configuration's order, each once."""
    files = []
    for slide in c["slides"].values():
        for k in SLIDE_KEYS:
            if k in slide and slide[k] not in files:
                files.append(slide[k])
    return files


def config_text(c):
    """The configuration as run (defaults filled in), one key a line, keys sorted."""
    lines = []
    for k in sorted(c):
        if k == "slides":
            for name in sorted(c["slides"]):
                for key in sorted(c["slides"][name]):
                    lines.append(f"slides.{name}.{key}: {c['slides'][name][key]}")
        else:
            lines.append(f"{k}: {c[k]}")
    return "\n".join(lines)


def _sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def _r_versions():
    run = subprocess.run(["Rscript", "-e", 'cat(R.version$major, ".", R.version$minor, " ",'
                          ' as.character(packageVersion("limma")), sep = "")'],
                         capture_output=True, text=True, check=True)
    return run.stdout.split()


def write_provenance(path, program, config, files):
    """What made the results: the programs' versions, the configuration and every input's
    SHA-256 (in the form sha256sum checks)."""
    import snakemake
    r_version, limma_version = _r_versions()
    text = (f"orvane-batch: {program}\nsnakemake: {snakemake.__version__}\n"
            f"R: {r_version}\nlimma: {limma_version}\n\n[configuration]\n{config}\n\n"
            "[sha256]\n" + "".join(f"{_sha256(f)}  {f}\n" for f in files))
    with open(path + ".part", "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(path + ".part", path)
