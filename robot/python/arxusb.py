"""Drive the arraying robot's motion controller: classes over the flat _arxusb functions.

    import arxusb
    with arxusb.RobotControlImp() as robot:      # the device handles close at the end
        if not robot.init():
            raise SystemExit("no controller")
        if not robot.home(arxusb.AX):            # 0 when the flag did not behave
            raise SystemExit("X is not at home")
        robot.move(arxusb.AX, 10000)             # queued; returns the steps commanded
        robot.waitdone()                         # until every axis is at rest
        print(robot.coord(arxusb.AX))            # 10000

Units and directions. Lengths are motor steps; speeds are the controller's velocity units
(1..255). move() takes steps in the user direction; coord() and aim() count in the device's
direction, which is reversed on an axis whose flagdir is NEGATIVE (AY by default: coord(AY)
reads -1000 after move(AY, 1000) from 0). move() never goes further than asked: a move within
the ramp's minimum (at most v steps, 128 with the default v_max) is not sent and returns 0, a
longer one may be shortened a few steps; aim() keeps account of what was really commanded.

What the controller cannot carry is refused before anything is sent, with RobotParEx naming
what was wrong: speeds and ramp lengths beyond a command's byte, targets outside the 24-bit
positions the controller reports (-8388608..8388607), targets outside a record's travel limits
(RobotControlPar.set_travel_limits), parameters out of range ("v_max of axis 1 must be 1..255,
not 1000").

Waiting. waitdone(), flush(), init(), home() and the status reads wait for the controller with
the interpreter lock released, so other threads run, and Ctrl-C raises KeyboardInterrupt within
a second (the controller goes on with its queue; a new init() resynchronises). waitdone(),
flush() and home() take a timeout in seconds: TimeoutEx (a ReadErrorEx and a TimeoutError)
when it passes. A controller that stops answering for 6 s raises ReadErrorEx. Homing messages
go to sys.stdout and, as warnings, to the logger "arxusb".

Stage puts millimetres, go-to moves and travel limits over a RobotControl for lab scripts.

Each class wraps one library object named by its pointer string (attribute "this"). Objects a
constructor makes belong to the instance ("thisown" is 1) and are deleted with it; pointers the
library keeps (member arrays, the static factory, the factory's product) do not. Calling a class
with a pointer string alone wraps that object without taking it over (this is how _arxusb hands
out objects): RobotControlPar(other) copies a record, RobotControlPar(other.this) does not.
"""

import difflib
import logging
import math
import re
import struct
import textwrap

import _arxusb

# Homing messages are logged as warnings here; a script's logging configuration decides where
# they go (without one, they are not printed twice: sys.stdout already has them).
logging.getLogger("arxusb").addHandler(logging.NullHandler())

# A pointer string as _arxusb writes it: "_", the address bytes in memory order as lowercase
# hex, the type name.
_POINTER = re.compile(r"_[0-9a-f]{%d}_p_\w+\Z" % (2 * struct.calcsize("P")))


def _is_pointer(value):
    return isinstance(value, str) and _POINTER.match(value) is not None


class _Wrapper(object):
    """Common part of the classes: wrapping a pointer string, constructing, deleting."""

    _new = None      # the flat constructor, or None for an abstract class
    _delete = None   # the flat destructor

    def __new__(cls, *args):
        # _arxusb calls the registered class with a pointer string alone: wrap it, unowned.
        if len(args) == 1 and _is_pointer(args[0]):
            self = super(_Wrapper, cls).__new__(cls)
            self.this = args[0]
            self.thisown = 0
            return self
        if cls._new is None:
            raise TypeError("%s has no constructor" % cls.__name__)
        made = cls._new(*args)
        if isinstance(made, str):   # the class was not registered: take the bare pointer
            self = super(_Wrapper, cls).__new__(cls)
            self.this = made
            self.thisown = 1
            return self
        if type(made) is not cls:   # a subclass: the instance _arxusb made becomes one
            made.__class__ = cls
        return made

    def __init__(self, *args):
        pass  # everything happened in __new__

    def __del__(self):
        if getattr(self, "thisown", 0):
            self.thisown = 0
            try:
                type(self)._delete(self.this)
            except TypeError:
                pass  # already deleted through the flat function

    # A copy shares the library object without owning it, so that it never deletes it twice;
    # a record's copy is a new record (its copy constructor).
    def __copy__(self):
        return type(self)(self.this)

    def __deepcopy__(self, memo):
        return self.__copy__()

    def __reduce_ex__(self, protocol):
        raise TypeError("%s wraps a library object of this process and cannot be pickled"
                        % type(self).__name__)

    def __repr__(self):
        return "<%s.%s>" % (type(self).__module__, type(self).__name__)


