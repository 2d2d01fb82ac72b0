// The RobotControlPar functions of _arxusb: constructors, member arrays, per-axis accessors,
// the controller ids and printout.
#include <array>
#include <climits>
#include <cstdio>
#include <memory>
#include <utility>

#include "convert.h"
#include "docstrings.h"
#include "wrappers.h"

namespace arxpy {
namespace {

using Par = arx::RobotControlPar;

// The six per-axis members of 32-bit unsigned entries, with their function names and forms.
struct UnsignedMember {
    unsigned int (Par::*array)[3];
    unsigned int (Par::*get)(int) const;
    void (Par::*set)(int, unsigned int);
    const char* arrayGetForm;
    const char* arraySetForm;
    const char* getForm;
    const char* setForm;
};

// The accessors and argument forms of one member, all named after it.
#define ARXPY_PAR_MEMBER(name)                                                             \
    {                                                                                      \
        &Par::name, &Par::get_##name, &Par::set_##name, "O:RobotControlPar_" #name "_get", \
            "OO:RobotControlPar_" #name "_set", "Oi:RobotControlPar_get_" #name,           \
            "OiO:RobotControlPar_set_" #name                                               \
    }

constexpr std::array<UnsignedMember, 6> kMembers = {{
    ARXPY_PAR_MEMBER(accel),
    ARXPY_PAR_MEMBER(v_max),
    ARXPY_PAR_MEMBER(v_home_f),
    ARXPY_PAR_MEMBER(v_home_s),
    ARXPY_PAR_MEMBER(maxstep),
    ARXPY_PAR_MEMBER(homestep),
}};
#undef ARXPY_PAR_MEMBER

// Reads and resolves the record argument alone.
bool record(PyObject* arg, Par*& out) {
    PointerText p;
    return readPointer(arg, PtrType::RobotControlPar, p) && resolvePar(p, Null::Refused, out);
}

}  // namespace

PyObject* newParRecord(const Par* source) {
    return guarded([&]() -> PyObject* {
        auto made = source != nullptr ? std::make_unique<Par>(*source) : std::make_unique<Par>();
        Par* par = made.get();
        liveObjects().add(par, PtrType::RobotControlPar, par, true);
        static_cast<void>(made.release());  // the registry owns it now
        return pointerResult(par, PtrType::RobotControlPar, Handout::Owned);
    });
}

namespace {

PyObject* noMatchingConstructor() {
    PyErr_SetString(PyExc_TypeError, "No matching function for overloaded 'new_RobotControlPar'");
    return nullptr;
}

// Two constructors: none, or a record to copy. The copy is chosen for any argument that the
// pointer conversion takes as a record (None included); a stale record is then a type error.
PyObject* new_RobotControlPar(PyObject*, PyObject* args) {
    Py_ssize_t count = PyTuple_GET_SIZE(args);
    if (count == 0) {
        if (!PyArg_ParseTuple(args, ":new_RobotControlPar")) return nullptr;
        return newParRecord(nullptr);
    }
    PyObject* arg = nullptr;
    if (count != 1 || !PyArg_ParseTuple(args, "O:new_RobotControlPar", &arg)) {
        return noMatchingConstructor();
    }
    PointerText p;
    if (!readPointer(arg, PtrType::RobotControlPar, p)) {
        if (!PyErr_ExceptionMatches(PyExc_TypeError)) return nullptr;
        PyErr_Clear();
        return noMatchingConstructor();
    }
    if (!p.null && p.typeName != typeName(PtrType::RobotControlPar)) return noMatchingConstructor();
    Par* source = nullptr;
    if (!resolvePar(p, Null::Refused, source)) return nullptr;
    return newParRecord(source);
}

PyObject* delete_RobotControlPar(PyObject*, PyObject* args) {
    return deleteLive(args, "O:delete_RobotControlPar", PtrType::RobotControlPar);
}

PyObject* RobotControlPar_swigregister(PyObject*, PyObject* args) {
    return registerShadowClass(PtrType::RobotControlPar, args, "O:RobotControlPar_swigregister");
}

PyObject* RobotControlPar_printout(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    Par* par = nullptr;
    if (!PyArg_ParseTuple(args, "O:RobotControlPar_printout", &self)) return nullptr;
    flushPythonStdout();
    if (!record(self, par)) return nullptr;
    return guarded([&] {
        par->printout();
        std::fflush(stdout);
        Py_RETURN_NONE;
    });
}

template <std::size_t M>
PyObject* arrayGet(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    Par* par = nullptr;
    if (!PyArg_ParseTuple(args, kMembers[M].arrayGetForm, &self) || !record(self, par)) {
        return nullptr;
    }
    return pointerResult(par->*kMembers[M].array, PtrType::UnsignedArray, Handout::Borrowed);
}

// Copies the three entries of another record's array (or the record's own) into the record.
template <std::size_t M>
PyObject* arraySet(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    PyObject* value = nullptr;
    if (!PyArg_ParseTuple(args, kMembers[M].arraySetForm, &self, &value)) return nullptr;
    PointerText recordText, arrayText;
    if (!readPointer(self, PtrType::RobotControlPar, recordText) ||
        !readPointer(value, PtrType::UnsignedArray, arrayText)) {
        return nullptr;
    }
    Par* par = nullptr;
    unsigned int* source = nullptr;
    if (!resolvePar(recordText, Null::Refused, par) || !resolveUnsignedArray(arrayText, source)) {
        return nullptr;
    }
    unsigned int copy[3] = {source[0], source[1], source[2]};
    std::copy(copy, copy + 3, par->*kMembers[M].array);
    Py_RETURN_NONE;
}

template <std::size_t M>
PyObject* axisGet(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    int axis = 0;
    Par* par = nullptr;
    if (!PyArg_ParseTuple(args, kMembers[M].getForm, &self, &axis) || !record(self, par)) {
        return nullptr;
    }
    return guarded([&] { return PyLong_FromUnsignedLong((par->*kMembers[M].get)(axis)); });
}

template <std::size_t M>
PyObject* axisSet(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    int axis = 0;
    PyObject* valueArg = nullptr;
    if (!PyArg_ParseTuple(args, kMembers[M].setForm, &self, &axis, &valueArg)) return nullptr;
    PointerText p;
    unsigned int value = 0;
    Par* par = nullptr;
    if (!readPointer(self, PtrType::RobotControlPar, p) || !readUnsigned(valueArg, value) ||
        !resolvePar(p, Null::Refused, par)) {
        return nullptr;
    }
    return guarded([&] {
        (par->*kMembers[M].set)(axis, value);
        Py_RETURN_NONE;
    });
}

PyObject* RobotControlPar_flagdir_get(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    Par* par = nullptr;
    if (!PyArg_ParseTuple(args, "O:RobotControlPar_flagdir_get", &self) || !record(self, par)) {
        return nullptr;
    }
    return pointerResult(par->flagdir, PtrType::FlagDirArray, Handout::Borrowed);
}

PyObject* RobotControlPar_flagdir_set(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    PyObject* value = nullptr;
    if (!PyArg_ParseTuple(args, "OO:RobotControlPar_flagdir_set", &self, &value)) return nullptr;
    PointerText recordText, arrayText;
    if (!readPointer(self, PtrType::RobotControlPar, recordText) ||
        !readPointer(value, PtrType::FlagDirArray, arrayText)) {
        return nullptr;
    }
    Par* par = nullptr;
    arx::FLAG_DIR* source = nullptr;
    if (!resolvePar(recordText, Null::Refused, par) || !resolveFlagDirArray(arrayText, source)) {
        return nullptr;
    }
    arx::FLAG_DIR copy[3] = {source[0], source[1], source[2]};
    std::copy(copy, copy + 3, par->flagdir);
    Py_RETURN_NONE;
}

PyObject* RobotControlPar_get_flagdir(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    int axis = 0;
    Par* par = nullptr;
    if (!PyArg_ParseTuple(args, "Oi:RobotControlPar_get_flagdir", &self, &axis) ||
        !record(self, par)) {
        return nullptr;
    }
    return guarded([&] { return PyLong_FromLong(par->get_flagdir(axis)); });
}

// The library refuses a direction other than POSITIVE and NEGATIVE.
PyObject* RobotControlPar_set_flagdir(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    int axis = 0;
    int value = 0;
    Par* par = nullptr;
    if (!PyArg_ParseTuple(args, "Oii:RobotControlPar_set_flagdir", &self, &axis, &value) ||
        !record(self, par)) {
        return nullptr;
    }
    return guarded([&] {
        par->set_flagdir(axis, static_cast<arx::FLAG_DIR>(value));
        Py_RETURN_NONE;
    });
}

template <unsigned int Par::*Id>
PyObject* idGet(PyObject* args, const char* form) {
    PyObject* self = nullptr;
    Par* par = nullptr;
    if (!PyArg_ParseTuple(args, form, &self) || !record(self, par)) return nullptr;
    return PyLong_FromUnsignedLong(par->*Id);
}

// An id that does not fit 16 bits could never match a device: refused with RobotParEx.
template <unsigned int Par::*Id>
PyObject* idSet(PyObject* args, const char* form, const char* member) {
    PyObject* self = nullptr;
    PyObject* valueArg = nullptr;
    if (!PyArg_ParseTuple(args, form, &self, &valueArg)) return nullptr;
    PointerText p;
    unsigned int value = 0;
    Par* par = nullptr;
    if (!readPointer(self, PtrType::RobotControlPar, p) || !readUnsigned(valueArg, value) ||
        !resolvePar(p, Null::Refused, par)) {
        return nullptr;
    }
    return guarded([&] {
        arx::checkUsbId(member, value);
        par->*Id = value;
        Py_RETURN_NONE;
    });
}

PyObject* RobotControlPar_vendor_id_get(PyObject*, PyObject* args) {
    return idGet<&Par::vendor_id>(args, "O:RobotControlPar_vendor_id_get");
}
PyObject* RobotControlPar_vendor_id_set(PyObject*, PyObject* args) {
    return idSet<&Par::vendor_id>(args, "OO:RobotControlPar_vendor_id_set", "vendor_id");
}
PyObject* RobotControlPar_product_id_get(PyObject*, PyObject* args) {
    return idGet<&Par::product_id>(args, "O:RobotControlPar_product_id_get");
}
PyObject* RobotControlPar_product_id_set(PyObject*, PyObject* args) {
    return idSet<&Par::product_id>(args, "OO:RobotControlPar_product_id_set", "product_id");
}

// A travel limit: an int, or None for none (the int's extreme, as the library keeps it).
bool readLimit(PyObject* arg, int unlimited, int& out) {
    if (arg == Py_None) {
        out = unlimited;
        return true;
    }
    const long value = PyLong_AsLong(arg);
    if (value == -1 && PyErr_Occurred()) return false;
    if (value < INT_MIN || value > INT_MAX) {
        PyErr_SetString(PyExc_OverflowError, "a travel limit must fit a signed 32-bit int");
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

PyObject* limitValue(int value, int unlimited) {
    if (value == unlimited) Py_RETURN_NONE;
    return PyLong_FromLong(value);
}

PyObject* RobotControlPar_get_travel_limits(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    int axis = 0;
    Par* par = nullptr;
    if (!PyArg_ParseTuple(args, "Oi:RobotControlPar_get_travel_limits", &self, &axis) ||
        !record(self, par)) {
        return nullptr;
    }
    return guarded([&]() -> PyObject* {
        const int low = par->get_travel_min(axis), high = par->get_travel_max(axis);
        return Py_BuildValue("(NN)", limitValue(low, INT_MIN), limitValue(high, INT_MAX));
    });
}

PyObject* RobotControlPar_set_travel_limits(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    int axis = 0;
    PyObject* lowArg = nullptr;
    PyObject* highArg = nullptr;
    if (!PyArg_ParseTuple(args, "OiOO:RobotControlPar_set_travel_limits", &self, &axis, &lowArg,
                          &highArg)) {
        return nullptr;
    }
    PointerText p;
    Par* par = nullptr;
    int low = 0, high = 0;
    if (!readPointer(self, PtrType::RobotControlPar, p) || !readLimit(lowArg, INT_MIN, low) ||
        !readLimit(highArg, INT_MAX, high) || !resolvePar(p, Null::Refused, par)) {
        return nullptr;
    }
    return guarded([&] {
        par->set_travel_limits(axis, low, high);
        Py_RETURN_NONE;
    });
}

// What each member means, in the order of kMembers.
constexpr const char* kMeanings[] = {
    "accel: upper bound of the ramp length a of a move (0 leaves the axis without motion;\n"
    "default 64)",
    "v_max: speed of an ordinary move, in the controller's velocity units, 1..255\n"
    "(default 128)",
    "v_home_f: speed of the fast homing pass, controller velocity units (default 4)",
    "v_home_s: speed of the slow homing passes and of a homing-mode move, controller\n"
    "velocity units (default 2)",
    "maxstep: travel requested in each homing pass, motor steps (default 16777215)",
    "homestep: kept, copied and printed; no operation uses it (default 8)",
};

template <std::size_t M>
void addMember(std::vector<PyMethodDef>& table) {
    const UnsignedMember& m = kMembers[M];
    const std::string meaning = std::string("\n\n") + kMeanings[M] + ".\n\n";
    table.push_back(
        {nameOf(m.arrayGetForm), arrayGet<M>, METH_VARARGS,
         keepDoc(std::string(nameOf(m.arrayGetForm)) + "($module, self, /)\n--" + meaning +
                 "Returns a \"_p_unsigned_int\" pointer to the record's 3-entry\n"
                 "array (entry k for axis k + 1), valid while the record lives.\n"
                 "Raises TypeError for an object that is no live record.")});
    table.push_back(
        {nameOf(m.arraySetForm), arraySet<M>, METH_VARARGS,
         keepDoc(std::string(nameOf(m.arraySetForm)) + "($module, self, array, /)\n--" + meaning +
                 "array: a pointer from another record's get (or this one's).\n"
                 "Returns None; the three entries are copied into the record.\n"
                 "Raises TypeError for a pointer that is no live record's array.")});
    table.push_back(
        {nameOf(m.getForm), axisGet<M>, METH_VARARGS,
         keepDoc(std::string(nameOf(m.getForm)) + "($module, self, axis, /)\n--" + meaning +
                 "axis: 1, 2 or 3. Returns the axis' entry (int).\n"
                 "Raises RobotParEx for an axis outside 1..3.")});
    table.push_back(
        {nameOf(m.setForm), axisSet<M>, METH_VARARGS,
         keepDoc(std::string(nameOf(m.setForm)) + "($module, self, axis, value, /)\n--" + meaning +
                 "axis: 1, 2 or 3; value: an int in the member's range. Returns None.\n"
                 "Raises RobotParEx for an axis outside 1..3 or a value outside the\n"
                 "range (the record is left unchanged), OverflowError or TypeError\n"
                 "for a value that is no 32-bit unsigned int.")});
}

template <std::size_t... M>
void addMembers(std::vector<PyMethodDef>& table, std::index_sequence<M...>) {
    (addMember<M>(table), ...);
}

}  // namespace

void addParFunctions(std::vector<PyMethodDef>& table) {
    const PyMethodDef own[] = {
        {"new_RobotControlPar", new_RobotControlPar, METH_VARARGS,
         "new_RobotControlPar() or new_RobotControlPar(other)\n\n"
         "A new parameter record: the defaults, or a copy of another record.\n\n"
         "other: a RobotControlPar to copy (all members, the USB ids included).\n"
         "Returns the record, owned by the caller (\"thisown\" is 1).\n"
         "Raises TypeError \"null reference\" for None, TypeError \"No matching function\n"
         "for overloaded 'new_RobotControlPar'\" for other arguments."},
        {"delete_RobotControlPar", delete_RobotControlPar, METH_VARARGS,
         "delete_RobotControlPar($module, self, /)\n--\n\n"
         "Delete a record. Returns None and sets \"thisown\" to 0 on the instance.\n"
         "Raises TypeError for an object that is no live record."},
        {"RobotControlPar_swigregister", RobotControlPar_swigregister, METH_VARARGS,
         "RobotControlPar_swigregister($module, cls, /)\n--\n\n"
         "Register the Python class for RobotControlPar objects.\n\n"
         "Returns None. Raises TypeError when cls is not callable."},
        {"RobotControlPar_printout", RobotControlPar_printout, METH_VARARGS,
         "RobotControlPar_printout($module, self, /)\n--\n\n"
         "Print the record on the process's standard output: per axis a header\n"
         "\"Axis i\" (i = 0, 1, 2) and flagdir, accel, v_max, v_home_f, v_home_s,\n"
         "homestep and maxstep, one line each. The USB ids are not printed.\n\n"
         "Returns None. Raises TypeError for an object that is no live record."},
        {"RobotControlPar_flagdir_get", RobotControlPar_flagdir_get, METH_VARARGS,
         "RobotControlPar_flagdir_get($module, self, /)\n--\n\n"
         "The record's 3-entry flagdir array (counting directions, see get_flagdir).\n\n"
         "Returns a \"_p_arx__FLAG_DIR\" pointer, valid while the record lives.\n"
         "Raises TypeError for an object that is no live record."},
        {"RobotControlPar_flagdir_set", RobotControlPar_flagdir_set, METH_VARARGS,
         "RobotControlPar_flagdir_set($module, self, array, /)\n--\n\n"
         "Copy the three entries of a flagdir array into the record.\n\n"
         "array: a pointer from a record's flagdir_get. Returns None.\n"
         "Raises TypeError for a pointer that is no live record's flagdir array."},
        {"RobotControlPar_get_flagdir", RobotControlPar_get_flagdir, METH_VARARGS,
         "RobotControlPar_get_flagdir($module, self, axis, /)\n--\n\n"
         "The axis' counting direction: POSITIVE (1) when the user direction of\n"
         "move() is the device's, NEGATIVE (-1) when it is reversed (then coord()\n"
         "and aim() count against move()). Defaults: X 1, Y -1, Z 1.\n\n"
         "axis: 1, 2 or 3. Returns the int. Raises RobotParEx for an axis outside 1..3."},
        {"RobotControlPar_set_flagdir", RobotControlPar_set_flagdir, METH_VARARGS,
         "RobotControlPar_set_flagdir($module, self, axis, value, /)\n--\n\n"
         "Set the axis' counting direction (see get_flagdir).\n\n"
         "axis: 1, 2 or 3; value: POSITIVE (1) or NEGATIVE (-1). Returns None.\n"
         "Raises RobotParEx for an axis outside 1..3 or another value (the record\n"
         "is left unchanged)."},
        {"RobotControlPar_vendor_id_get", RobotControlPar_vendor_id_get, METH_VARARGS,
         "RobotControlPar_vendor_id_get($module, self, /)\n--\n\n"
         "The USB vendor id init looks for (default 0x4242).\n\n"
         "Returns the int. Raises TypeError for an object that is no live record."},
        {"RobotControlPar_vendor_id_set", RobotControlPar_vendor_id_set, METH_VARARGS,
         "RobotControlPar_vendor_id_set($module, self, value, /)\n--\n\n"
         "Set the USB vendor id init looks for (ids above 0xFFFF never match).\n\n"
         "value: 0 .. 0xFFFF. Returns None. Raises RobotParEx for a larger value."},
        {"RobotControlPar_product_id_get", RobotControlPar_product_id_get, METH_VARARGS,
         "RobotControlPar_product_id_get($module, self, /)\n--\n\n"
         "The USB product id init looks for (default 0x4201).\n\n"
         "Returns the int. Raises TypeError for an object that is no live record."},
        {"RobotControlPar_product_id_set", RobotControlPar_product_id_set, METH_VARARGS,
         "RobotControlPar_product_id_set($module, self, value, /)\n--\n\n"
         "Set the USB product id init looks for (ids above 0xFFFF never match).\n\n"
         "value: 0 .. 0xFFFF. Returns None. Raises RobotParEx for a larger value."},
        {"RobotControlPar_get_travel_limits", RobotControlPar_get_travel_limits, METH_VARARGS,
         "RobotControlPar_get_travel_limits($module, self, axis, /)\n--\n\n"
         "The axis' travel limits: the lowest and highest target of an ordinary move,\n"
         "motor steps in the user direction (as move() counts), inclusive.\n\n"
         "axis: 1, 2 or 3. Returns (low, high); None for a side without a limit\n"
         "(the default). Raises RobotParEx for an axis outside 1..3."},
        {"RobotControlPar_set_travel_limits", RobotControlPar_set_travel_limits, METH_VARARGS,
         "RobotControlPar_set_travel_limits($module, self, axis, low, high, /)\n--\n\n"
         "Set the axis' travel limits (see get_travel_limits): move() then refuses,\n"
         "sending nothing, an ordinary move whose target lies outside low..high.\n"
         "Homing is not limited.\n\n"
         "axis: 1, 2 or 3; low, high: ints (user-direction steps) or None for no\n"
         "limit. Returns None. Raises RobotParEx for an axis outside 1..3 or\n"
         "low > high (the record is left unchanged)."},
    };
    table.insert(table.end(), std::begin(own), std::end(own));
    addMembers(table, std::make_index_sequence<kMembers.size()>{});
}

}  // namespace arxpy
