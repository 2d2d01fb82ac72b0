# Faults of the controller link seen from Python, against the simulated controller: each ends
# with the library's exception, a new init recovers, and the interpreter carries on. Plus a soak
# run of a long lab script.
import time

import pytest

import arxusb


def test_a_controller_that_stops_answering_times_out_and_a_new_object_recovers(simulator):
    simulator(stop_after_reports=2)
    robot = arxusb.RobotControlImp()
    assert robot.init() == 1
    robot.move(1, 1000)
    start = time.monotonic()
    with pytest.raises(arxusb.ReadErrorEx):
        robot.waitdone()
    assert time.monotonic() - start >= 5.9
    with pytest.raises(arxusb.ReadErrorEx):
        robot.coord(1)  # the handles are closed: it fails at once
    assert robot.aim(1) == 1000
    simulator()
    fresh = arxusb.RobotControlImp()
    assert fresh.init() == 1
    fresh.move(1, 1000)
    fresh.waitdone()
    assert fresh.coord(1) == 1000


def test_a_device_unplugged_mid_move_fails_at_once_and_init_recovers_when_it_is_back(simulator):
    simulator(unplug_after_reports=4, replug_after_attempts=2)
    robot = arxusb.RobotControlImp()
    assert robot.init() == 1
    robot.move(2, 50000)
    start = time.monotonic()
    with pytest.raises(arxusb.ReadErrorEx):
        robot.waitdone()
    assert time.monotonic() - start < 3  # a failed read, not a time-out
    assert robot.init() == 0  # not enumerated while it is away
    assert robot.init() == 1
    reached = robot.coord(2)
    assert robot.aim(2) == reached and reached != 0
    robot.move(2, 50000 + reached)  # axis 2 counts the other way round
    robot.waitdone()
    assert robot.coord(2) == robot.aim(2) < 0


def test_a_failing_write_raises_and_init_finds_the_axes_where_they_are(simulator):
    simulator(fail_writes_after=1)
    robot = arxusb.RobotControlImp()
    assert robot.init() == 1
    assert robot.move(1, 1000) == 1000
    for operation in (lambda: robot.move(1, 1000), lambda: robot.idle(3), lambda: robot.home(1)):
        with pytest.raises(arxusb.WriteErrorEx):
            operation()
    assert robot.init() == 1
    assert robot.aim(1) == robot.coord(1) == 1000


def test_a_queue_that_never_drains_waits_until_the_link_fails(simulator):
    simulator(stall_after_reports=2, unplug_after_reports=100)
    robot = arxusb.RobotControlImp()
    assert robot.init() == 1
    robot.move(1, 5000)
    robot.move(3, 5000)
    with pytest.raises(arxusb.ReadErrorEx):
        robot.flush()
    with pytest.raises(arxusb.ReadErrorEx):
        robot.waitdone()
    assert (robot.aim(1), robot.aim(3)) == (5000, 5000)


def test_soak_of_a_long_lab_script(report_log, simulator):
    simulator(ticks_per_report=20000)
    robot = arxusb.RobotControlImp()
    assert robot.init() == 1
    sent = 0
    for i in range(1500):
        axis = 1 + i % 3
        # Targets on the home side of every flag; axis 2 counts the other way round.
        target = (i * 37) % 9 * 1000 + (350 if i % 2 else 125)
        here = -robot.aim(axis) if axis == 2 else robot.aim(axis)
        if robot.move(axis, target - here) != 0:
            sent += 1
        if i % 10 == 9:
            robot.waitdone()
        if i % 50 == 49:
            before = len(report_log().splitlines())
            assert robot.home(axis) == 1
            sent += len(report_log().splitlines()) - before
            assert robot.coord(axis) == 0
    robot.waitdone()
    assert len(report_log().splitlines()) == sent
    for axis in (1, 2, 3):
        assert robot.coord(axis) == robot.aim(axis)