_AXIS_NAMES = "XYZ"


class RobotControl(_Wrapper):
    """The robot-control interface: one motion controller with three axes (AX, AY, AZ).

    Get one from RobotControlFactory.getRobotControl(), or make a RobotControlImp directly.
    Usable in a with statement, which closes the device handles at the end.
    """

    _delete = _arxusb.delete_RobotControl
    _prefix = "RobotControl_"

    def _call(self, operation, *args):
        return getattr(_arxusb, self._prefix + operation)(self, *args)

    def init(self, par=None):
        """Open the controller and wait until it is at rest.

        par: a RobotControlPar whose members (USB ids included) are copied into the object
            first; None keeps the object's own parameters (the defaults when never given).
        Returns 1 when a controller with the record's vendor_id and product_id was found and is
        ready (aim() then equals the reported positions), 0 when none is present.
        Raises ReadErrorEx when the controller stops answering (6 s), KeyboardInterrupt on
        Ctrl-C while it waits. A repeated init closes the earlier device first.
        """
        return self._call("init", par)

    def waitdone(self, timeout=None):
        """Wait until the controller has taken every command, its queue is empty and all three
        axes are at rest.

        timeout: seconds (above 0), or None for no limit. When it passes, TimeoutEx is raised
            (a ReadErrorEx and a TimeoutError); the controller stays open and goes on with its
            queue, a new init() resynchronises.
        Returns None. Other threads run meanwhile, and Ctrl-C raises KeyboardInterrupt within a
        second (the controller goes on with its queue; a new init() resynchronises).
        Raises ReadErrorEx: "no controller: init has not succeeded" before a successful init()
        (or after close()); otherwise the controller did not answer within 6 s or went away, and
        init() is needed.
        """
        return self._call("waitdone", timeout)

    def home(self, axis, timeout=None):
        """Home the axis against its home flag sensor.

        axis: AX, AY or AZ (1, 2, 3).
        timeout: seconds for the whole homing, or None for no limit (see waitdone).
        Up to three homing passes over maxstep steps, fast (v_home_f) then slow (v_home_s), the
        last ending where the flag rises moving in the negative user direction; afterwards
        aim() of every axis equals its reported position.
        Returns 1 when every pass ended with the flag as expected, 0 when one did not: the axis
        is then NOT at home, and the pass's message (such as "ERROR pass 1! flag raised and flag
        is 0!") is written to sys.stdout and logged as a warning on the logger "arxusb".
        Raises RobotParEx (axis outside 1..3), TimeoutEx, ReadErrorEx, WriteErrorEx,
        KeyboardInterrupt.
        """
        return self._call("home", axis, timeout)

    def idle(self, axis):
        """Queue the idle command of the axis (after the commands sent before it).

        axis: AX, AY or AZ. Returns 1.
        Raises RobotParEx (axis outside 1..3), ReadErrorEx, WriteErrorEx, KeyboardInterrupt.
        """
        return self._call("idle", axis)

    def coord(self, axis):
        """The axis' position from a fresh status report, in motor steps.

        axis: AX, AY or AZ.
        Returns the position in the DEVICE's counting direction: on an axis whose flagdir is
        NEGATIVE (AY by default) it counts against move(), so coord(AY) reads -1000 after
        move(AY, 1000) from 0. While the axis moves it is wherever the axis is now.
        Raises RobotParEx (axis outside 1..3), ReadErrorEx, KeyboardInterrupt.
        """
        return self._call("coord", axis)

    def aim(self, axis):
        """The axis' commanded target in motor steps, device direction (as coord()), no I/O.

        axis: AX, AY or AZ.
        Returns where the axis stands once every move sent so far has run, each as far as
        move() returned it. Raises RobotParEx (axis outside 1..3).
        """
        return self._call("aim", axis)

    def hSensorState(self, axis):
        """The axis' home flag from a fresh status report.

        axis: AX, AY or AZ. Returns 1 when the flag is set, else 0.
        Raises RobotParEx (axis outside 1..3), ReadErrorEx, KeyboardInterrupt.
        """
        return self._call("hSensorState", axis)

    def move(self, axis, steps, rampOffset=0, rise=False, homing=False, velocity=0):
        """Queue one ramped motion; returns as soon as the command is written (see waitdone).

        axis: AX, AY or AZ.
        steps: motor steps in the USER direction; an axis whose flagdir is NEGATIVE (AY by
            default) runs the other way in the device, where coord() and aim() count.
        rampOffset: sent in the command as rampOffset / a + 1; 0 for a plain move.
        rise, homing: a homing-mode motion (homing true) that the controller ends at the home
            flag's rising edge (rise true) or falling edge.
        velocity: speed in the controller's velocity units; 0 takes the record's v_max
            (v_home_s when homing). It is halved until both speed ramps fit the distance, and
            must then fit the command's byte (1..255).
        Returns the displacement commanded in motor steps, user direction, never more than
        asked: a move of at most v steps (the ramp's minimum: 128 with the default v_max), or
        on an axis whose accel is 0, is not sent and returns 0; a longer one is shortened to
        (a*v + n)*v steps (1001 -> 1000). To go to a device position, move by its difference
        from aim(), sign reversed on a NEGATIVE axis; aim() keeps every shortfall, so a series
        of such moves does not drift:
            robot.move(axis, par.get_flagdir(axis) * (target - robot.aim(axis)))
        Raises RobotParEx, sending nothing and leaving aim() as it was: axis outside 1..3; a
        command that cannot carry the motion (ramp length or speed outside 1..255, offset byte
        rampOffset / a + 1 outside 0..255, more than 16777216 full-speed periods); an ordinary
        (non-homing) move whose target leaves -8388608..8388607 device steps or the record's
        travel limits. Also ReadErrorEx, WriteErrorEx, KeyboardInterrupt (Ctrl-C while it waits
        for room in the controller's queue).
        """
        return self._call("move", axis, steps, rampOffset, rise, homing, velocity)

    def flush(self, timeout=None):
        """Wait until the controller's command queue is empty (the axes may still move).

        timeout: seconds, or None for no limit (see waitdone).
        Returns None. Waits as waitdone() does, interruptible with Ctrl-C.
        Raises TimeoutEx and ReadErrorEx as waitdone() does.
        """
        return self._call("flush", timeout)

    def parameters(self):
        """A copy of the object's parameter record (the one init() copied), no I/O.

        Returns a new RobotControlPar; changing it changes nothing until it is given to init().
        """
        return self._call("parameters")

    def setGPO(self, output, state):
        """Set general-purpose output number `output` (0 .. 2**32-1) to `state` (truth value).

        Returns None. RobotControlImp sends nothing for it.
        """
        return self._call("setGPO", output, state)

    def getStopButton(self):
        """The controller's stop button: always 0 for RobotControlImp (nothing is read)."""
        return self._call("getStopButton")

    def close(self):
        """Close the controller's device handles; a new init() opens it again.

        Returns None. Until then the operations that talk to the controller raise
        ReadErrorEx("no controller: init has not succeeded"). Closing twice is harmless.
        """
        return self._call("close")

    def __enter__(self):
        """Returns the object itself, for `with RobotControlImp() as robot:`."""
        return self

    def __exit__(self, *exc_info):
        """Closes the device handles (see close()); exceptions of the block go on."""
        self.close()
        return False

    def __repr__(self):
        name = "%s.%s" % (type(self).__module__, type(self).__name__)
        try:
            state = self._call("state")
        except TypeError:
            return "<%s: deleted>" % name
        if state["busy"]:
            return "<%s: in an operation on another thread>" % name
        if "open" not in state:
            return "<%s>" % name
        text = "<%s vendor_id=0x%04x product_id=0x%04x" % (name, state["vendor_id"],
                                                         state["product_id"])
        if state["open"]:
            position = " ".join("%s=%d" % item for item in zip(_AXIS_NAMES, state["position"]))
            return text + ", controller open, last reported position %s (device steps)>" % position
        if state["initialised"]:
            return text + ", controller lost: init again>"
        return text + ", no controller open>"


