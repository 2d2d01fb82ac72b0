# Pointer strings: their format, the round trip, and forged or stale texts refused as type errors.
import re
import struct
import sys

import pytest

import _arxusb
import arxusb

DIGITS = 2 * struct.calcsize("P")


def address(pointer):
    """The address a pointer string carries: its bytes are in memory order."""
    return int.from_bytes(bytes.fromhex(pointer[1:1 + DIGITS]), sys.byteorder)


def pointer(addr, type_name):
    return "_" + addr.to_bytes(DIGITS // 2, sys.byteorder).hex() + type_name


def test_format_is_underscore_lowercase_address_digits_then_type_name():
    record = _arxusb.new_RobotControlPar()
    text = record.this
    assert re.fullmatch(r"_[0-9a-f]{%d}_p_arx__RobotControlPar" % DIGITS, text)
    assert DIGITS == 16  # a 64-bit build writes all 8 address bytes


def test_digits_are_the_address_bytes_in_memory_order():
    record = arxusb.RobotControlPar()
    # flagdir is the first member and accel follows its three int-sized entries.
    assert address(record.flagdir) == address(record.this)
    assert address(record.accel) == address(record.this) + 3 * struct.calcsize("i")
    assert address(record.v_max) == address(record.accel) + 3 * struct.calcsize("I")


def test_a_pointer_string_comes_back_to_the_same_object():
    record = arxusb.RobotControlPar()
    record.set_accel(2, 77)
    assert _arxusb.RobotControlPar_get_accel(record.this, 2) == 77
    wrapped = arxusb.RobotControlPar(record.this)  # wrapping a string copies nothing
    assert wrapped.this == record.this and wrapped.thisown == 0
    assert wrapped.get_accel(2) == 77


def test_unregistered_types_come_back_as_plain_strings():
    record = arxusb.RobotControlPar()
    assert isinstance(record.accel, str) and record.accel.endswith("_p_unsigned_int")
    assert record.flagdir.endswith("_p_arx__FLAG_DIR")


def forged_variants(text):
    digits = text[1:1 + DIGITS]
    shifted = pointer(address(text) + 16, "")[1:]
    return {
        "another address": "_" + shifted + text[1 + DIGITS:],
        "too few digits": "_" + digits[:8] + text[1 + DIGITS:],
        "no underscore": digits + text[1 + DIGITS:],
        "unknown type name": "_" + digits + "_p_arx__Nothing",
        "empty": "",
    }


@pytest.mark.parametrize("case", sorted(forged_variants("_" + "0" * DIGITS + "_p_x")))
def test_forged_record_pointers_are_refused(case):
    record = arxusb.RobotControlPar()
    forged = forged_variants(record.this)[case]
    with pytest.raises(TypeError, match=r"^Type error\. Expected _p_arx__RobotControlPar$"):
        _arxusb.RobotControlPar_get_accel(forged, 1)


def test_uppercase_digits_are_not_ours():
    record = arxusb.RobotControlPar()
    # The arrays lie 12, 24, ... 72 bytes into the record: one of them has a letter digit.
    arrays = [record.accel, record.v_max, record.v_home_f, record.maxstep, record.homestep]
    array = next(a for a in arrays if any(c in "abcdef" for c in a[1:1 + DIGITS]))
    upper = "_" + array[1:1 + DIGITS].upper() + "_p_unsigned_int"
    with pytest.raises(TypeError, match="Expected _p_unsigned_int"):
        _arxusb.RobotControlPar_v_home_s_set(record, upper)
    _arxusb.RobotControlPar_v_home_s_set(record, array)  # the lowercase original is taken


def test_a_pointer_of_another_type_at_a_live_address_is_refused():
    record = arxusb.RobotControlPar()
    # The record and its flagdir array share the address; the type name tells them apart.
    with pytest.raises(TypeError, match="Expected _p_arx__FLAG_DIR"):
        _arxusb.RobotControlPar_flagdir_set(record, record.this)
    with pytest.raises(TypeError, match="Expected _p_arx__RobotControlPar"):
        _arxusb.RobotControlPar_get_v_max(record.flagdir, 1)
    as_control = record.this.replace("_p_arx__RobotControlPar", "_p_arx__RobotControl")
    with pytest.raises(TypeError, match="Expected _p_arx__RobotControl$"):
        _arxusb.RobotControl_aim(as_control, 1)
    # An array pointer one entry into an array is no array of the record.
    inside = pointer(address(record.accel) + 4, "_p_unsigned_int")
    with pytest.raises(TypeError, match="Expected _p_unsigned_int"):
        _arxusb.RobotControlPar_accel_set(record, inside)


def test_a_pointer_used_after_its_delete_function_is_refused():
    text = _arxusb.new_RobotControlPar().this  # the instance dies here and deletes the record
    with pytest.raises(TypeError, match="Expected _p_arx__RobotControlPar"):
        _arxusb.RobotControlPar_get_v_max(text, 1)
    record = arxusb.RobotControlPar()
    accel = record.accel
    _arxusb.delete_RobotControlPar(record.this)
    # New objects must not take the deleted one's address, or the stale text would name them.
    newcomers = [arxusb.RobotControlPar() for _ in range(1000)]
    for call in (lambda: record.get_accel(1),
                 lambda: _arxusb.RobotControlPar_accel_set(arxusb.RobotControlPar(), accel),
                 lambda: _arxusb.delete_RobotControlPar(record.this)):
        with pytest.raises(TypeError, match="^Type error"):
            call()
    assert record.this not in {n.this for n in newcomers}


def test_a_robot_deleted_and_replaced_stays_deleted():
    robot = arxusb.RobotControlImp()
    stale = robot.this
    del robot
    later = [arxusb.RobotControlImp() for _ in range(50)]
    with pytest.raises(TypeError, match="Expected _p_arx__RobotControlImp"):
        _arxusb.RobotControlImp_aim(stale, 1)
    assert all(r.aim(1) == 0 for r in later)


def test_null_pointers_where_an_object_is_needed_are_type_errors():
    record = arxusb.RobotControlPar()
    calls = [
        lambda: _arxusb.RobotControlPar_get_accel(None, 1),
        lambda: _arxusb.RobotControlPar_printout("NULL"),
        lambda: _arxusb.RobotControlPar_accel_set(record, None),
        lambda: _arxusb.RobotControlPar_flagdir_set(record, "NULL"),
        lambda: _arxusb.RobotControl_waitdone(None),
        lambda: _arxusb.RobotControlImp_coord("NULL", 1),
        lambda: _arxusb.RobotControlFactory_getRobotControl(None),
        lambda: _arxusb.delete_RobotControlPar(None),
        lambda: _arxusb.delete_ReadErrorEx("NULL"),
    ]
    for call in calls:
        with pytest.raises(TypeError, match="^null reference$"):
            call()


def test_an_object_is_taken_through_its_this_attribute():
    record = arxusb.RobotControlPar()

    class Holder:
        this = record.this

    class NotAString:
        this = 42

    assert _arxusb.RobotControlPar_get_v_max(Holder(), 1) == 128
    for bad in (NotAString(), object(), 3.5, b"bytes"):
        with pytest.raises(TypeError, match="Expected _p_arx__RobotControlPar"):
            _arxusb.RobotControlPar_get_v_max(bad, 1)


def test_a_this_property_that_deletes_the_record_cannot_make_the_call_use_freed_memory():
    record = arxusb.RobotControlPar()
    victim = arxusb.RobotControlPar()

    class Saboteur:
        @property
        def this(self):
            _arxusb.delete_RobotControlPar(victim)
            return record.accel

    # The record argument is read first, the array argument's lookup deletes it: every
    # pointer is looked up only after all arguments were read.
    with pytest.raises(TypeError, match="Expected _p_arx__RobotControlPar"):
        _arxusb.RobotControlPar_accel_set(victim.this, Saboteur())


def test_an_index_conversion_that_deletes_the_record_is_refused_too():
    victim = arxusb.RobotControlPar()

    class Value:
        def __index__(self):
            _arxusb.delete_RobotControlPar(victim)
            return 5

    with pytest.raises(TypeError, match="Expected _p_arx__RobotControlPar"):
        _arxusb.RobotControlPar_set_accel(victim.this, 1, Value())
