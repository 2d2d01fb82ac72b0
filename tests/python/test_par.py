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
    value = -1 if member == "flagdir" else 9
    set_(3, value)
    assert get(3) == value


def test_unsigned_values_go_through_integer_conversion():
    record = arxusb.RobotControlPar()
    record.set_maxstep(1, 0xFFFFFFFF)
    assert record.get_maxstep(1) == 0xFFFFFFFF
    record.set_v_max(2, True)
    assert record.get_v_max(2) == 1
    for bad, error in ((-1, OverflowError), (1 << 32, OverflowError), (2.5, TypeError),
                       ("3", TypeError), (None, TypeError)):
        with pytest.raises(error):
            record.set_v_max(3, bad)
        with pytest.raises(error):
            record.vendor_id = bad
    assert record.get_v_max(3) == 128 and record.vendor_id == 0x4242


@pytest.mark.parametrize("call, text", [
    (lambda r: r.set_v_max(1, 1000), "v_max of axis 1 must be 1..255, not 1000"),
    (lambda r: r.set_v_max(1, 0), "v_max of axis 1 must be 1..255, not 0"),
    (lambda r: r.set_accel(3, 256), "accel of axis 3 must be 0..255, not 256"),
    (lambda r: r.set_flagdir(2, 5), "flagdir of axis 2 must be 1 or -1, not 5"),
    (lambda r: r.set_v_home_s(0, 2), "v_home_s: axis must be 1..3, not 0"),
    (lambda r: setattr(r, "vendor_id", 0x100000), "vendor_id must be 0x0000..0xFFFF, not 0x100000"),
    (lambda r: setattr(r, "product_id", 0x10000), "product_id must be 0x0000..0xFFFF, not 0x10000"),
    (lambda r: r.set_travel_limits(1, 5, 4), "travel limits of axis 1 must have low <= high, not 5..4"),
])
def test_values_no_command_can_carry_are_refused_with_a_text_naming_them(call, text):
    record = arxusb.RobotControlPar()
    with pytest.raises(arxusb.RobotParEx) as refused:
        call(record)
    assert str(refused.value) == text
    assert repr(record) == repr(arxusb.RobotControlPar())  # unchanged


def test_edges_that_fit_are_taken():
    record = arxusb.RobotControlPar()
    record.set_v_max(1, 255)
    record.set_accel(1, 0)
    record.vendor_id = 0xFFFF
    record.set_travel_limits(2, -10, None)
    assert (record.get_v_max(1), record.get_accel(1), record.vendor_id) == (255, 0, 0xFFFF)
    assert record.get_travel_limits(2) == (-10, None)
    with pytest.raises(OverflowError):
        record.set_flagdir(1, 1 << 31)


def test_a_misspelt_member_is_an_attribute_error():
    record = arxusb.RobotControlPar()
    with pytest.raises(AttributeError, match="'v_maks'.*did you mean 'v_max'"):
        record.v_maks = 1
    record.vendor_id = 0x1234  # the real ones still work
    assert record.vendor_id == 0x1234


def test_ids_are_read_and_written_directly():
    record = arxusb.RobotControlPar()
    _arxusb.RobotControlPar_vendor_id_set(record, 0xFFFF)
    _arxusb.RobotControlPar_product_id_set(record.this, 7)
    assert _arxusb.RobotControlPar_vendor_id_get(record) == 0xFFFF
    assert record.product_id == 7
