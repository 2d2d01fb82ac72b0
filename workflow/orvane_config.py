"""The workflow's configuration: its keys, their defaults, and the checks that run before any
work, so that a typing error or a missing scan stops the run at once with the key named."""

import os
import re

DEFAULTS = {
    "orvane_batch": "build/analysis/batch/orvane-batch",
    "auto_place": True,
    "adjust": "2dw",
    "flag_saturated_pct": 10,
}
TOP_KEYS = ("orvane_batch", "spot_diameter_mm", "auto_place", "adjust", "min_percent_found",
            "flag_saturated_pct", "slides")
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


def _check_slide(name, slide):
    key = f"slides.{name}"
    if not isinstance(slide, dict):
        raise ConfigError(f"{key}: expected the keys red, green and map or gal")
    for k in slide:
        if k not in SLIDE_KEYS:
            raise ConfigError(f"{key}.{k}: unknown key (expected red, green, map or gal)")
    for k in ("red", "green"):
        if k not in slide:
            raise ConfigError(f"{key}.{k}: missing")
    layouts = [k for k in ("map", "gal") if k in slide]
    if len(layouts) != 1:
        raise ConfigError(f"{key}: give exactly one of map and gal, not "
                          + (" and ".join(layouts) if layouts else "neither"))
    for k in ("red", "green") + tuple(layouts):
        _need_file(f"{key}.{k}", slide[k])


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
    if not isinstance(c["auto_place"], bool):
        raise ConfigError(f"auto_place: expected true or false, got {c['auto_place']!r}")
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
