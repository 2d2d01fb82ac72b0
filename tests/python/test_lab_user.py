# The module as a lab user meets it: a failed homing reported, waits that Ctrl-C ends while other
# threads run, messages that say what is wrong, with/close/repr, and the stub's coverage.
import ast
import pathlib
import subprocess
import sys
import threading
import time

import pytest

import _arxusb
import arxusb

NO_CONTROLLER = "no controller: init has not succeeded"
STUBS = pathlib.Path(__file__).resolve().parents[2] / "robot" / "python" / "stubs"


@pytest.mark.parametrize("settings, parameters, printed", [
    # The flag lies beyond a pass's reach: the fast pass and the last one miss it.
    ({"flag_range_1": "30000000 30000010"}, {},
     "\rERROR pass 1! flag raised and flag is 0!\n\rERROR - pass 3 ! flag raised and flag is 0!\n"),
    # accel 0: no pass is sent at all, so the flag (set at 0) never drops.
    ({}, {"accel": 0}, "\rERROR pass 1! flag dropped and flag is 1!\n"),
])
def test_a_homing_whose_flag_misbehaves_returns_0_and_still_prints(simulator, capfd, settings,
                                                                   parameters, printed):
    simulator(**settings)
    par = arxusb.RobotControlPar()
    for member, value in parameters.items():
        getattr(par, "set_" + member)(arxusb.AX, value)
    robot = arxusb.RobotControlImp()
    assert robot.init(par) == 1
    capfd.readouterr()
    assert robot.home(arxusb.AX) == 0
    assert capfd.readouterr().out == printed
    assert robot.home(arxusb.AY) == 1  # the other axes home as usual


# Runs in a child process, so that a module that ignored Ctrl-C could not take the test run
# down with it. The counter thread must advance while the main thread waits.
WAIT_SCRIPT = """
import os, signal, sys, threading, time
import arxusb
robot = arxusb.RobotControlImp()
assert robot.init() == 1
robot.move(1, 5000)
counted = [0]
def count():
    while True:
        counted[0] += 1
        time.sleep(0.002)
threading.Thread(target=count, daemon=True).start()
sent = []
def interrupt():
    sent.append(time.monotonic())
    os.kill(os.getpid(), signal.SIGINT)
threading.Timer(0.5, interrupt).start()
cpu = time.process_time()
try:
    getattr(robot, sys.argv[1])(*map(int, sys.argv[2:]))
    print("returned")
except KeyboardInterrupt:
    print("%.3f %d %.3f" % (time.monotonic() - sent[0], counted[0], time.process_time() - cpu))
    print(robot.aim(1))
"""


@pytest.mark.parametrize("settings, call", [
    ("stall_after_reports = 2\nunplug_after_reports = 1000\n", ["waitdone"]),
    ("stall_after_reports = 2\nunplug_after_reports = 1000\n", ["flush"]),
    # A silent controller: Ctrl-C need not wait for the 6 s time-out.
    ("stop_after_reports = 2\n", ["coord", "1"]),
])
def test_ctrl_c_ends_a_wait_within_a_second_while_other_threads_run(tmp_path, settings, call):
    config = tmp_path / "sim.conf"
    config.write_text(settings)
    result = subprocess.run([sys.executable, "-c", WAIT_SCRIPT] + call, capture_output=True,
                            text=True, timeout=30,
                            env=dict(__import__("os").environ, ARXUSB_SIMULATOR=str(config)))
    assert result.returncode == 0, result.stderr
    first, aim = result.stdout.splitlines()
    delay, counted, cpu = first.split()
    assert float(delay) < 1.0
    assert int(counted) > 50  # about 250 in the half second before Ctrl-C
    assert float(cpu) < 0.35  # no spinning on the stalled controller
    assert aim == "5000"      # the state the wait left


def test_an_object_in_use_by_one_thread_waits_for_it_and_is_deleted_after_it(simulator):
    # Stalled, then unplugged after about half a second of 10 ms reports.
    simulator(stall_after_reports=2, unplug_after_reports=50)
    robot = arxusb.RobotControlImp()
    assert robot.init() == 1
    robot.move(1, 5000)
    outcome = []

    def wait():
        try:
            robot.waitdone()
        except arxusb.ReadErrorEx as error:
            outcome.append(str(error))

    waiter = threading.Thread(target=wait)
    waiter.start()
    time.sleep(0.1)
    assert "another thread" in repr(robot)
    start = time.monotonic()
    assert robot.aim(1) == 5000  # waits for the other thread's operation to end
    assert time.monotonic() - start > 0.2
    waiter.join()
    assert "6 s" in outcome[0]  # the device went away: not the before-init message


def test_deleting_an_object_in_use_takes_effect_when_the_operation_ends(simulator):
    simulator(stall_after_reports=2, unplug_after_reports=30)
    robot = arxusb.RobotControlImp()
    assert robot.init() == 1
    robot.move(1, 5000)
    raised = []

    def wait():
        try:
            robot.waitdone()
        except arxusb.ReadErrorEx as error:
            raised.append(error)

    waiter = threading.Thread(target=wait)
    waiter.start()
    time.sleep(0.1)
    _arxusb.delete_RobotControlImp(robot.this)
    assert waiter.is_alive()
    waiter.join()
    assert len(raised) == 1
    with pytest.raises(TypeError, match="Expected _p_arx__RobotControlImp"):
        robot.coord(1)


@pytest.mark.parametrize("operation", [
    lambda r: r.waitdone(), lambda r: r.flush(), lambda r: r.coord(1),
    lambda r: r.hSensorState(2), lambda r: r.home(3), lambda r: r.move(1, 1000),
    lambda r: r.idle(1)])
