"""The Snakemake workflow end to end on two small generated slides (20 um): every per-slide
output equals the same orvane-batch commands run by hand, a failing slide stops with
orvane-batch's message naming it while the other slide's results stay, and the limma step
writes one line per spot. Every configuration key re-runs the steps it shapes. The QC summary
flags a blank and a shifted slide by the rules meant for them. The configuration checks stop bad
configurations before any work."""

import hashlib
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
from orvane_tools import (BATCH, DEMO_SLIDE, batch, demo_slide, read_gpr,  # noqa: E402
                          write_tiff)

SNAKEMAKE = shutil.which("snakemake")
pytestmark = pytest.mark.skipif(SNAKEMAKE is None, reason="snakemake is not installed "
                                "(scripts/install-deps installs it)")


def write_config(path, slides, **keys):
    """A configuration of `slides` with the keys of the hand-run steps, overridden by `keys`."""
    top = {"orvane_batch": os.path.abspath(BATCH), "spot_diameter_mm": 0.14,
           "min_percent_found": 70, "keep_steps": "true", **keys}
    text = "".join(f"{k}: {v}\n" for k, v in top.items()) + "slides:\n"
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
    # A slide whose red scan is a TIFF of the right size but 8-bit: only define-grid refuses it.
    bad = work / "bad_635.tif"
    write_tiff(bad, *orvane_config.tiff_size(out["a"]["red"]), bits=8)
    out["bad"] = {"red": str(bad), "green": out["a"]["green"], "map": out["a"]["map"]}
    # Slides of one print job share one slide map; a demo slide's own map differs by seed.
    out["c"]["map"] = out["a"]["map"]
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


def without_provenance(path):
    """The report without "How this was made", which the workflow fills from its settings."""
    text = path.read_text(encoding="utf-8")
    return text[:text.index('<section id="provenance-section">')]


def test_slides_end_to_end(slides):
    work, s = slides
    config = work / "first.yaml"
    write_config(config, {"a": s["a"], "bad": s["bad"]})
    first = snakemake(work, config)
    assert first.returncode != 0
    # orvane-batch's own message, with the slide's name in front, and the status it exited with.
    assert "slide bad: Sorry, this version supports only 16-bit gray scale TIFF format." in \
        first.stderr, first.stderr
    assert "slide bad: orvane-batch define-grid exited with status 1" in first.stderr
    assert not (work / "results" / "bad" / "grid.grd").exists()
    assert not (work / "results" / "limma").exists()

    hand = by_hand(work / "hand", "a", s["a"])
    results = work / "results" / "a"
    for name in ("steps/define.grd", "steps/place.grd", "steps/adjust.grd", "grid.grd",
                 "spot_data.txt"):
        assert (results / name).read_bytes() == (hand / name).read_bytes(), name
    assert without_provenance(results / "report.html") == without_provenance(hand / "report.html")
    made = (results / "report.html").read_text(encoding="utf-8")
    assert "<th scope=\"row\">adjust</th><td>--method 2dw</td>" in made
    # The log a failure points to says why.
    assert "16-bit" in (work / "results" / "bad" / "logs" / "define-grid.txt").read_text()
    # The GenePix file differs only in the time it was written.
    assert without_date(results / "a.gpr") == without_date(hand / "a.gpr")
    kept = (results / "report.html").stat().st_mtime_ns

    config = work / "second.yaml"
    write_config(config, {"a": s["a"], "c": s["c"]})
    second = snakemake(work, config)
    assert second.returncode == 0, second.stderr
    assert (results / "report.html").stat().st_mtime_ns == kept, "slide a is not run again"
    lines = (work / "results" / "limma" / "normalized.tsv").read_text().splitlines()
    assert lines[0].split("\t") == ["Block", "Column", "Row", "ID", "Name", "M a", "A a", "W a",
                                    "M c", "A c", "W c"]
    assert len(lines) == 1 + 4 * 12 * 12 * 12
    assert all(len(line.split("\t")) == 11 for line in lines)
    # Flagged spots (no well, marked) weigh nothing; the others fully.
    flags = [int(row["Flags"]) for row in read_gpr(results / "a.gpr")]
    weights = [float(line.split("\t")[7]) for line in lines[1:]]
    assert weights == [0.0 if f < 0 else 1.0 for f in flags]
    assert (work / "results" / "limma" / "MA.pdf").read_bytes().startswith(b"%PDF")


