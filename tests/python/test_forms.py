# Every function of _arxusb with its argument form: the names, the counts, the int positions.
import inspect

import pytest

import _arxusb

MEMBERS = ["flagdir", "accel", "v_max", "v_home_f", "v_home_s", "maxstep", "homestep"]
EXCEPTIONS = ["RobotParEx", "ReadErrorEx", "WriteErrorEx", "UnreliableFlagEx", "TimeoutEx"]


def forms():
    table = {}
    for name in EXCEPTIONS:
        table["new_" + name] = ""
        table["delete_" + name] = "O"
        table[name + "_swigregister"] = "O"
    for m in MEMBERS:
        table["RobotControlPar_%s_get" % m] = "O"
        table["RobotControlPar_%s_set" % m] = "OO"
        table["RobotControlPar_get_%s" % m] = "Oi"
        table["RobotControlPar_set_%s" % m] = "Oii" if m == "flagdir" else "OiO"
    for ident in ("vendor_id", "product_id"):
        table["RobotControlPar_%s_get" % ident] = "O"
        table["RobotControlPar_%s_set" % ident] = "OO"
    table.update({"RobotControlPar_printout": "O", "delete_RobotControlPar": "O",
                  "RobotControlPar_swigregister": "O", "RobotControlPar_get_travel_limits": "Oi",
                  "RobotControlPar_set_travel_limits": "OiOO"})
    for cls in ("RobotControl", "RobotControlImp"):
        table.update({cls + "_init": "O|O", cls + "_waitdone": "O|O", cls + "_home": "Oi|O",
                      cls + "_idle": "Oi", cls + "_coord": "Oi", cls + "_aim": "Oi",
                      cls + "_hSensorState": "Oi", cls + "_move": "Oii|iOOi",
                      cls + "_flush": "O|O", cls + "_setGPO": "OOO",
                      cls + "_getStopButton": "O", "delete_" + cls: "O",
                      cls + "_swigregister": "O",
                      # beyond the flat interface: for close() and repr in arxusb
                      cls + "_close": "O", cls + "_state": "O", cls + "_parameters": "O"})
    table.update({"new_RobotControlImp": "", "new_RobotControlFactory": "",
                  "delete_RobotControlFactory": "O", "RobotControlFactory_swigregister": "O",
                  "RobotControlFactory_getRobotControl": "O"})
    return table


FORMS = forms()


def dummies(form):
    # Not a pointer, not a class: any call that gets past parsing fails on the pointer.
    return ["not a pointer" if c == "O" else 1 for c in form.replace("|", "")]


def test_module_has_exactly_the_functions_of_the_interface():
    functions = {name for name in dir(_arxusb) if callable(getattr(_arxusb, name))}
    assert functions == set(FORMS) | {"new_RobotControlPar"}


@pytest.mark.parametrize("name", sorted(FORMS))
def test_wrong_argument_counts_are_refused_with_the_function_named(name):
    form = FORMS[name]
    required = len(form.split("|")[0])
    counts = [len(form.replace("|", "")) + 1] + ([required - 1] if required else [])
    for count in counts:
        with pytest.raises(TypeError, match=r"^%s\(\) takes" % name):
            getattr(_arxusb, name)(*(["x"] * count))


@pytest.mark.parametrize("name", sorted(n for n, f in FORMS.items() if "i" in f))
def test_int_arguments_refuse_other_types_before_the_pointer_is_looked_at(name):
    form = FORMS[name].replace("|", "")
    for position, code in enumerate(form):
        if code != "i":
            continue
        args = dummies(form)
        args[position] = "1"
        with pytest.raises(TypeError, match="integer"):
            getattr(_arxusb, name)(*args)


def test_keyword_arguments_are_refused():
    with pytest.raises(TypeError, match="keyword"):
        _arxusb.RobotControl_move("x", 1, 100, velocity=8)


@pytest.mark.parametrize("name", sorted(n for n, f in FORMS.items()
                                        if f and not n.endswith("_swigregister")))
def test_a_text_that_is_no_pointer_is_a_type_error_naming_the_expected_type(name):
    args = dummies(FORMS[name].split("|")[0])
    with pytest.raises(TypeError, match=r"^Type error\. Expected _p_"):
        getattr(_arxusb, name)(*args)


def test_registration_takes_a_class():
    with pytest.raises(TypeError, match="class"):
        _arxusb.RobotControlPar_swigregister(42)


@pytest.mark.parametrize("name", sorted(FORMS))
def test_every_function_documents_its_arguments_and_result(name):
    function = getattr(_arxusb, name)
    parameters = list(inspect.signature(function).parameters)
    assert len(parameters) == len(FORMS[name].replace("|", ""))
    assert "Returns" in function.__doc__


def test_the_overloaded_constructor_documents_both_forms():
    doc = _arxusb.new_RobotControlPar.__doc__
    assert doc.startswith("new_RobotControlPar() or new_RobotControlPar(other)")
    assert "Returns" in doc
