# RobotControl, RobotControlImp and the factory through the flat functions, against the
# simulated controller: type acceptance, reports, ownership and library exceptions.
import copy
import os
import pickle
import subprocess
import sys

import pytest

import _arxusb
import arxusb

MOVE_1000_AXIS_1 = "00 01 00 01 40 02 74 02 01\n"


def test_move_with_axis_and_steps_only_uses_the_defaults(report_log, robot):
    assert _arxusb.RobotControlImp_move(robot, 1, 1000) == 1000
    assert _arxusb.RobotControl_move(robot, 1, 1000, 0, 0, 0, 0) == 1000
    assert robot.move(1, 1000, 0, False, False) == 1000
    assert report_log() == MOVE_1000_AXIS_1 * 3
    assert robot.aim(1) == 3000


def test_move_passes_every_optional_argument(report_log, robot):
    # 100 steps at velocity 8: sent, with v halved to 1.
    assert robot.move(1, 100, 0, 0, 0, 8) == 100
    # A homing-mode move with rise ends at a flag edge: mode DECEL|CRESET|RAISE, and the ramp
    # offset 128 over a = 64 gives byte 3 = 3; v is v_home_s = 2.
    assert robot.move(3, 1000, 128, 1, 1, 0) == 1000
    assert report_log() == ("00 01 00 01 40 01 24 01 01\n"
                            "00 03 38 03 40 02 74 02 01\n")


def test_truth_arguments_are_converted_before_anything_is_sent(report_log, robot):
    for bad in ("yes", 1.0, None):
        with pytest.raises(TypeError):
            robot.move(1, 1000, 0, bad)
    with pytest.raises(OverflowError):
        robot.setGPO(-1, 1)
    robot.setGPO(3, True)
    assert robot.getStopButton() == 0
    assert report_log() == ""


def test_imp_objects_are_robot_controls_but_not_the_other_way_round(robot):
    assert _arxusb.RobotControl_home(robot.this, 1) == 1
    as_interface = robot.this.replace("_p_arx__RobotControlImp", "_p_arx__RobotControl")
    assert _arxusb.RobotControl_coord(as_interface, 1) == robot.coord(1)
    with pytest.raises(TypeError, match=r"^Type error\. Expected _p_arx__RobotControlImp$"):
        _arxusb.RobotControlImp_home(as_interface, 1)


def test_the_factory_product_is_an_unowned_robot_control(report_log, simulator):
    factory = arxusb.cvar.RobotControlFactory_theFactory
    control = factory.getRobotControl()
    assert type(control) is arxusb.RobotControl
    assert control.this.endswith("_p_arx__RobotControl") and control.thisown == 0
    assert control.init() == 1 and control.move(2, 1000) == 1000
    assert control.aim(2) == -1000  # axis 2 runs against the device's direction
    with pytest.raises(TypeError, match="Expected _p_arx__RobotControlImp"):
        _arxusb.RobotControlImp_aim(control, 2)
    _arxusb.delete_RobotControl(control)
    with pytest.raises(TypeError, match="Expected _p_arx__RobotControl$"):
        control.aim(2)
    assert report_log() == "00 02 80 01 40 02 74 02 01\n"


def test_a_factory_of_ones_own_is_owned_and_the_static_one_is_never_deleted():
    factory = arxusb.RobotControlFactory()
    product = factory.getRobotControl()
    assert factory.thisown == 1 and type(product) is arxusb.RobotControl
    product.thisown = 1  # taken over: deleted with the instance
    static = arxusb.cvar.RobotControlFactory_theFactory
    assert static.thisown == 0
    with pytest.raises(ValueError, match="static"):
        _arxusb.delete_RobotControlFactory(static)
    _arxusb.delete_RobotControl(static.getRobotControl())


def test_init_with_a_record_uses_its_ids(simulator):
    robot = arxusb.RobotControlImp()
    par = arxusb.RobotControlPar()
    par.product_id = 0x4202
    assert robot.init(par) == 0
    assert robot.init(None) == 0  # keeps the record it copied
    par.product_id = 0x4201
    assert robot.init(par) == 1
    with pytest.raises(TypeError, match="Expected _p_arx__RobotControlPar"):
        robot.init(robot)


def test_status_reads_report_the_flags_and_positions(robot):
    assert [robot.hSensorState(axis) for axis in (1, 2, 3)] == [1, 1, 1]  # all at 0, in range
    robot.move(1, 10000)
    robot.waitdone()
    robot.flush()
    assert (robot.coord(1), robot.hSensorState(1)) == (10000, 0)