_arxusb.RobotControl_swigregister(RobotControl)


class RobotControlImp(RobotControl):
    """The USB HID implementation. RobotControlImp() makes one with the default parameters,
    not initialised; its controller is the simulated one when ARXUSB_SIMULATOR is set.

        with arxusb.RobotControlImp() as robot:
            robot.init()
    """

    _new = _arxusb.new_RobotControlImp
    _delete = _arxusb.delete_RobotControlImp
    _prefix = "RobotControlImp_"


_arxusb.RobotControlImp_swigregister(RobotControlImp)


class RobotControlFactory(_Wrapper):
    """Hands out robot-control objects; the library's own is cvar.RobotControlFactory_theFactory."""

    _new = _arxusb.new_RobotControlFactory
    _delete = _arxusb.delete_RobotControlFactory

    def getRobotControl(self):
        """A new RobotControl (a RobotControlImp) with default parameters, not initialised.

        Returns the object, or None when memory cannot be had. It belongs to the caller without
        "thisown": set robot.thisown = 1 to have it deleted with the instance.
        """
        return _arxusb.RobotControlFactory_getRobotControl(self)

    def __repr__(self):
        try:
            static = self.this == cvar.RobotControlFactory_theFactory.this
        except AttributeError:
            static = False
        return "<%s.RobotControlFactory%s>" % (type(self).__module__,
                                               ": the library's own" if static else "")


