"""The Snakemake workflow end to end on two small generated slides (20 um): every per-slide
output equals the same orvane-batch commands run by hand, a failing slide stops with
orvane-batch's message naming it while the other slide's results stay, and the limma step
writes one line per spot. The configuration checks stop bad configurations before any work."""

import os
import shutil
import subprocess
import sys

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
WORKFLOW = os.path.join(HERE, "..", "..", "workflow")
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, WORKFLOW)
import orvane_config  # noqa: E402
from orvane_tools import BATCH, batch, demo_slide  # noqa: E402

SNAKEMAKE = shutil.which("snakemake")
pytestmark = pytest.mark.skipif(SNAKEMAKE is None, reason="snakemake is not installed "
                                "(scripts/install-deps installs it)")


def write_config(path, slides, extra=""):
    text = f"orvane_batch: {os.path.abspath(BATCH)}\nspot_diameter_mm: 0.14\n" \
           f"min_percent_found: 70\n{extra}slides:\n"
    for name, files in slides.items():
        text += f"  {name}:\n" + "".join(f"    {k}: {v}\n" for k, v in files.items())
    path.write_text(text)


def snakemake(work, config, *extra):
    return subprocess.run([SNAKEMAKE, "-s", os.path.join(WORKFLOW, "Snakefile"), "--cores", "2",
                           "--keep-going", "--configfile", str(config), *extra],
                          cwd=work, capture_output=True, text=True)


@pytest.fixture(scope="module")
def slides(tmp_path_factory):
    work = tmp_path_factory.mktemp("workflow")
    out = {}
    for name, seed in (("a", 11), ("c", 12)):
        red, green, slide_map = demo_slide(work / name, pixel_um=20, seed=seed, placement_mm=0.8,
                                           pin_offset=0.3)
        out[name] = {"red": red, "green": green, "map": slide_map}
    # A slide whose red scan is no TIFF: define-grid refuses it.
    bad = work / "bad_635.tif"
    bad.write_text("not a scan\n")
    out["bad"] = {"red": str(bad), "green": out["a"]["green"], "map": out["a"]["map"]}
    return work, out


def by_hand(folder, name, s):
    """The per-slide commands of the workflow typed by hand in `folder`, with the same file
    names (the report shows the grid file's name as given)."""
    r = f"results/{name}"
    (folder / r / "steps").mkdir(parents=True)
    scans = [s["red"], s["green"]]

    def run(*args):
        batch(*args, cwd=folder)

    run("define-grid", "--map", s["map"], "--set", "spotDiameter=0.14", "-o",
        f"{r}/steps/define.grd", *scans)
    run("place", "-o", f"{r}/steps/place.grd", f"{r}/steps/define.grd", *scans)
    run("adjust", "--method", "2dw", "-o", f"{r}/steps/adjust.grd", f"{r}/steps/place.grd",
        *scans)
    run("mark-not-found", "--min-percent", "70", "-o", f"{r}/grid.grd", f"{r}/steps/adjust.grd",
        *scans)
    # Saturated spots are flagged by default (flag_saturated_pct 10).
    run("extract", "-o", f"{r}/spot_data.txt", "--gpr", f"{r}/{name}.gpr", "--flag-saturated",
        "10", f"{r}/grid.grd", *scans)
    run("report", "--flag-saturated", "10", "-o", f"{r}/report.html", f"{r}/grid.grd", *scans)
    return folder / r


def without_date(path):
    with open(path, "rb") as f:
        return [line for line in f.read().split(b"\r\n") if not line.startswith(b'"DateTime=')]


def test_slides_end_to_end(slides):
    work, s = slides
    config = work / "first.yaml"
    write_config(config, {"a": s["a"], "bad": s["bad"]})
    first = snakemake(work, config)
    assert first.returncode != 0
    # orvane-batch's own message, with the slide's name in front, and the status it exited with.
    assert f"slide bad: {s['bad']['red']}: Not a TIFF" in first.stderr, first.stderr
    assert "slide bad: orvane-batch define-grid exited with status 1" in first.stderr
    assert not (work / "results" / "bad" / "grid.grd").exists()
    assert not (work / "results" / "limma").exists()

    hand = by_hand(work / "hand", "a", s["a"])
    results = work / "results" / "a"
    for name in ("steps/define.grd", "steps/place.grd", "steps/adjust.grd", "grid.grd",
                 "spot_data.txt", "report.html"):
        assert (results / name).read_bytes() == (hand / name).read_bytes(), name
    # The GenePix file differs only in the time it was written.
    assert without_date(results / "a.gpr") == without_date(hand / "a.gpr")
    kept = (results / "report.html").stat().st_mtime_ns

    config = work / "second.yaml"
    write_config(config, {"a": s["a"], "c": s["c"]})
    second = snakemake(work, config)
    assert second.returncode == 0, second.stderr
    assert (results / "report.html").stat().st_mtime_ns == kept, "slide a is not run again"
    lines = (work / "results" / "limma" / "normalized.tsv").read_text().splitlines()
    assert lines[0].split("\t") == ["Block", "Column", "Row", "ID", "M a", "A a", "M c", "A c"]
    assert len(lines) == 1 + 4 * 12 * 12 * 12
    assert all(len(line.split("\t")) == 8 for line in lines)
    assert (work / "results" / "limma" / "MA.pdf").read_bytes().startswith(b"%PDF")


def test_bad_configuration_stops_before_any_work(slides, tmp_path):
    _, s = slides
    config = tmp_path / "bad.yaml"
    write_config(config, {"a": dict(s["a"], gal=s["a"]["map"])})
    run = snakemake(tmp_path, config)
    assert run.returncode != 0
    assert "slides.a: give exactly one of map and gal, not map and gal" in run.stderr
    assert not (tmp_path / "results").exists()


@pytest.mark.parametrize("change, message", [
    (lambda c: c["slides"]["a"].update(red="missing.tif"), "slides.a.red: no such file"),
    (lambda c: c["slides"]["a"].update(blue="x"), "slides.a.blue: unknown key"),
    (lambda c: c["slides"]["a"].pop("map"), "slides.a: give exactly one of map and gal, not "
                                            "neither"),
    (lambda c: c["slides"]["a"].pop("green"), "slides.a.green: missing"),
    (lambda c: c.update(adjsut="cm"), "adjsut: unknown key"),
    (lambda c: c.update(adjust="3dw"), "adjust: expected one of"),
    (lambda c: c.update(auto_place="yes"), "auto_place: expected true or false"),
    (lambda c: c.update(min_percent_found=170), "min_percent_found: expected a number"),
    (lambda c: c.update(flag_saturated_pct="10"), "flag_saturated_pct: expected a number"),
    (lambda c: c.update(orvane_batch="/nonexistent"), "orvane_batch: no such file"),
    (lambda c: c.update(slides={}), "slides: expected one entry per slide"),
    (lambda c: c["slides"].update({"a b": c["slides"]["a"]}), "slides.a b: a slide name"),
])
def test_configuration_checks_name_the_key(slides, change, message):
    _, s = slides
    config = {"orvane_batch": BATCH, "slides": {"a": dict(s["a"])}}
    change(config)
    with pytest.raises(orvane_config.ConfigError, match=message.replace(".", r"\.")):
        orvane_config.check(config)


def test_steps_follow_the_configuration():
    base = {"auto_place": True, "adjust": "2dw"}
    assert orvane_config.steps(dict(base, min_percent_found=70)) == ["place", "adjust", "mark"]
    assert orvane_config.steps(dict(base, auto_place=False, adjust="none")) == []