@pytest.mark.parametrize("before", [
    lambda r, simulator: None,                                    # never initialised
    lambda r, simulator: r.init(arxusb.RobotControlPar()) and r.close(),  # closed
])
def test_operations_without_a_controller_say_so(simulator, operation, before):
    robot = arxusb.RobotControlImp()
    before(robot, simulator)
    with pytest.raises(arxusb.ReadErrorEx) as caught:
        operation(robot)
    assert str(caught.value) == NO_CONTROLLER
    assert repr(caught.value) == "arxusb.ReadErrorEx('%s')" % NO_CONTROLLER


def test_a_failed_init_leaves_no_controller(simulator, tmp_path):
    par = arxusb.RobotControlPar()
    par.product_id = 0x4202
    robot = arxusb.RobotControlImp()
    assert robot.init() == 1 and robot.init(par) == 0
    with pytest.raises(arxusb.ReadErrorEx, match="^%s$" % NO_CONTROLLER):
        robot.waitdone()


def test_with_closes_the_controller_and_lets_exceptions_through(report_log, simulator):
    with pytest.raises(ZeroDivisionError):
        with arxusb.RobotControlImp() as robot:
            assert robot.init() == 1
            robot.move(1, 1000)
            1 / 0
    assert "no controller open" in repr(robot)
    with pytest.raises(arxusb.ReadErrorEx, match=NO_CONTROLLER):
        robot.move(1, 1000)
    robot.close()  # twice is harmless
    assert robot.init() == 1 and robot.coord(1) == 1000  # and init opens it again
    assert len(report_log().splitlines()) == 1


def test_repr_shows_state_and_never_a_pointer(simulator):
    robot = arxusb.RobotControlImp()
    shown = [repr(robot)]
    assert robot.init() == 1
    robot.move(arxusb.AY, 1000)
    robot.waitdone()
    shown.append(repr(robot))
    par = arxusb.RobotControlPar()
    par.set_v_max(arxusb.AZ, 32)
    shown += [repr(par), repr(arxusb.cvar.RobotControlFactory_theFactory),
              repr(arxusb.RobotParEx())]
    robot.thisown = 0
    _arxusb.delete_RobotControlImp(robot)
    shown.append(repr(robot))
    assert shown == [
        "<arxusb.RobotControlImp vendor_id=0x4242 product_id=0x4201, no controller open>",
        "<arxusb.RobotControlImp vendor_id=0x4242 product_id=0x4201, controller open, "
        "last reported position X=0 Y=-1000 Z=0 (device steps)>",
        "<arxusb.RobotControlPar vendor_id=0x4242 product_id=0x4201 flagdir=(1, -1, 1) "
        "accel=(64, 64, 64) v_max=(128, 128, 32) v_home_f=(4, 4, 4) v_home_s=(2, 2, 2) "
        "maxstep=(16777215, 16777215, 16777215) homestep=(8, 8, 8)>",
        "<arxusb.RobotControlFactory: the library's own>",
        "arxusb.RobotParEx('a parameter or motion the controller cannot carry')",
        "<arxusb.RobotControlImp: deleted>",
    ]


def test_an_unwritable_report_log_is_reported_once(simulator, monkeypatch, tmp_path, capfd):
    monkeypatch.setenv("ARXUSB_SIMULATOR_LOG", str(tmp_path / "missing" / "reports.txt"))
    robot = arxusb.RobotControlImp()
    assert robot.init() == 1
    robot.move(1, 1000)
    robot.move(1, 1000)
    assert capfd.readouterr().err == (
        "ARXUSB_SIMULATOR_LOG: cannot write %s\n" % (tmp_path / "missing" / "reports.txt"))


def stub_names(path):
    """Top-level functions and, per class, its methods and attributes, from a .pyi stub."""
    tree = ast.parse(path.read_text())
    functions = {node.name for node in tree.body if isinstance(node, ast.FunctionDef)}
    classes = {}
    for node in tree.body:
        if isinstance(node, ast.ClassDef):
            classes[node.name] = {item.name for item in node.body
                                  if isinstance(item, ast.FunctionDef)}
            classes[node.name] |= {item.target.id for item in node.body
                                   if isinstance(item, ast.AnnAssign)}
    return functions, classes


def test_the_stubs_type_every_function_and_method():
    functions, _ = stub_names(STUBS / "_arxusb-stubs" / "__init__.pyi")
    assert functions == {name for name in dir(_arxusb) if callable(getattr(_arxusb, name))}
    _, classes = stub_names(STUBS / "arxusb-stubs" / "__init__.pyi")
    for name in ("RobotControl", "RobotControlImp", "RobotControlFactory", "RobotControlPar",
                 "Stage"):
        cls = getattr(arxusb, name)
        public = {attr for attr in vars(cls) if not attr.startswith("_")}
        inherited = set().union(*(classes.get(base.__name__, set()) for base in cls.__mro__[1:]))
        assert public <= classes[name] | inherited, name


def test_every_method_explains_itself():
    for cls in (arxusb.RobotControl, arxusb.RobotControlImp, arxusb.RobotControlFactory,
                arxusb.RobotControlPar):
        for name in dir(cls):
            if not name.startswith("_") and callable(getattr(cls, name)):
                assert getattr(cls, name).__doc__, (cls.__name__, name)
    move = arxusb.RobotControlImp.move.__doc__
    for fact in ("motor steps", "velocity units", "NEGATIVE", "not sent and returns 0", "Raises"):
        assert fact in move