_arxusb.RobotControlFactory_swigregister(RobotControlFactory)


# The per-axis members: what each means, in its units, with its defaults for X, Y, Z.
_MEMBERS = (
    ("flagdir", "counting direction: POSITIVE (1) when move()'s user direction is the device's, "
                "NEGATIVE (-1) when reversed (coord() and aim() then count against move()). "
                "Defaults 1, -1, 1"),
    ("accel", "upper bound of a move's ramp length a, 0..255; 0 leaves the axis without "
              "motion. Defaults 64"),
    ("v_max", "speed of an ordinary move, controller velocity units 1..255. Defaults 128"),
    ("v_home_f", "speed of the fast homing pass, controller velocity units 1..255. Defaults 4"),
    ("v_home_s", "speed of the slow homing passes and of homing-mode moves, controller "
                 "velocity units 1..255. Defaults 2"),
    ("maxstep", "travel requested in each homing pass, motor steps. Defaults 16777215"),
    ("homestep", "kept, copied and printed; no operation uses it. Defaults 8"),
)


def _array_property(member, meaning):
    get = getattr(_arxusb, "RobotControlPar_%s_get" % member)
    set_ = getattr(_arxusb, "RobotControlPar_%s_set" % member)
    return property(get, set_, doc="Pointer to the record's 3-entry %s array (%s); assigning "
                                   "another record's copies its entries." % (member, meaning))


def _axis_accessors(member, meaning):
    flat_get = getattr(_arxusb, "RobotControlPar_get_%s" % member)
    flat_set = getattr(_arxusb, "RobotControlPar_set_%s" % member)

    def get(self, axis):
        return flat_get(self, axis)

    def set_(self, axis, value):
        return flat_set(self, axis, value)

    get.__name__, set_.__name__ = "get_" + member, "set_" + member
    get.__doc__ = (textwrap.fill("The axis' %s: %s." % (member, meaning), 76) +
                   "\n\naxis: AX, AY or AZ (1, 2, 3). Returns an int.\n"
                   "Raises RobotParEx for an axis outside 1..3.")
    set_.__doc__ = (textwrap.fill("Set the axis' %s: %s." % (member, meaning), 76) +
                    "\n\naxis: AX, AY or AZ (1, 2, 3); value: an int in the range above. "
                    "Returns None.\nRaises RobotParEx for an axis outside 1..3 or a value "
                    "outside the range\n(the record is left unchanged).")
    return get, set_