def test_library_exceptions_arrive_as_registered_python_exceptions(simulator):
    robot = arxusb.RobotControlImp()
    with pytest.raises(arxusb.ReadErrorEx) as caught:
        robot.coord(1)  # nothing opened yet: the read fails at once
    error = caught.value
    assert isinstance(error, Exception)
    assert error.this.endswith("_p_arx__ReadErrorEx") and error.thisown == 1
    with pytest.raises(arxusb.RobotParEx):
        robot.move(4, 100)
    robot.init()
    with pytest.raises(arxusb.RobotParEx):
        robot.move(1, 1000, 0, 0, 0, -1)  # no speed 0 or less is ever commanded
    simulator(fail_writes_after=0)
    failing = arxusb.RobotControlImp()
    assert failing.init() == 1
    with pytest.raises(arxusb.WriteErrorEx):
        failing.idle(1)


def test_an_exception_object_dies_with_its_python_exception(simulator):
    robot = arxusb.RobotControlImp()
    try:
        robot.coord(1)
    except arxusb.ReadErrorEx as error:
        text = error.this
    with pytest.raises(TypeError, match="Expected _p_arx__ReadErrorEx"):
        _arxusb.delete_ReadErrorEx(text)


def test_without_registered_classes_exceptions_are_runtime_errors_and_results_strings():
    script = "\n".join([
        "import _arxusb",
        "robot = _arxusb.new_RobotControlImp()",
        "print(robot.endswith('_p_arx__RobotControlImp'))",
        "try:",
        "    _arxusb.RobotControl_coord(robot, 1)",
        "except RuntimeError as error:",
        "    print(error)",
        "_arxusb.delete_RobotControlImp(robot)",
    ])
    result = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                            env=dict(os.environ), check=True)
    assert result.stdout == "True\narx::ReadErrorEx\n"


def test_a_registered_class_that_is_no_exception_or_fails_gives_a_python_error():
    script = "\n".join([
        "import _arxusb",
        "class Plain:",
        "    def __init__(self, this): self.this = this",
        "class Failing(Exception):",
        "    def __init__(self, this): raise KeyError(this)",
        "robot = _arxusb.new_RobotControlImp()",
        "_arxusb.ReadErrorEx_swigregister(Plain)",
        "try: _arxusb.RobotControl_coord(robot, 1)",
        "except RuntimeError as error: print(error)",
        "_arxusb.ReadErrorEx_swigregister(Failing)",
        "try: _arxusb.RobotControl_coord(robot, 1)",
        "except KeyError as error: print(str(error).endswith('_p_arx__ReadErrorEx\\''))",
        "_arxusb.delete_RobotControlImp(robot)",
    ])
    result = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                            env=dict(os.environ), check=True)
    assert result.stdout == "arx::ReadErrorEx\nTrue\n"


def test_new_objects_are_owned_and_deleted_with_their_instance():
    robot = _arxusb.new_RobotControlImp()
    assert type(robot) is arxusb.RobotControlImp and robot.thisown == 1
    text = robot.this
    del robot
    with pytest.raises(TypeError, match="Expected _p_arx__RobotControlImp"):
        _arxusb.RobotControlImp_aim(text, 1)


def test_deleting_through_the_flat_function_disowns_the_instance():
    record = arxusb.RobotControlPar()
    _arxusb.delete_RobotControlPar(record)
    assert record.thisown == 0
    other = arxusb.RobotControlPar()
    _arxusb.delete_RobotControlPar(other.this)  # by its text: the tracked instance learns it
    assert other.thisown == 0


def test_subclasses_of_the_shadow_classes_construct_and_own():
    class Mine(arxusb.RobotControlPar):
        pass

    record = Mine()
    assert type(record) is Mine and record.thisown == 1 and record.get_v_max(1) == 128
    with pytest.raises(TypeError, match="no constructor"):
        arxusb.RobotControl()


def test_copies_never_own_what_they_share_and_records_copy_themselves(robot):
    twin = copy.copy(robot)
    assert twin.this == robot.this and twin.thisown == 0
    record = arxusb.RobotControlPar()
    record.set_accel(1, 5)
    deep = copy.deepcopy(record)
    assert deep.this != record.this and deep.thisown == 1 and deep.get_accel(1) == 5
    with pytest.raises(TypeError, match="pickled"):
        pickle.dumps(record)


def test_exception_classes_are_constructible_and_raisable():
    with pytest.raises(arxusb.UnreliableFlagEx) as caught:
        raise arxusb.UnreliableFlagEx()
    assert caught.value.thisown == 1 and caught.value.this.endswith("_p_arx__UnreliableFlagEx")
    assert str(caught.value) == "a home flag did not change as expected"
    flat = _arxusb.new_RobotParEx()
    assert type(flat) is arxusb.RobotParEx and isinstance(flat, Exception)
