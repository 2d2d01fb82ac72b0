# The example lab script, dry-run against the simulated controller: its reports byte for byte.
import os
import pathlib
import subprocess
import sys

SCRIPT = (pathlib.Path(__file__).resolve().parents[2] / "robot" / "python" / "examples"
          / "lab_run.py")

# Homing Z, X, Y from a set flag (fast pass away from the flag at v_home_f 4 over maxstep,
# slow pass back until the flag rises at v_home_s 2); axis 2 runs against the device.
# Then X +10000 (v 8, n 738), Y +1000 (v 2, n 372, device negative), Z -1000, X -5000 at
# velocity 16 (halved to 8, n 113), and the three idle commands.
EXPECTED_REPORTS = """\
00 03 30 01 40 04 ff ff 40
00 03 b8 01 40 02 7f 00 80
00 01 30 01 40 04 ff ff 40
00 01 b8 01 40 02 7f 00 80
00 02 b0 01 40 04 ff ff 40
00 02 38 01 40 02 7f 00 80
00 01 00 01 40 08 e2 03 01
00 02 80 01 40 02 74 02 01
00 03 80 01 40 02 74 02 01
00 01 80 01 40 08 71 01 01
00 01 40 00 00 00 00 00 00
00 02 40 00 00 00 00 00 00
00 03 40 00 00 00 00 00 00
"""


def run_script(tmp_path, **settings):
    log = tmp_path / "reports.txt"
    env = dict(os.environ, ARXUSB_SIMULATOR_LOG=str(log), **settings)
    result = subprocess.run([sys.executable, str(SCRIPT)], capture_output=True, env=env)
    return result, log.read_bytes() if log.exists() else b""


def test_the_lab_script_sends_the_expected_reports_and_prints_the_positions(tmp_path):
    result, reports = run_script(tmp_path, ARXUSB_SIMULATOR="1")
    assert result.returncode == 0, result.stderr
    assert reports == EXPECTED_REPORTS.encode()
    # Device direction: Y moved +1000 user steps on its reversed axis.
    assert result.stdout == (b"X: position 5000, aim 5000\n"
                             b"Y: position -1000, aim -1000\n"
                             b"Z: position -1000, aim -1000\n")


def test_the_lab_script_says_so_when_no_controller_answers(tmp_path):
    config = tmp_path / "other.conf"
    config.write_text("product_id = 0x4202\n")
    result, reports = run_script(tmp_path, ARXUSB_SIMULATOR=str(config))
    assert result.returncode == 1
    assert result.stdout == b"No controller with vendor id 0x4242 and product id 0x4201\n"
    assert reports == b""


def test_the_lab_script_reports_a_failed_write(tmp_path):
    config = tmp_path / "failing.conf"
    config.write_text("fail_writes_after = 3\n")
    result, reports = run_script(tmp_path, ARXUSB_SIMULATOR=str(config))
    assert result.returncode == 1
    assert result.stdout.startswith(b"The controller stopped answering (WriteErrorEx): ")
    assert reports == "".join(EXPECTED_REPORTS.splitlines(True)[:3]).encode()


def test_the_lab_script_stops_when_an_axis_does_not_home(tmp_path):
    # Z's flag lies beyond the reach of a homing pass: its passes fail, and nothing else moves.
    config = tmp_path / "far_flag.conf"
    config.write_text("flag_range_3 = 30000000 30000010\n")
    result, reports = run_script(tmp_path, ARXUSB_SIMULATOR=str(config))
    assert result.returncode == 1
    assert result.stdout == (b"\rERROR pass 1! flag raised and flag is 0!\n"
                             b"\rERROR - pass 3 ! flag raised and flag is 0!\n"
                             b"Axis Z did not home; stopping.\n")
    assert [line.split()[1] for line in reports.decode().splitlines()] == ["03"] * 3
