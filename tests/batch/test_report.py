"""orvane-batch report on a generated two-layer slide: the page parses as strict XML, every
embedded PNG decodes, the plots have axes, and the quad table holds the numbers of the GenePix
Results file of the same grid and scans. Refusals are those of extract."""

import base64
import os
import statistics
import sys
import xml.etree.ElementTree as ET

import pytest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
from orvane_tools import batch, decode_png, demo_slide, read_gpr  # noqa: E402

SVG = "{http://www.w3.org/2000/svg}"


@pytest.fixture(scope="module")
def slide(tmp_path_factory):
    work = tmp_path_factory.mktemp("report")
    red, green, slide_map = demo_slide(work / "slide", pixel_um=20, seed=5)
    grid = work / "grid.grd"
    batch("define-grid", "--map", slide_map, "--set", "spotDiameter=0.14", "-o", grid, red, green)
    adjusted = work / "adjusted.grd"
    batch("adjust", "--method", "2dw", "-o", adjusted, grid, red, green)
    # Spots not found marked, so that the marked column and the picture's crosses are tried.
    marked = work / "marked.grd"
    if batch("mark-not-found", "--help", check=False).returncode == 0:
        batch("mark-not-found", "-o", marked, adjusted, red, green)
    else:
        marked = adjusted
    gpr, report = work / "slide.gpr", work / "report.html"
    batch("extract", "--gpr", gpr, marked, red, green)
    batch("report", "-o", report, marked, red, green)
    return {"work": work, "red": red, "green": green, "grid": marked, "gpr": gpr,
            "report": report}


def test_page_is_well_formed_and_self_contained(slide):
    text = slide["report"].read_text(encoding="utf-8")
    root = ET.fromstring(text.split("\n", 1)[1])  # after <!DOCTYPE html>
    assert root.tag == "html"
    ids = {e.get("id") for e in root.iter() if e.get("id")}
    for section in ("scan-section", "grid-section", "picture-section", "maps-section",
                    "ma-section", "snr-section", "quads-section", "quad-table"):
        assert section in ids
    # Nothing outside the file: no scripts, no links, every image a data: URL.
    assert not list(root.iter("script")) and not list(root.iter("link"))
    images = list(root.iter("img"))
    assert len(images) == 4  # the slide, two background maps, the log ratio map
    for img in images:
        prefix = "data:image/png;base64,"
        assert img.get("src").startswith(prefix)
        width, height = decode_png(base64.b64decode(img.get("src")[len(prefix):], validate=True))
        assert (width, height) == (int(img.get("width")), int(img.get("height")))
    # The M-A and SNR plots have a frame, ticks with labels and both axis titles.
    plots = [s for s in root.iter(SVG + "svg") if s.find(SVG + "title").text in
             ("M–A plot", "SNR distribution")]
    assert len(plots) == 2
    for plot in plots:
        labels = [t.text for t in plot.iter(SVG + "text")]
        assert len(list(plot.iter(SVG + "line"))) >= 6 and len(labels) >= 8
    ma_labels = [t.text for t in plots[0].iter(SVG + "text")]
    assert "M = log2(R / G)" in ma_labels and "A = ½ log2(R × G)" in ma_labels
    scans = root.find(".//table[@id='scans']")
    cells = [td.text for td in scans.iter("td")]
    assert str(slide["red"]) in cells and "1200 × 3650" in cells


def expected_rows(gpr_rows):
    """The quad table computed from the GenePix file: by block, then all spots."""
    blocks = {}
    for r in gpr_rows:
        blocks.setdefault(int(r["Block"]), []).append(r)
    out = [(str(b), rows) for b, rows in sorted(blocks.items())]
    return out + [("All", gpr_rows)]


def test_quad_table_holds_the_genepix_numbers(slide):
    root = ET.fromstring(slide["report"].read_text(encoding="utf-8").split("\n", 1)[1])
    table = root.find(".//table[@id='quad-table']")
    rows = [[c.text or "" for c in tr] for tr in table.find("tbody")]
    expected = expected_rows(read_gpr(slide["gpr"]))
    assert len(rows) == len(expected) == 49
    marked_total = 0
    for row, (block, spots) in zip(rows, expected):
        assert row[0] == block
        well = [s for s in spots if s["Flags"] != "-75"]
        # Spots with a well but no pixel in the scans are counted apart from the measured ones.
        outside = [s for s in well if s["F Pixels"] == "0"]
        measured = [s for s in well if s["F Pixels"] != "0"]
        marked = [s for s in measured if s["Flags"] == "-100"]
        saturated = [s for s in measured if int(s["F635 % Sat."]) > 0 or int(s["F532 % Sat."]) > 0]
        counts = [len(spots), len(measured), len(marked), len(spots) - len(well), len(outside),
                  len(saturated)]
        assert [int(v) for v in row[3:9]] == counts, f"block {block}"
        for i, wave in enumerate(("635", "532")):
            snr = [float(s["SNR " + wave]) for s in measured if s["SNR " + wave] != "Error"]
            assert float(row[9 + i]) == pytest.approx(statistics.median(snr), abs=0.006)
            found = sum(int(s[f"% > B{wave}+2SD"]) >= 70 for s in measured)
            assert float(row[11 + i]) == pytest.approx(100 * found / len(measured), abs=0.051)
        if block != "All":
            marked_total += len(marked)
    assert int(rows[-1][5]) == marked_total


@pytest.mark.parametrize("args", [
    ["-o", "{work}/r.html", "{work}/missing.grd", "{red}", "{green}"],
    ["-o", "{work}/r.html", "{grid}", "{work}/missing.tif"],
    ["-o", "{red}", "{grid}", "{red}", "{green}"],
    ["--current-quad", "3,15", "-o", "{work}/r.html", "{grid}", "{red}", "{green}"],
    ["-o", "{work}/r.html", "{grid}"],
])
def test_refuses_what_extract_refuses(slide, args):
    args = [a.format(**slide) for a in args]
    report = batch("report", *args, check=False)
    extract = batch("extract", *args, check=False)
    assert report.returncode == extract.returncode != 0
    # The same first line (a usage error's second line shows each command's own usage).
    assert report.stderr.splitlines()[0].replace("orvane-batch report", "orvane-batch extract") \
        == extract.stderr.splitlines()[0]
    assert not os.path.exists(os.path.join(slide["work"], "r.html"))