def jobs_to_run(work, config):
    """The jobs a dry run would run, as {rule: count}."""
    run = snakemake(work, config, "--dry-run", "--quiet")
    assert run.returncode == 0, run.stderr
    jobs = {}
    for line in run.stdout.splitlines():
        cells = line.split()
        if len(cells) == 4 and cells[1].isdigit() and cells[0] != "total":
            jobs[cells[0]] = int(cells[1])
    return jobs


GRID_STEPS = ("define_grid", "place", "adjust", "mark_not_found")
ACROSS = {"limma": 1, "qc": 1, "qc_verdict": 1, "provenance": 1, "all": 1}


def per_slide(rules, slides=2):
    return dict({r: slides for r in rules}, **ACROSS)


@pytest.mark.parametrize("key, change, expected", [
    ("spot_diameter_mm", lambda c, s, w: c.update(spot_diameter_mm=0.15),
     per_slide(GRID_STEPS + ("extract", "report"))),
    ("adjust", lambda c, s, w: c.update(adjust="cm"),
     per_slide(("adjust", "mark_not_found", "extract", "report"))),
    ("min_percent_found", lambda c, s, w: c.update(min_percent_found=60),
     per_slide(("mark_not_found", "extract", "report"))),
    ("auto_place", lambda c, s, w: c.update(auto_place="false"),
     per_slide(("adjust", "mark_not_found", "extract", "report"))),
    ("orvane_batch", lambda c, s, w: c.update(orvane_batch=w / "orvane-batch"),
     per_slide(GRID_STEPS + ("extract", "report"))),
    ("slides.a.red", lambda c, s, w: s["a"].update(red=w / "copy_635.tif"),
     per_slide(GRID_STEPS + ("extract", "report"), slides=1)),
    ("slides.a.map", lambda c, s, w: s["a"].update(map=w / "copy_map.txt"),
     per_slide(GRID_STEPS + ("extract", "report"), slides=1)),
    ("flag_saturated_pct", lambda c, s, w: c.update(flag_saturated_pct=5),
     per_slide(("extract", "report"))),
    ("keep_steps", lambda c, s, w: c.update(keep_steps="false"), {"provenance": 1, "all": 1}),
    ("fail_on_outlier", lambda c, s, w: c.update(fail_on_outlier="true"),
     {"qc_verdict": 1, "provenance": 1, "all": 1}),
])
def test_each_key_reruns_the_steps_it_shapes(slides, key, change, expected):
    """Runs after the end-to-end test, on its results for slides a and c."""
    work, s = slides
    if not (work / "results" / "c" / "c.gpr").exists():
        pytest.skip("needs the end-to-end run")
    copies = work / "copies"
    if not copies.exists():
        copies.mkdir()
        shutil.copy(s["a"]["red"], copies / "copy_635.tif")
        shutil.copy(s["a"]["map"], copies / "copy_map.txt")
        os.symlink(os.path.abspath(BATCH), copies / "orvane-batch")
    keys, chosen = {}, {"a": dict(s["a"]), "c": dict(s["c"])}
    change(keys, chosen, copies)
    config = work / f"change-{key}.yaml"
    write_config(config, chosen, **keys)
    assert jobs_to_run(work, config) == expected


@pytest.fixture(scope="module")
def qc_run(slides, tmp_path_factory):
    """Two good slides, a blank one (nothing printed) and a shifted one (its left quads outside
    the scan) through the workflow with temporary intermediate grids."""
    work, s = slides
    qc = tmp_path_factory.mktemp("qc")
    chosen = {"a": s["a"], "c": s["c"]}
    for name, options in (("blank", ["--blank"]), ("shifted", ["--scan-x-mm", "6"])):
        subprocess.run([os.path.abspath(DEMO_SLIDE), "--pixel-um", "20", "--seed", "5", *options,
                        "-o", str(qc / name)], check=True, capture_output=True)
        chosen[name] = {"red": qc / name / "demo_635.tif", "green": qc / name / "demo_532.tif",
                        "map": s["a"]["map"]}
    config = qc / "qc.yaml"
    write_config(config, chosen, keep_steps="false")
    return qc, config, chosen, snakemake(qc, config)


def summary_rows(path):
    lines = path.read_text().splitlines()
    header = lines[0].split("\t")
    return {row[0]: dict(zip(header, row)) for row in (line.split("\t") for line in lines[1:])}