class RobotControlPar(_Wrapper):
    """Per-axis motion parameters and the controller's USB ids; init() copies them.

    RobotControlPar() has the defaults; RobotControlPar(other) copies another record. The
    per-axis values are read and set with get_<member>(axis) and set_<member>(axis, value);
    the array attributes (accel, v_max, ...) are pointers that copy three entries on assignment:
    par.accel = other.accel. vendor_id and product_id (defaults 0x4242, 0x4201) are ints.
    """

    _new = _arxusb.new_RobotControlPar
    _delete = _arxusb.delete_RobotControlPar

    # The array properties and the get_/set_ accessors of each member are added below.

    vendor_id = property(_arxusb.RobotControlPar_vendor_id_get,
                         _arxusb.RobotControlPar_vendor_id_set,
                         doc="The USB vendor id init() looks for (int; default 0x4242).")
    product_id = property(_arxusb.RobotControlPar_product_id_get,
                          _arxusb.RobotControlPar_product_id_set,
                          doc="The USB product id init() looks for (int; default 0x4201).")

    def __copy__(self):
        return type(self)(self)

    def __setattr__(self, name, value):
        # A misspelt member (par.v_maks = 1) would otherwise be a silent new attribute.
        if name not in ("this", "thisown") and not hasattr(type(self), name):
            close = difflib.get_close_matches(name, dir(type(self)), 1)
            raise AttributeError("%r object has no attribute %r%s" % (
                type(self).__name__, name, " (did you mean %r?)" % close[0] if close else ""))
        super(RobotControlPar, self).__setattr__(name, value)

    def get_travel_limits(self, axis):
        """The axis' travel limits: the lowest and highest target of an ordinary move, motor
        steps in the user direction (as move() counts), inclusive.

        axis: AX, AY or AZ. Returns (low, high), None for a side without a limit (the default).
        Raises RobotParEx for an axis outside 1..3.
        """
        return _arxusb.RobotControlPar_get_travel_limits(self, axis)

    def set_travel_limits(self, axis, low, high):
        """Limit the axis' travel: move() then refuses, sending nothing, an ordinary move whose
        target (user direction) lies outside low..high. Homing is not limited.

        axis: AX, AY or AZ; low, high: ints (motor steps, user direction) or None for no limit.
        Returns None. Raises RobotParEx for an axis outside 1..3 or low > high.
        """
        return _arxusb.RobotControlPar_set_travel_limits(self, axis, low, high)

    def printout(self):
        """Print the record on the process's standard output, eight lines per axis ("Axis 0"
        to "Axis 2" with flagdir, accel, v_max, v_home_f, v_home_s, homestep, maxstep).

        Returns None. The USB ids are not printed.
        """
        return _arxusb.RobotControlPar_printout(self)

    def __repr__(self):
        name = "%s.%s" % (type(self).__module__, type(self).__name__)
        try:
            fields = ["vendor_id=0x%04x" % self.vendor_id, "product_id=0x%04x" % self.product_id]
            for member, _ in _MEMBERS:
                get = getattr(self, "get_" + member)
                fields.append("%s=(%d, %d, %d)" % ((member,) + tuple(map(get, (AX, AY, AZ)))))
        except TypeError:
            return "<%s: deleted>" % name
        return "<%s %s>" % (name, " ".join(fields))


for _member, _meaning in _MEMBERS:
    setattr(RobotControlPar, _member, _array_property(_member, _meaning))
    for _accessor in _axis_accessors(_member, _meaning):
        _accessor.__qualname__ = "RobotControlPar." + _accessor.__name__
        setattr(RobotControlPar, _accessor.__name__, _accessor)
del _member, _meaning, _accessor

_arxusb.RobotControlPar_swigregister(RobotControlPar)


class _LibraryException(_Wrapper, Exception):
    """A library exception: a Python exception that also wraps the library's object. Its text
    says what happened this time (args[0]) or, failing that, what the type means.
    Scripts raise them with a message of their own: UnreliableFlagEx("X did not home")."""

    description = ""

    def __new__(cls, *args):
        if len(args) == 1 and _is_pointer(args[0]):
            return _Wrapper.__new__(cls, *args)
        self = _Wrapper.__new__(cls)
        self.args = args
        return self

    def __str__(self):
        return self.args[0] if self.args else self.description

    def __repr__(self):
        return "%s.%s(%r)" % (type(self).__module__, type(self).__name__, str(self))


class RobotParEx(_LibraryException):
    """A parameter or motion the controller cannot carry; the text says which."""
    description = "a parameter or motion the controller cannot carry"
    _new = _arxusb.new_RobotParEx
    _delete = _arxusb.delete_RobotParEx


class ReadErrorEx(_LibraryException):
    """The controller's status could not be read: no init has succeeded, or the controller did
    not answer within 6 s or went away (then its handles are closed and init() is needed)."""
    description = ("the controller's status could not be read (no answer within 6 s, or the "
                   "device went away); init again")
    _new = _arxusb.new_ReadErrorEx
    _delete = _arxusb.delete_ReadErrorEx


class WriteErrorEx(_LibraryException):
    """A command could not be written to the controller whole."""
    description = "a command could not be written to the controller"
    _new = _arxusb.new_WriteErrorEx
    _delete = _arxusb.delete_WriteErrorEx


