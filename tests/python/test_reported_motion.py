# The robot moves as it reports, seen from Python: refusals with their texts and nothing sent,
# time limits on a stalled controller, homing messages where Python looks for them, the
# millimetre stage against the simulator's reported positions.
import contextlib
import io
import logging
import time

import pytest

import arxusb

AX, AY, AZ = arxusb.AX, arxusb.AY, arxusb.AZ


@pytest.mark.parametrize("steps, options, text", [
    (6000000, {"velocity": 300}, "move on axis 1: speed 300 does not fit the command (1..255)"),
    (8388608, {}, "move on axis 1: target 8388608 (device steps) lies outside the positions"),
    (1000, {"rampOffset": 16320}, "move on axis 1: rampOffset 16320 gives offset byte 256"),
])
def test_a_move_the_controller_cannot_carry_is_refused_and_nothing_is_sent(
        report_log, robot, steps, options, text):
    with pytest.raises(arxusb.RobotParEx, match="^" + text.replace("(", r"\(").replace(")", r"\)")):
        robot.move(AX, steps, **options)
    assert robot.aim(AX) == 0 and report_log() == ""


def test_travel_limits_of_the_record_refuse_a_target_outside(simulator):
    robot = arxusb.RobotControlImp()
    par = arxusb.RobotControlPar()
    par.set_travel_limits(AY, -5000, 0)
    assert robot.init(par) == 1
    with pytest.raises(arxusb.RobotParEx, match="outside the travel limits -5000..0"):
        robot.move(AY, 1000)
    assert robot.move(AY, -5000) == -5000


@pytest.mark.parametrize("wait", [lambda r: r.waitdone(timeout=0.3), lambda r: r.flush(0.3),
                                  lambda r: r.home(AZ, timeout=0.3)])
def test_a_stalled_controller_raises_timeoutex_soon_after_the_limit(simulator, wait):
    simulator(stall_after_reports=2)
    robot = arxusb.RobotControlImp()
    assert robot.init() == 1
    robot.move(AX, 100000)
    start = time.monotonic()
    with pytest.raises(TimeoutError) as raised:
        wait(robot)
    assert 0.3 <= time.monotonic() - start < 0.4
    assert isinstance(raised.value, arxusb.ReadErrorEx)
    assert "not done within 0.3 s" in str(raised.value)
    assert robot.coord(AX) == 0  # still open and answering


def test_a_timeout_must_be_a_positive_number(robot):
    for bad in (0, -1, float("nan")):
        with pytest.raises(ValueError, match="timeout"):
            robot.waitdone(bad)
    robot.waitdone(timeout=5)


def test_homing_messages_reach_sys_stdout_and_the_logger(simulator, capfd, caplog):
    simulator(flag_range_1="-9000000 -8000000")  # out of reach
    robot = arxusb.RobotControlImp()
    par = arxusb.RobotControlPar()
    par.set_maxstep(AX, 1000)
    assert robot.init(par) == 1
    out = io.StringIO()
    with contextlib.redirect_stdout(out), caplog.at_level(logging.WARNING, logger="arxusb"):
        assert robot.home(AX) == 0
    assert out.getvalue() == ("\rERROR pass 1! flag raised and flag is 0!\n"
                              "\rERROR - pass 3 ! flag raised and flag is 0!\n")
    assert [r.getMessage() for r in caplog.records] == [
        "homing axis 1: ERROR pass 1! flag raised and flag is 0!",
        "homing axis 1: ERROR - pass 3 ! flag raised and flag is 0!"]
    assert capfd.readouterr().out == ""


def test_exceptions_take_a_message():
    assert str(arxusb.UnreliableFlagEx("X did not home")) == "X did not home"
    assert str(arxusb.ReadErrorEx()).startswith("the controller's status")
    with pytest.raises(arxusb.UnreliableFlagEx, match="Y"):
        raise arxusb.HomingError("Y did not home")


def stage_on(robot, **options):
    return arxusb.Stage(robot, steps_per_mm=(200, 200, 400),
                        limits_mm=((0, 120), (-80, 0), None), **options)


def test_the_stage_goes_to_millimetres_in_the_user_direction(robot):
    stage = stage_on(robot)
    stage.move_to(x=10.5, y=-20, z=2.5)
    stage.wait(timeout=30)
    assert stage.position() == (10.5, -20.0, 2.5)
    assert robot.coord(AY) == 4000  # AY counts the other way in the device
    stage.move_by(x=0.25, y=-0.01)  # shorter than a ramp: finished at speed 1
    stage.wait()
    assert stage.position() == (10.75, -20.01, 2.5)


def test_the_stage_refuses_a_target_outside_its_limits_before_sending_anything(report_log,
                                                                              robot):
    stage = stage_on(robot)
    with pytest.raises(arxusb.RobotParEx, match=r"^y = 1 mm lies outside the stage's limits"):
        stage.move_to(x=50, y=1)
    with pytest.raises(arxusb.RobotParEx, match=r"^z = 30000 mm .* lies outside the axis' travel"):
        stage.move_by(z=30000)
    assert report_log() == "" and robot.aim(AX) == 0


def test_the_stage_estimates_from_the_ramp_rules(robot):
    # 1000 steps at the default v_max: a = 64, v halved to 2, n = 372; 2*a*v + n ticks.
    assert stage_on(robot, tick_s=0.001).estimate(x=5) == pytest.approx(0.628)
    with pytest.raises(ValueError, match="tick_s"):
        stage_on(robot).estimate(x=5)


def test_the_stage_raises_homingerror_naming_the_axis(simulator):
    simulator(flag_range_3="-9000000 -8000000")
    robot = arxusb.RobotControlImp()
    par = arxusb.RobotControlPar()
    par.set_maxstep(AZ, 1000)
    assert robot.init(par) == 1
    with contextlib.redirect_stdout(io.StringIO()):
        stage_on(robot).home("x")
        with pytest.raises(arxusb.HomingError, match="^Z did not home$"):
            stage_on(robot).home()