def test_qc_flags_the_blank_and_the_shifted_slide(qc_run):
    qc, _, _, run = qc_run
    assert run.returncode == 0, run.stderr
    rows = summary_rows(qc / "results" / "qc" / "summary.tsv")
    assert list(rows) == ["a", "c", "blank", "shifted"]
    assert list(rows["a"]) == [
        "slide", "quads_placed", "quads_in_use", "found_pct_1", "found_pct_2", "median_snr_1",
        "median_snr_2", "saturated_spots", "distance", "ks", "hoeffding_d", "spatial_lf",
        "outlier"]
    assert rows["a"]["outlier"] == rows["c"]["outlier"] == ""
    assert "found" in rows["blank"]["outlier"].split(",")
    assert "placement" in rows["shifted"]["outlier"].split(",")
    assert f"slide shifted: QC outlier: {rows['shifted']['outlier']}" in run.stderr
    page = (qc / "results" / "qc" / "index.html").read_text(encoding="utf-8")
    assert '<a href="../blank/report.html">blank</a>' in page
    assert '<td class="fail">' in page
    # The shifted slide's spots outside the scan are flagged Not Found, with one warning a step.
    flags = [row["Flags"] for row in read_gpr(qc / "results" / "shifted" / "shifted.gpr")]
    assert flags.count("-50") >= 12 * 12 * 12 // 2
    warning = "slide shifted: warning: "
    assert run.stderr.count(warning) == 2, "extract and report"
    assert "wholly or partly outside the scans" in (
        qc / "results" / "shifted" / "logs" / "extract.txt").read_text()
    # Intermediate grids are temporary unless keep_steps is set.
    assert not (qc / "results" / "a" / "steps").exists() or \
        not list((qc / "results" / "a" / "steps").iterdir())


def test_provenance_names_versions_configuration_and_inputs(qc_run):
    qc, _, chosen, _ = qc_run
    text = (qc / "results" / "provenance.txt").read_text()
    for line in ("orvane-batch: ", "snakemake: ", "R: ", "limma: ", "keep_steps: False",
                 f"slides.blank.red: {chosen['blank']['red']}"):
        assert line in text, line
    digest = hashlib.sha256(chosen["shifted"]["green"].read_bytes()).hexdigest()
    assert f"{digest}  {chosen['shifted']['green']}\n" in text


def test_limma_refuses_slides_whose_spots_differ(qc_run, tmp_path):
    qc, _, _, _ = qc_run
    lines = (qc / "results" / "a" / "a.gpr").read_bytes().decode().split("\r\n")
    # The spot at Block 1, Column 3, Row 1 under another name on the other slide.
    at = next(i for i, line in enumerate(lines) if line.startswith("1\t3\t1\t"))
    cells = lines[at].split("\t")
    name, cells[3] = cells[3].strip('"'), '"other"'
    lines[at] = "\t".join(cells)
    other = tmp_path / "other.gpr"
    other.write_bytes("\r\n".join(lines).encode())
    table = tmp_path / "normalized.tsv"
    run = subprocess.run(["Rscript", os.path.join(WORKFLOW, "scripts", "limma_normalize.R"),
                          str(table), str(tmp_path / "MA.pdf"), f"a={qc}/results/a/a.gpr",
                          f"b={other}"], capture_output=True, text=True)
    assert run.returncode != 0
    assert (f"slide b differs from slide a at spot 3 (Block 1, Column 3, Row 1): Name 'other' "
            f"where slide a has '{name}'") in run.stderr, run.stderr
    assert not table.exists()


def test_fail_on_outlier_fails_after_everything_is_written(qc_run):
    qc, config, chosen, _ = qc_run
    write_config(config, chosen, keep_steps="false", fail_on_outlier="true")
    run = snakemake(qc, config)
    assert run.returncode != 0
    assert "slide blank: QC outlier: " in run.stderr
    assert (qc / "results" / "qc" / "summary.tsv").exists()
    assert (qc / "results" / "provenance.txt").exists()


def test_bad_configuration_stops_before_any_work(slides, tmp_path):
    _, s = slides
    config = tmp_path / "bad.yaml"
    write_config(config, {"a": dict(s["a"], gal=s["a"]["map"])})
    run = snakemake(tmp_path, config)
    assert run.returncode != 0
    assert "slides.a: give exactly one of map and gal, not map and gal" in run.stderr
    assert not (tmp_path / "results").exists()


