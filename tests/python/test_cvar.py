# The cvar object: the library's global variables, read-only constants and the static factory.
import pydoc

import pytest

import _arxusb
import arxusb

CONSTANTS = {"DIR_FLAG": 128, "IDLE_FLAG": 64, "DECEL_FLAG": 32, "CRESET_FLAG": 16,
             "RAISE_FLAG": 8, "V_MAX_LIM": 64, "V_MAX_HOME": 4}


def test_module_constants_are_plain_ints():
    assert {name: getattr(_arxusb, name) for name in
            ("AXIS_BASE", "AX", "AY", "AZ", "NEGATIVE", "POSITIVE")} == {
        "AXIS_BASE": 1, "AX": 1, "AY": 2, "AZ": 3, "NEGATIVE": -1, "POSITIVE": 1}
    assert not hasattr(_arxusb, "DIR_FLAG")  # the flags live in cvar only


@pytest.mark.parametrize("name", sorted(CONSTANTS))
def test_constants_read_and_refuse_assignment(name):
    cvar = _arxusb.cvar
    assert getattr(cvar, name) == CONSTANTS[name]
    with pytest.raises(TypeError, match=r"^Variable %s is read-only\.$" % name):
        setattr(cvar, name, 0)
    with pytest.raises(TypeError, match="read-only"):
        delattr(cvar, name)
    assert getattr(cvar, name) == CONSTANTS[name]


def test_unknown_names_are_name_errors():
    for action in (lambda: _arxusb.cvar.DIR_FLAGS, lambda: setattr(_arxusb.cvar, "x", 1),
                   lambda: _arxusb.cvar.dir_flag, lambda: setattr(_arxusb.cvar, "__doc__", 1),
                   lambda: delattr(_arxusb.cvar, "Other")):
        with pytest.raises(NameError, match="^Unknown C global variable$"):
            action()


def test_python_protocol_names_keep_working_so_that_help_does():
    cvar = _arxusb.cvar
    assert cvar.__class__ is type(cvar) and isinstance(cvar, type(cvar))
    with pytest.raises(AttributeError):
        cvar.__dict__
    assert "RobotControlImp" in pydoc.render_doc(arxusb)


def test_representation_and_print_form(capsys):
    cvar = _arxusb.cvar
    assert type(cvar).__name__ == "swigvarlink"
    assert repr(cvar) == "<Global variables>"
    print(cvar)
    assert capsys.readouterr().out == (
        "Global variables { V_MAX_HOME, V_MAX_LIM, RAISE_FLAG, CRESET_FLAG, DECEL_FLAG, "
        "IDLE_FLAG, DIR_FLAG, RobotControlFactory_theFactory }\n")
    assert arxusb.cvar is cvar


def test_the_static_factory_is_the_same_object_every_time():
    first = _arxusb.cvar.RobotControlFactory_theFactory
    second = _arxusb.cvar.RobotControlFactory_theFactory
    assert type(first) is arxusb.RobotControlFactory
    assert first.this == second.this and first.thisown == 0


def test_assigning_the_static_factory_takes_only_a_live_factory():
    cvar = _arxusb.cvar
    before = cvar.RobotControlFactory_theFactory.this
    cvar.RobotControlFactory_theFactory = arxusb.RobotControlFactory()
    cvar.RobotControlFactory_theFactory = cvar.RobotControlFactory_theFactory
    assert cvar.RobotControlFactory_theFactory.this == before
    dead = arxusb.RobotControlFactory().this
    message = (r"^C variable 'arx::RobotControlFactory::theFactory "
               r"\(arx::RobotControlFactory\)'$")
    for bad in (None, "NULL", 5, arxusb.RobotControlPar(), dead):
        with pytest.raises(TypeError, match=message):
            cvar.RobotControlFactory_theFactory = bad
