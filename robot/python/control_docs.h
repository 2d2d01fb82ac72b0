// Docstrings of the robot-control functions of _arxusb (wrap_control.cpp), one per operation.
#pragma once

namespace arxpy {

// The docstrings of both flavours: a text signature for help() and inspect, then the text, in
// which {T} names the objects the flavour accepts. Lengths are motor steps throughout.
constexpr const char* kInitDoc = R"(($module, self, par=None, /)
--

Open the controller and wait until it is at rest.

self: {T}.
par: a RobotControlPar whose members (USB ids included) are copied into the
    object first; None or absent keeps the object's own parameters.
Returns 1 when a controller with the record's vendor_id and product_id was
found and is ready (aim() then equals the reported positions of all axes),
0 when none is present. A repeated init closes the earlier device first.
Raises ReadErrorEx when the controller stops answering while init waits
(6 s per status report), KeyboardInterrupt on Ctrl-C while it waits.)";

constexpr const char* kWaitdoneDoc = R"(($module, self, timeout=None, /)
--

Wait until the controller has taken every command, its queue is empty and
all three axes are at rest.

self: {T}.
timeout: seconds (a number above 0), or None for no limit. When it passes,
    TimeoutEx (a ReadErrorEx and a TimeoutError) is raised; the controller
    is left open and goes on with its queue, a new init resynchronises.
Returns None. Without a timeout there is no limit while it answers. The
interpreter lock is released meanwhile (other threads run) and Ctrl-C
raises KeyboardInterrupt within a second; the controller then goes on with
its queue and the object keeps the state of the last report (a new init
resynchronises).
Raises ReadErrorEx: "no controller: init has not succeeded" before a
successful init (or after close); otherwise the status report did not come
within 6 s or the device went away, its handles are closed and init is
needed.)";

constexpr const char* kHomeDoc = R"(($module, self, axis, timeout=None, /)
--

Home the axis against its home flag sensor.

self: {T}.
axis: 1, 2 or 3 (AX, AY, AZ).
timeout: seconds for the whole homing, or None for no limit (see waitdone).
Waits until the controller is idle, then runs up to three homing-mode
passes over maxstep steps: fast at v_home_f, slow at v_home_s, the last one
ending where the flag rises while moving in the negative user direction.
Afterwards aim() of every axis equals its reported position.
Returns 1 when every pass ended with the flag as expected; 0 when one did
not: the axis is then NOT at home, and the pass's message (such as
"ERROR pass 1! flag raised and flag is 0!") is written to sys.stdout and
logged as a warning on the logger "arxusb".
Raises RobotParEx (axis outside 1..3, homing speeds the command cannot
carry), TimeoutEx, ReadErrorEx, WriteErrorEx, KeyboardInterrupt (Ctrl-C
while it waits).)";

constexpr const char* kIdleDoc = R"(($module, self, axis, /)
--

Queue the idle command of the axis (after the commands sent before it).

self: {T}.
axis: 1, 2 or 3.
Returns 1. Raises RobotParEx for an axis outside 1..3, ReadErrorEx,
WriteErrorEx, KeyboardInterrupt while it waits for room in the queue.)";

constexpr const char* kCoordDoc = R"(($module, self, axis, /)
--

The axis' reported position, read from one status report.

self: {T}.
axis: 1, 2 or 3.
Returns the position in motor steps in the DEVICE's counting direction:
on an axis whose flagdir is NEGATIVE (AY with the default parameters) it
counts against the steps of move(), so coord(AY) reads -1000 after
move(AY, 1000) from 0.
Raises RobotParEx for an axis outside 1..3, ReadErrorEx,
KeyboardInterrupt.)";

constexpr const char* kAimDoc = R"(($module, self, axis, /)
--

The axis' commanded target: where it stands once every move sent so far
has run, each as far as move() returned. No I/O.

self: {T}.
axis: 1, 2 or 3.
Returns motor steps in the DEVICE's counting direction, as coord().
Raises RobotParEx for an axis outside 1..3.)";

constexpr const char* kHSensorStateDoc = R"(($module, self, axis, /)
--

The axis' home flag, read from one status report.

self: {T}.
axis: 1, 2 or 3.
Returns 1 when the flag is set, else 0.
Raises RobotParEx for an axis outside 1..3, ReadErrorEx,
KeyboardInterrupt.)";