class UnreliableFlagEx(_LibraryException):
    """Never raised by the library; for scripts that treat a failed home() as an error:
    if not robot.home(axis): raise arxusb.UnreliableFlagEx("X did not home")"""
    description = "a home flag did not change as expected"
    _new = _arxusb.new_UnreliableFlagEx
    _delete = _arxusb.delete_UnreliableFlagEx


class TimeoutEx(ReadErrorEx, TimeoutError):
    """The timeout of waitdone(), flush() or home() passed. The controller stays open and goes
    on with its queue; a new init() resynchronises. Caught by `except ReadErrorEx` and by
    `except TimeoutError`."""
    description = "the wait's time limit passed; the controller goes on with its queue"
    _new = _arxusb.new_TimeoutEx
    _delete = _arxusb.delete_TimeoutEx


_arxusb.RobotParEx_swigregister(RobotParEx)
_arxusb.TimeoutEx_swigregister(TimeoutEx)
_arxusb.ReadErrorEx_swigregister(ReadErrorEx)
_arxusb.WriteErrorEx_swigregister(WriteErrorEx)
_arxusb.UnreliableFlagEx_swigregister(UnreliableFlagEx)

AXIS_BASE = _arxusb.AXIS_BASE
AX = _arxusb.AX
AY = _arxusb.AY
AZ = _arxusb.AZ
NEGATIVE = _arxusb.NEGATIVE
POSITIVE = _arxusb.POSITIVE
cvar = _arxusb.cvar


class HomingError(UnreliableFlagEx):
    """Stage.home(): an axis did not home (a flag did not change as expected). Also caught by
    `except UnreliableFlagEx`."""
    description = "an axis did not home"


# Positions come back from the controller in 24 bits.
_LOWEST_POSITION, _HIGHEST_POSITION = -(1 << 23), (1 << 23) - 1
_STAGE_AXES = (("x", AX), ("y", AY), ("z", AZ))


def _move_shape(distance, speed, accel):
    """The command move() sends for a distance (steps, >= 0): (a, v, n), or None when it sends
    nothing. The same halving as the library's."""
    a = min(accel, distance - speed)
    if a < 1:
        return None
    while distance - a * speed * speed < speed:
        speed //= 2
    return a, speed, (distance - a * speed * speed) // speed


