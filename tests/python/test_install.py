# cmake --install with --prefix puts the module under that prefix only, and the lab example runs
# from there: into a plain folder and into a virtual environment.
import importlib.util
import os
import subprocess
import sys
import sysconfig
import textwrap

import pytest

BUILD = os.environ.get("ARXUSB_BUILD_DIR")
PYTHON_DIR = "python%d.%d" % sys.version_info[:2]

pytestmark = pytest.mark.skipif(not BUILD, reason="run through ctest, which names the build")


def install(prefix):
    result = subprocess.run([os.environ["ARXUSB_CMAKE"], "--install", BUILD, "--prefix",
                             str(prefix)], capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
    with open(os.path.join(BUILD, "install_manifest.txt")) as manifest:
        return manifest.read().split()


@pytest.mark.parametrize("venv, folder", [(False, "dist-packages"), (True, "site-packages")])
def test_an_install_with_a_prefix_stays_there_and_runs_the_lab_example(tmp_path, venv, folder):
    prefix = tmp_path / "prefix"
    python = sys.executable
    if venv:
        subprocess.run([sys.executable, "-m", "venv", "--without-pip", str(prefix)], check=True)
        python = str(prefix / "bin" / "python")
    installed = install(prefix)
    site = prefix / "lib" / PYTHON_DIR / folder
    assert sorted(os.path.relpath(path, prefix) for path in installed) == sorted(
        [str(site.relative_to(prefix) / name) for name in
         ("_arxusb" + sysconfig.get_config_var("EXT_SUFFIX"), "arxusb.py",
          "arxusb-stubs/__init__.pyi", "_arxusb-stubs/__init__.pyi")]
        + ["share/arxusb/examples/lab_run.py"])
    env = dict(os.environ, ARXUSB_SIMULATOR="1")
    env.pop("PYTHONPATH")  # not the build folder: only the installed copy may be found
    if not venv:
        env["PYTHONPATH"] = str(site)
    example = prefix / "share" / "arxusb" / "examples" / "lab_run.py"
    result = subprocess.run(
        [python, "-c", "import arxusb, runpy; print(arxusb.__file__); "
                       "runpy.run_path(%r, run_name='__main__')" % str(example)],
        capture_output=True, text=True, env=env)
    assert result.returncode == 0, result.stderr
    assert result.stdout.splitlines() == [str(site / "arxusb.py"), "X: position 5000, aim 5000",
                                          "Y: position -1000, aim -1000",
                                          "Z: position -1000, aim -1000"]


@pytest.mark.skipif(importlib.util.find_spec("mypy") is None,
                    reason="mypy is missing (scripts/install-deps installs python3-mypy)")
@pytest.mark.parametrize("venv, folder", [(False, "dist-packages"), (True, "site-packages")])
def test_mypy_finds_the_installed_stubs(tmp_path, venv, folder):
    """Its one complaint about a script is the planted one: the stub packages are found where the
    module is, with no setting beyond what running the module needs."""
    prefix = tmp_path / "prefix"
    python = sys.executable
    env = dict(os.environ)
    env.pop("PYTHONPATH")
    if venv:
        subprocess.run([sys.executable, "-m", "venv", "--without-pip", str(prefix)], check=True)
        python = str(prefix / "bin" / "python")  # as a mypy installed in the environment runs
    else:
        env["PYTHONPATH"] = str(prefix / "lib" / PYTHON_DIR / folder)
    install(prefix)
    script = tmp_path / "typed_script.py"
    script.write_text(textwrap.dedent("""\
        import arxusb
        robot = arxusb.RobotControlImp()
        stage = arxusb.Stage(robot, steps_per_mm=(200, 200, 400))
        x: float = stage.position()[0]
        robot.waitdone(timeout=2.5)
        wrong: str = robot.aim(arxusb.AX)
        """))
    result = subprocess.run(
        [sys.executable, "-m", "mypy", "--python-executable", python, "--no-incremental",
         "--cache-dir", os.devnull, str(script)], capture_output=True, text=True, env=env)
    assert result.stdout.splitlines()[0] == (
        "%s:6: error: Incompatible types in assignment (expression has type \"int\", variable "
        "has type \"str\")  [assignment]" % script), result.stdout