constexpr const char* kMoveDoc =
    R"(($module, self, axis, steps, rampOffset=0, rise=0, homing=0, velocity=0, /)
--

Queue one ramped motion of the axis. Returns as soon as the command is
written; waitdone() waits for the motion.

self: {T}.
axis: 1, 2 or 3.
steps: motor steps in the USER direction (an axis whose flagdir is NEGATIVE
    runs the other way in the device; coord() and aim() count in the device's
    direction).
rampOffset: sent in the command as rampOffset / a + 1 (0 for a plain move).
rise, homing: a homing-mode motion (homing true) that the controller ends at
    the home flag's rising edge (rise true) or falling edge.
velocity: speed in the controller's velocity units, 1..255 (the command
    carries it in one byte); 0 takes the record's v_max (v_home_s when
    homing). The speed is halved until both ramps fit into the distance.
Returns the displacement commanded, user direction, in motor steps. It is
never more than asked: a move of at most v steps (the ramp's minimum: 128
steps with the default v_max) or on an axis whose accel is 0 is not sent at
all and returns 0, and a longer one is shortened to (a*v + n)*v steps
(1001 -> 1000). To go to a device position, move by its difference from
aim(), sign reversed on a NEGATIVE axis:
    robot.move(axis, flagdir * (target - robot.aim(axis)))
aim() keeps every shortfall, so such go-to moves do not drift.
Raises RobotParEx, sending nothing and leaving aim() as it was, for an axis
outside 1..3 and for a motion the command cannot carry: ramp length or
speed (after halving) outside 1..255, an offset byte outside 0..255, more
than 16777216 full-speed periods; and for an ordinary (non-homing) move
whose target leaves the positions the controller reports (-8388608 ..
8388607 device steps) or the record's travel limits (user direction).
Also ReadErrorEx, WriteErrorEx, KeyboardInterrupt (Ctrl-C while it waits
for room in the controller's queue).)";

constexpr const char* kFlushDoc = R"(($module, self, timeout=None, /)
--

Wait until the controller's command queue is empty (axes may still move).

self: {T}.
timeout: seconds, or None for no limit (see waitdone).
Returns None. Waits as waitdone() does: the interpreter lock released,
Ctrl-C raising KeyboardInterrupt.
Raises TimeoutEx and ReadErrorEx as waitdone() does.)";

constexpr const char* kParametersDoc = R"(($module, self, /)
--

A copy of the object's parameter record (the one init copied), no I/O.

self: {T}.
Returns a new RobotControlPar, owned by the caller.)";

constexpr const char* kSetGPODoc = R"(($module, self, output, state, /)
--

Set a general-purpose output of the controller.

self: {T}.
output: output number (int, 0 .. 2**32-1); state: truth value.
Returns None. RobotControlImp sends nothing for it.)";

constexpr const char* kGetStopButtonDoc = R"(($module, self, /)
--

The controller's stop button.

self: {T}.
Returns 0: RobotControlImp has no stop button and reads no report.)";

constexpr const char* kCloseDoc = R"(($module, self, /)
--

Close the controller's device handles. The object stays usable: a new init
opens the controller again; until then operations that talk to the
controller raise ReadErrorEx("no controller: init has not succeeded").

self: {T}.
Returns None.)";

constexpr const char* kStateDoc = R"(($module, self, /)
--

What the object knows, without any I/O (for repr).

self: {T}.
Returns a dict: "busy" (True while another thread runs an operation on it;
then nothing else), "vendor_id" and "product_id" of its parameters, "open"
(a controller is open), "initialised" (the last init succeeded),
"position" (the axes' positions of the last status report, device
direction, or None when no controller is open) and "aim" (see aim()).)";

constexpr const char* kDeleteDoc = R"(($module, self, /)
--

Delete the library object, closing its device handles.

self: {T}, or its pointer string.
Returns None and sets "thisown" to 0 on the instance. While another thread
runs an operation on the object, it is deleted when that operation ends.
Raises TypeError for an object that is not alive.)";

constexpr const char* kRegisterDoc = R"(($module, cls, /)
--

Register the Python class whose instances this module returns for {T}
(called once by the arxusb module).

cls: a callable taking a pointer string.
Returns None. Raises TypeError when cls is not callable.)";

}  // namespace arxpy