class Stage(object):
    """Millimetres over a RobotControl: absolute and relative moves in the user's direction,
    positions with the direction signs applied, limits checked before anything is sent.

        robot = arxusb.RobotControlImp()
        robot.init()
        stage = arxusb.Stage(robot, steps_per_mm=(200, 200, 400),
                             limits_mm=((0, 120), (0, 80), (0, 30)))
        stage.home()                  # Z, then X and Y; HomingError when one does not home
        stage.move_to(x=10.5, y=20)   # queued; Z stays
        stage.wait(timeout=30)
        print(stage.position())       # (10.5, 20.0, 0.0)

    steps_per_mm: motor steps per millimetre of X, Y and Z (numbers above 0).
    limits_mm: per axis (low, high) in millimetres, or None for that axis (or for all): a
        move_to() or move_by() with a target outside raises RobotParEx, and nothing is sent.
    tick_s: the controller's tick in seconds, for estimate().
    Targets are kept through aim(), so a series of moves does not drift; each lands within
    one step of its target (a move the ramp would shorten is finished at speed 1).
    """

    def __init__(self, robot, steps_per_mm, limits_mm=None, tick_s=None):
        self.robot = robot
        self.steps_per_mm = tuple(float(s) for s in steps_per_mm)
        if len(self.steps_per_mm) != 3 or not all(s > 0 and math.isfinite(s)
                                                  for s in self.steps_per_mm):
            raise ValueError("steps_per_mm must be three numbers above 0, not %r"
                             % (steps_per_mm,))
        self.limits_mm = tuple(limits_mm) if limits_mm is not None else (None, None, None)
        if len(self.limits_mm) != 3 or any(limit is not None and not limit[0] <= limit[1]
                                           for limit in self.limits_mm):
            raise ValueError("limits_mm must be three (low, high) pairs or None, not %r"
                             % (limits_mm,))
        if tick_s is not None and not tick_s > 0:
            raise ValueError("tick_s must be above 0, not %r" % (tick_s,))
        self.tick_s = tick_s

    def __repr__(self):
        return "<arxusb.Stage steps_per_mm=%r limits_mm=%r>" % (self.steps_per_mm,
                                                               self.limits_mm)

    @staticmethod
    def _sign(par, axis):
        return -1 if par.get_flagdir(axis) == NEGATIVE else 1

    def _plan(self, relative, x, y, z):
        """[(axis, target, commanded)] in user-direction steps for the axes given; every limit
        is checked here, before anything is sent."""
        par = self.robot.parameters()
        plan = []
        for (name, axis), value in zip(_STAGE_AXES, (x, y, z)):
            if value is None:
                continue
            per_mm = self.steps_per_mm[axis - 1]
            now = self._sign(par, axis) * self.robot.aim(axis)
            target = now + round(value * per_mm) if relative else round(value * per_mm)
            limit = self.limits_mm[axis - 1]
            if limit is not None and not limit[0] <= target / per_mm <= limit[1]:
                raise RobotParEx("%s = %g mm lies outside the stage's limits %g..%g mm"
                                 % (name, target / per_mm, limit[0], limit[1]))
            low, high = par.get_travel_limits(axis)
            device = self._sign(par, axis) * target
            if (not _LOWEST_POSITION <= device <= _HIGHEST_POSITION
                    or (low is not None and target < low) or (high is not None and target > high)):
                raise RobotParEx("%s = %g mm (%d steps) lies outside the axis' travel"
                                 % (name, target / per_mm, target))
            plan.append((axis, target, now))
        return plan

    def _go(self, plan, speed):
        for axis, target, now in plan:
            rest = target - now - self.robot.move(axis, target - now, velocity=speed or 0)
            if abs(rest) >= 2:  # at speed 1 a move is never shortened
                self.robot.move(axis, rest, velocity=1)

    def move_to(self, x=None, y=None, z=None, speed=None):
        """Queue moves of the axes given to these positions, millimetres in the user direction
        (axes left None stay). Returns at once; wait() waits for the motion.

        speed: the controller's velocity units (1..255), None for the record's v_max.
        Raises RobotParEx, sending nothing, for a target outside the stage's limits, the
        record's travel limits or the controller's positions; the library's exceptions.
        """
        self._go(self._plan(False, x, y, z), speed)

    def move_by(self, x=None, y=None, z=None, speed=None):
        """Queue moves by these distances in millimetres from the commanded positions (aim), in
        the user direction; otherwise as move_to()."""
        self._go(self._plan(True, x, y, z), speed)

    def position(self):
        """(x, y, z) in millimetres, user direction, from a fresh status report of each axis."""
        par = self.robot.parameters()
        return tuple(self._sign(par, axis) * self.robot.coord(axis) / self.steps_per_mm[axis - 1]
                     for _, axis in _STAGE_AXES)

    def home(self, *axes, timeout=None):
        """Home the axes given (AX, AY, AZ or "x", "y", "z"), in that order; none: Z, X, Y.

        timeout: seconds for each axis, or None. Raises HomingError naming the axis when one
        did not home (its message is also on sys.stdout and the logger "arxusb").
        """
        names = dict(_STAGE_AXES)
        for axis in axes or (AZ, AX, AY):
            number = names.get(str(axis).lower(), axis)
            if not self.robot.home(number, timeout):
                raise HomingError("%s did not home" % "XYZ"[number - 1])

    def wait(self, timeout=None):
        """Wait until every queued move has run (waitdone); TimeoutEx when timeout (seconds)
        passes first."""
        self.robot.waitdone(timeout)

    def estimate(self, x=None, y=None, z=None, speed=None):
        """Seconds that move_to() with these arguments will take from the commanded positions,
        from the controller's ramp rules: each command ramps up over a*v ticks, runs n ticks at
        full speed and ramps down over a*v ticks; the axes run together. Needs tick_s.

        Raises ValueError without tick_s, RobotParEx as move_to() does (nothing is sent).
        """
        if self.tick_s is None:
            raise ValueError("estimate() needs the controller's tick: Stage(..., tick_s=...)")
        par = self.robot.parameters()
        longest = 0
        for axis, target, now in self._plan(False, x, y, z):
            accel = par.get_accel(axis)
            distance, ticks = abs(target - now), 0
            for velocity in (speed or par.get_v_max(axis), 1):
                shape = _move_shape(distance, velocity, accel)
                if shape is None or (velocity == 1 and distance < 2):
                    continue
                a, v, n = shape
                ticks += 2 * a * v + n
                distance -= (a * v + n) * v
            longest = max(longest, ticks)
        return longest * self.tick_s
