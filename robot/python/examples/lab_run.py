#!/usr/bin/env python3
"""Lab script: home the arraying robot's three axes, make a few moves, report where it stands.

Dry run against the simulated controller (every command report logged in hex):
    ARXUSB_SIMULATOR=1 ARXUSB_SIMULATOR_LOG=reports.txt \
        PYTHONPATH=build/robot/python python3 robot/python/examples/lab_run.py
"""

import sys

import arxusb

AXES = ((arxusb.AX, "X"), (arxusb.AY, "Y"), (arxusb.AZ, "Z"))


def run(robot):
    # Z first, so that the print head is up before X and Y travel. An axis whose home flag did
    # not change as expected is not at home: moving pins over slides from there could crash
    # them, so the run stops (the controller has printed which pass failed).
    for axis in (arxusb.AZ, arxusb.AX, arxusb.AY):
        if not robot.home(axis):
            print("Axis %s did not home; stopping." % "XYZ"[axis - 1])
            return 1

    # Over to the first slide and down to it; the result is the distance actually commanded,
    # which may be a few steps short of the request.
    robot.move(arxusb.AX, 10000)
    robot.move(arxusb.AY, 1000)
    robot.waitdone()
    robot.move(arxusb.AZ, -1000)
    # Back half the way in X at a speed of 16 (the default is the record's v_max).
    robot.move(arxusb.AX, -5000, 0, False, False, 16)
    robot.waitdone()

    for axis, name in AXES:
        print("%s: position %d, aim %d" % (name, robot.coord(axis), robot.aim(axis)))
    for axis, _ in AXES:
        robot.idle(axis)
    return 0


def main():
    par = arxusb.RobotControlPar()  # the defaults: vendor id 0x4242, product id 0x4201
    # The device handles close when the block ends, whatever happens in it.
    with arxusb.RobotControlImp() as robot:
        if not robot.init(par):
            print("No controller with vendor id 0x%04x and product id 0x%04x"
                  % (par.vendor_id, par.product_id))
            return 1
        try:
            return run(robot)
        except (arxusb.ReadErrorEx, arxusb.WriteErrorEx) as error:
            print("The controller stopped answering (%s): %s" % (type(error).__name__, error))
            return 1
        except KeyboardInterrupt:
            # The controller finishes the commands it holds; a new init picks up from there.
            print("Interrupted.")
            return 130


if __name__ == "__main__":
    sys.exit(main())
