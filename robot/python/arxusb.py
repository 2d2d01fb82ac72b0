"""Classes over the flat _arxusb functions: drive the arraying robot's motion controller.

    import arxusb
    robot = arxusb.RobotControlImp()
    if robot.init():
        robot.home(arxusb.AX)
        robot.move(arxusb.AX, 10000)
        robot.waitdone()
        print(robot.coord(arxusb.AX))

Each class wraps one library object named by its pointer string (attribute "this"). Objects a
constructor makes belong to the instance ("thisown" is 1) and are deleted with it; pointers the
library keeps (member arrays, the static factory, the factory's product) do not. Calling a class
with a pointer string alone wraps that object without taking it over (this is how _arxusb hands
out objects): RobotControlPar(other) copies a record, RobotControlPar(other.this) does not.

Every call blocks until the controller has answered and holds the interpreter lock meanwhile,
so other Python threads wait too.
"""

import re
import struct

import _arxusb

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
        return "<%s.%s; proxy of %s >" % (type(self).__module__, type(self).__name__,
                                           getattr(self, "this", None))


class RobotControl(_Wrapper):
    """The robot-control interface. Get one from RobotControlFactory.getRobotControl()."""

    _delete = _arxusb.delete_RobotControl

    def init(self, *args):
        """Opens the controller with the record's ids (or the object's own parameters) and
        waits until it is at rest. 1 when the controller was found, else 0."""
        return _arxusb.RobotControl_init(self, *args)

    def waitdone(self):
        return _arxusb.RobotControl_waitdone(self)

    def home(self, axis):
        return _arxusb.RobotControl_home(self, axis)

    def idle(self, axis):
        return _arxusb.RobotControl_idle(self, axis)

    def coord(self, axis):
        return _arxusb.RobotControl_coord(self, axis)

    def aim(self, axis):
        return _arxusb.RobotControl_aim(self, axis)

    def hSensorState(self, axis):
        return _arxusb.RobotControl_hSensorState(self, axis)

    def move(self, axis, steps, *args):
        """move(axis, steps, rampOffset=0, rise=0, homing=0, velocity=0): the displacement
        commanded, in user direction."""
        return _arxusb.RobotControl_move(self, axis, steps, *args)

    def flush(self):
        return _arxusb.RobotControl_flush(self)

    def setGPO(self, output, state):
        return _arxusb.RobotControl_setGPO(self, output, state)

    def getStopButton(self):
        return _arxusb.RobotControl_getStopButton(self)


_arxusb.RobotControl_swigregister(RobotControl)


class RobotControlImp(RobotControl):
    """The USB HID implementation: RobotControlImp() makes one with default parameters."""

    _new = _arxusb.new_RobotControlImp
    _delete = _arxusb.delete_RobotControlImp

    def init(self, *args):
        return _arxusb.RobotControlImp_init(self, *args)

    def waitdone(self):
        return _arxusb.RobotControlImp_waitdone(self)

    def home(self, axis):
        return _arxusb.RobotControlImp_home(self, axis)

    def idle(self, axis):
        return _arxusb.RobotControlImp_idle(self, axis)

    def coord(self, axis):
        return _arxusb.RobotControlImp_coord(self, axis)

    def aim(self, axis):
        return _arxusb.RobotControlImp_aim(self, axis)

    def hSensorState(self, axis):
        return _arxusb.RobotControlImp_hSensorState(self, axis)

    def move(self, axis, steps, *args):
        return _arxusb.RobotControlImp_move(self, axis, steps, *args)

    def flush(self):
        return _arxusb.RobotControlImp_flush(self)

    def setGPO(self, output, state):
        return _arxusb.RobotControlImp_setGPO(self, output, state)

    def getStopButton(self):
        return _arxusb.RobotControlImp_getStopButton(self)


_arxusb.RobotControlImp_swigregister(RobotControlImp)


class RobotControlFactory(_Wrapper):
    """Hands out robot-control objects; the library's own is cvar.RobotControlFactory_theFactory."""

    _new = _arxusb.new_RobotControlFactory
    _delete = _arxusb.delete_RobotControlFactory

    def getRobotControl(self):
        """A new RobotControl (a RobotControlImp) with default parameters. It belongs to the
        caller without "thisown": set robot.thisown = 1 to have it deleted with the instance."""
        return _arxusb.RobotControlFactory_getRobotControl(self)