def test_single_colour_slides_are_quantile_normalised(slides, tmp_path):
    _, s = slides
    config = tmp_path / "single.yaml"
    write_config(config, {n: {"red": s[n]["red"], "map": s[n]["map"]} for n in ("a", "c")})
    run = snakemake(tmp_path, config)
    assert run.returncode == 0, run.stderr
    columns = read_gpr(tmp_path / "results" / "a" / "a.gpr")[0]
    assert "F635 Median" in columns and not any("532" in c for c in columns)
    lines = (tmp_path / "results" / "limma" / "normalized.tsv").read_text().splitlines()
    assert lines[0].split("\t")[5:] == ["E a", "W a", "E c", "W c"]
    # Quantile normalisation gives every slide the same distribution of values (up to how limma
    # interpolates between tied ranks).
    means = [sum(float(line.split("\t")[i]) for line in lines[1:]) / (len(lines) - 1)
             for i in (5, 7)]
    assert means[0] == pytest.approx(means[1], rel=1e-3)
    assert (tmp_path / "results" / "qc" / "summary.tsv").exists()


@pytest.mark.parametrize("change, message", [
    (lambda c: c["slides"]["a"].update(red="missing.tif"), "slides.a.red: no such file"),
    (lambda c: c["slides"]["a"].update(blue="x"), "slides.a.blue: unknown key"),
    (lambda c: c["slides"]["a"].pop("map"), "slides.a: give exactly one of map and gal, not "
                                            "neither"),
    (lambda c: c["slides"]["a"].pop("red"), "slides.a.red: missing"),
    (lambda c: c["slides"].update(b={k: c["slides"]["a"][k] for k in ("red", "map")}),
     "slides.b: lacks green where slides.a does; all slides are two-colour"),
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


@pytest.fixture(scope="module")
def odd_files(slides, tmp_path_factory):
    """Files that are not what a slide's keys say, and scans of other sizes in other TIFF
    layouts (BigTIFF, big-endian)."""
    _, s = slides
    odd = tmp_path_factory.mktemp("odd")
    (odd / "text.tif").write_text("not a scan\n")
    with open(s["a"]["red"], "rb") as f:
        (odd / "header.tif").write_bytes(f.read(8))  # its directory cut off
    (odd / "bom.gal").write_bytes(b"\xef\xbb\xbfATF\t1.0\r\n")
    width, height = orvane_config.tiff_size(s["a"]["red"])
    # The sizes in the refusals below show that each layout's header is read right.
    for name, mode, w, h in (("wider-bigtiff", "w8b", width + 1, height),
                             ("taller-big-endian", "wb", width, height + 1)):
        write_tiff(odd / f"{name}.tif", w, h, mode)
    return odd


@pytest.mark.parametrize("key, file, message", [
    ("red", "text.tif", "slides.a.red: not a TIFF image: {file}"),
    ("green", "header.tif", "slides.a.green: not a TIFF image: {file}"),
    ("map", "bom.gal", "slides.a.map: not a slide map data file (it has no zone lines): {file}"),
    ("gal", "text.tif", "slides.a.gal: not a GenePix Array List (it does not begin with ATF): "
                        "{file}"),
    ("gal", "bom.gal", None),
    ("green", "wider-bigtiff.tif", "slides.a: the scans differ in size: red {red} is {w} x {h} "
                                   "pixels, green {file} is {w1} x {h} pixels"),
    ("green", "taller-big-endian.tif", "slides.a: the scans differ in size: red {red} is {w} x "
                                       "{h} pixels, green {file} is {w} x {h1} pixels"),
])
def test_files_not_what_their_key_says(slides, odd_files, key, file, message):
    _, s = slides
    slide = {k: v for k, v in s["a"].items() if key != "gal" or k != "map"}
    slide[key] = str(odd_files / file)
    config = {"orvane_batch": BATCH, "slides": {"a": slide}}
    if message is None:
        orvane_config.check(config)
        return
    w, h = orvane_config.tiff_size(s["a"]["red"])
    with pytest.raises(orvane_config.ConfigError) as refused:
        orvane_config.check(config)
    assert str(refused.value) == message.format(file=slide[key], red=s["a"]["red"], w=w, h=h,
                                                w1=w + 1, h1=h + 1)


def test_steps_follow_the_configuration():
    base = {"auto_place": True, "adjust": "2dw"}
    assert orvane_config.steps(dict(base, min_percent_found=70)) == ["place", "adjust", "mark"]
    assert orvane_config.steps(dict(base, auto_place=False, adjust="none")) == []
