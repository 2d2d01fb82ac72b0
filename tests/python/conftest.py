# Fixtures of the _arxusb tests: simulated controllers with a report log and a configuration.
import os

import pytest

import arxusb


@pytest.fixture
def report_log(tmp_path, monkeypatch):
    """Reads back the output reports the simulated controller received, one hex line each.
    The log is chosen when a robot-control object is made, so take this fixture first."""
    path = tmp_path / "reports.txt"
    monkeypatch.setenv("ARXUSB_SIMULATOR_LOG", str(path))
    return lambda: path.read_text() if path.exists() else ""


@pytest.fixture
def simulator(tmp_path, monkeypatch):
    """Configures the simulated controller of objects made afterwards: simulator(key=value)."""
    def configure(**settings):
        path = tmp_path / "simulator.conf"
        path.write_text("".join("%s = %s\n" % item for item in settings.items()))
        monkeypatch.setenv("ARXUSB_SIMULATOR", str(path))
    monkeypatch.setenv("ARXUSB_SIMULATOR", "1")
    return configure


@pytest.fixture
def robot(simulator):
    """An initialised RobotControlImp on a default simulated controller."""
    imp = arxusb.RobotControlImp()
    assert imp.init() == 1
    return imp