_arxusb.RobotControlFactory_swigregister(RobotControlFactory)


def _array_property(member):
    get = getattr(_arxusb, "RobotControlPar_%s_get" % member)
    set_ = getattr(_arxusb, "RobotControlPar_%s_set" % member)
    return property(get, set_, doc="pointer to the 3-entry %s array; assigning one copies "
                                   "its entries" % member)


class RobotControlPar(_Wrapper):
    """Per-axis motion parameters and the controller's USB ids.

    RobotControlPar() has the defaults; RobotControlPar(other) copies another record. The
    per-axis values are read and set with get_<member>(axis) and set_<member>(axis, value);
    the array attributes (accel, v_max, ...) are pointers that copy three entries on assignment:
    par.accel = other.accel.
    """

    _new = _arxusb.new_RobotControlPar
    _delete = _arxusb.delete_RobotControlPar

    flagdir = _array_property("flagdir")
    accel = _array_property("accel")
    v_max = _array_property("v_max")
    v_home_f = _array_property("v_home_f")
    v_home_s = _array_property("v_home_s")
    maxstep = _array_property("maxstep")
    homestep = _array_property("homestep")
    vendor_id = property(_arxusb.RobotControlPar_vendor_id_get,
                         _arxusb.RobotControlPar_vendor_id_set)
    product_id = property(_arxusb.RobotControlPar_product_id_get,
                          _arxusb.RobotControlPar_product_id_set)

    def __copy__(self):
        return type(self)(self)

    def get_flagdir(self, axis):
        return _arxusb.RobotControlPar_get_flagdir(self, axis)

    def set_flagdir(self, axis, value):
        return _arxusb.RobotControlPar_set_flagdir(self, axis, value)

    def get_accel(self, axis):
        return _arxusb.RobotControlPar_get_accel(self, axis)

    def set_accel(self, axis, value):
        return _arxusb.RobotControlPar_set_accel(self, axis, value)

    def get_v_max(self, axis):
        return _arxusb.RobotControlPar_get_v_max(self, axis)

    def set_v_max(self, axis, value):
        return _arxusb.RobotControlPar_set_v_max(self, axis, value)

    def get_v_home_f(self, axis):
        return _arxusb.RobotControlPar_get_v_home_f(self, axis)

    def set_v_home_f(self, axis, value):
        return _arxusb.RobotControlPar_set_v_home_f(self, axis, value)

    def get_v_home_s(self, axis):
        return _arxusb.RobotControlPar_get_v_home_s(self, axis)

    def set_v_home_s(self, axis, value):
        return _arxusb.RobotControlPar_set_v_home_s(self, axis, value)

    def get_homestep(self, axis):
        return _arxusb.RobotControlPar_get_homestep(self, axis)

    def set_homestep(self, axis, value):
        return _arxusb.RobotControlPar_set_homestep(self, axis, value)

    def get_maxstep(self, axis):
        return _arxusb.RobotControlPar_get_maxstep(self, axis)

    def set_maxstep(self, axis, value):
        return _arxusb.RobotControlPar_set_maxstep(self, axis, value)

    def printout(self):
        """Prints the record on the process's standard output, eight lines per axis."""
        return _arxusb.RobotControlPar_printout(self)


_arxusb.RobotControlPar_swigregister(RobotControlPar)


class _LibraryException(_Wrapper, Exception):
    """A library exception: a Python exception that also wraps the library's object."""

    description = ""

    def __str__(self):
        return self.description


class RobotParEx(_LibraryException):
    description = "axis number outside 1..3, or a motion that cannot be commanded"
    _new = _arxusb.new_RobotParEx
    _delete = _arxusb.delete_RobotParEx


class ReadErrorEx(_LibraryException):
    description = "the controller's status could not be read (time-out); init again"
    _new = _arxusb.new_ReadErrorEx
    _delete = _arxusb.delete_ReadErrorEx


class WriteErrorEx(_LibraryException):
    description = "a command could not be written to the controller"
    _new = _arxusb.new_WriteErrorEx
    _delete = _arxusb.delete_WriteErrorEx


class UnreliableFlagEx(_LibraryException):
    description = "a home flag did not change as expected"
    _new = _arxusb.new_UnreliableFlagEx
    _delete = _arxusb.delete_UnreliableFlagEx


_arxusb.RobotParEx_swigregister(RobotParEx)
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
