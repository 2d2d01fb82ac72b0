# RobotControlPar through the flat functions and the shadow class: defaults, copies, arrays,
# per-axis accessors, ids and printout.
import pytest

import _arxusb
import arxusb

DEFAULTS = {"flagdir": [1, -1, 1], "accel": [64] * 3, "v_max": [128] * 3,
            "v_home_f": [4] * 3, "v_home_s": [2] * 3, "maxstep": [16777215] * 3,
            "homestep": [8] * 3}


def values(record, member):
    get = getattr(record, "get_" + member)
    return [get(axis) for axis in (1, 2, 3)]


def test_a_new_record_has_the_defaults():
    record = arxusb.RobotControlPar()
    for member, expected in DEFAULTS.items():
        assert values(record, member) == expected, member
    assert (record.vendor_id, record.product_id) == (0x4242, 0x4201)


def test_printout_writes_eight_lines_per_axis_on_the_process_output(capfd):
    record = arxusb.RobotControlPar()
    record.set_maxstep(3, 0xFFFFFFFF)  # read as signed: -1
    record.printout()
    lines = capfd.readouterr().out.splitlines()
    assert len(lines) == 24
    assert lines[:8] == ["Axis 0", "  flagdir  1", "  accel    64", "  v_max    128",
                         "  v_home_f 4", "  v_home_s 2", "  homestep 8", "  maxstep  16777215"]
    assert lines[8:10] == ["Axis 1", "  flagdir  -1"]
    assert lines[16] == "Axis 2" and lines[23] == "  maxstep  -1"


def test_new_with_a_record_copies_it_and_the_copy_keeps_the_old_values():
    record = arxusb.RobotControlPar()
    record.vendor_id = 0x1234
    copy = arxusb.RobotControlPar(record)
    record.set_v_max(1, 7)
    record.vendor_id = 1
    assert copy.get_v_max(1) == 128 and copy.vendor_id == 0x1234
    flat = _arxusb.new_RobotControlPar(record.this)
    assert flat.get_v_max(1) == 7 and flat.thisown == 1


def test_new_with_none_or_other_arguments():
    with pytest.raises(TypeError, match="^null reference$"):
        _arxusb.new_RobotControlPar(None)
    with pytest.raises(TypeError, match="^null reference$"):
        _arxusb.new_RobotControlPar("NULL")
    no_match = "^No matching function for overloaded 'new_RobotControlPar'$"
    record = arxusb.RobotControlPar()
    for args in ((record, record), (1,), ("text",), (arxusb.RobotControlImp(),),
                 (record.accel,), (None, None)):
        with pytest.raises(TypeError, match=no_match):
            _arxusb.new_RobotControlPar(*args)


def test_array_set_copies_all_three_entries_from_another_record():
    source = arxusb.RobotControlPar()
    for axis, value in ((1, 11), (2, 22), (3, 33)):
        source.set_accel(axis, value)
    source.set_flagdir(2, arxusb.POSITIVE)
    target = arxusb.RobotControlPar()
    _arxusb.RobotControlPar_accel_set(target, _arxusb.RobotControlPar_accel_get(source))
    target.flagdir = source.flagdir
    target.homestep = source.accel  # any unsigned array will do
    assert values(target, "accel") == [11, 22, 33]
    assert values(target, "homestep") == [11, 22, 33]
    assert values(target, "flagdir") == [1, 1, 1]
    target.accel = target.accel  # onto itself
    assert values(target, "accel") == [11, 22, 33]
    with pytest.raises(TypeError, match="Expected _p_unsigned_int"):
        target.accel = source.flagdir
    with pytest.raises(TypeError, match="Expected _p_arx__FLAG_DIR"):
        target.flagdir = source.accel


MEMBERS = ["accel", "v_max", "v_home_f", "v_home_s", "maxstep", "homestep"]


@pytest.mark.parametrize("member", MEMBERS + ["flagdir"])
def test_accessors_refuse_axes_outside_one_to_three_with_robotparex(member):
    record = arxusb.RobotControlPar()
    get = getattr(record, "get_" + member)
    set_ = getattr(record, "set_" + member)
    for axis in (0, 4, -1):
        with pytest.raises(arxusb.RobotParEx):
            get(axis)
        with pytest.raises(arxusb.RobotParEx):
            set_(axis, 5)
    assert values(record, member) == DEFAULTS[member]  # a refused set changes nothing
    set_(3, 9)
    assert get(3) == 9


def test_unsigned_values_go_through_integer_conversion():
    record = arxusb.RobotControlPar()
    record.set_v_max(1, 0xFFFFFFFF)
    assert record.get_v_max(1) == 0xFFFFFFFF
    record.set_v_max(2, True)
    assert record.get_v_max(2) == 1
    for bad, error in ((-1, OverflowError), (1 << 32, OverflowError), (2.5, TypeError),
                       ("3", TypeError), (None, TypeError)):
        with pytest.raises(error):
            record.set_v_max(3, bad)
        with pytest.raises(error):
            record.vendor_id = bad
    assert record.get_v_max(3) == 128 and record.vendor_id == 0x4242


def test_any_int_is_a_flagdir_value():
    record = arxusb.RobotControlPar()
    record.set_flagdir(1, 5)
    record.set_flagdir(2, -2147483648)
    assert values(record, "flagdir") == [5, -2147483648, 1]
    with pytest.raises(OverflowError):
        record.set_flagdir(1, 1 << 31)


def test_ids_are_read_and_written_directly():
    record = arxusb.RobotControlPar()
    _arxusb.RobotControlPar_vendor_id_set(record, 0x10000)
    _arxusb.RobotControlPar_product_id_set(record.this, 7)
    assert _arxusb.RobotControlPar_vendor_id_get(record) == 0x10000
    assert record.product_id == 7
