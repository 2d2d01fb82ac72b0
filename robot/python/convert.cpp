// Argument conversion, pointer results, shadow classes and library exceptions of _arxusb.
#include "convert.h"

#include <climits>
#include <string>
#include <utility>

namespace arxpy {
namespace {

PyObject* g_shadowClasses[kPtrTypeCount] = {};

// The object a pointer string of the named type may stand for.
bool liveTypeFits(PtrType named, PtrType live) {
    if (named == PtrType::RobotControl) {
        return live == PtrType::RobotControl || live == PtrType::RobotControlImp;
    }
    return live == named;
}

// The live object a non-null text names, where `expected` (or, for RobotControl, an Imp) is
// accepted; null with the type error set otherwise.
LiveObject* lookup(const PointerText& p, PtrType expected) {
    auto named = typeFromName(p.typeName);
    bool nameAccepted = named && (*named == expected || (expected == PtrType::RobotControl &&
                                                         *named == PtrType::RobotControlImp));
    LiveObject* live = nameAccepted ? liveObjects().find(p.address) : nullptr;
    if (live == nullptr || live->doomed || !liveTypeFits(*named, live->type)) {
        typeError(expected);
        return nullptr;
    }
    return live;
}

// "arx::ReadErrorEx" for the type named "_p_arx__ReadErrorEx".
std::string className(PtrType type) {
    std::string name = typeName(type);
    return "arx::" + name.substr(sizeof("_p_arx__") - 1);
}

void* newException(PtrType type) {
    switch (type) {
    case PtrType::RobotParEx: return new arx::RobotParEx;
    case PtrType::ReadErrorEx: return new arx::ReadErrorEx;
    case PtrType::WriteErrorEx: return new arx::WriteErrorEx;
    case PtrType::TimeoutEx: return new arx::TimeoutEx;
    default: return new arx::UnreliableFlagEx;
    }
}

bool setOwned(PyObject* instance) {
    PyObject* one = PyLong_FromLong(1);
    bool ok = one != nullptr && PyObject_SetAttrString(instance, "thisown", one) == 0;
    Py_XDECREF(one);
    return ok;
}

}  // namespace

PyObject* typeError(PtrType expected) {
    PyErr_Format(PyExc_TypeError, "Type error. Expected %s", typeName(expected));
    return nullptr;
}

PyObject* nullReference() {
    PyErr_SetString(PyExc_TypeError, "null reference");
    return nullptr;
}

bool readPointer(PyObject* arg, PtrType expected, PointerText& out) {
    if (arg == Py_None) {
        out = PointerText{};
        out.null = true;
        return true;
    }
    PyObject* text = nullptr;
    if (PyUnicode_Check(arg)) {
        text = Py_NewRef(arg);
    } else {
        text = PyObject_GetAttrString(arg, "this");
        if (text == nullptr) {
            if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return false;
            PyErr_Clear();
            typeError(expected);
            return false;
        }
        if (!PyUnicode_Check(text)) {
            Py_DECREF(text);
            typeError(expected);
            return false;
        }
    }
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(text, &size);
    std::optional<PointerText> parsed;
    if (utf8 != nullptr) {
        parsed = parsePointer(std::string_view(utf8, static_cast<std::size_t>(size)));
    } else {
        PyErr_Clear();  // lone surrogates: not a text this module wrote
    }
    Py_DECREF(text);
    if (!parsed) {
        typeError(expected);
        return false;
    }
    out = std::move(*parsed);
    return true;
}

bool readUnsigned(PyObject* arg, unsigned int& out) {
    PyObject* index = PyNumber_Index(arg);
    if (index == nullptr) return false;
    unsigned long value = PyLong_AsUnsignedLong(index);
    Py_DECREF(index);
    if (value == static_cast<unsigned long>(-1) && PyErr_Occurred()) return false;
    if (value > UINT_MAX) {
        PyErr_SetString(PyExc_OverflowError, "Python int too large to convert to C unsigned int");
        return false;
    }
    out = static_cast<unsigned int>(value);
    return true;
}

bool readTruth(PyObject* arg, bool& out) {
    if (arg == nullptr) {
        out = false;
        return true;
    }
    PyObject* index = PyNumber_Index(arg);
    if (index == nullptr) return false;
    int truth = PyObject_IsTrue(index);  // an int is true when it is not 0
    Py_DECREF(index);
    if (truth < 0) return false;
    out = truth != 0;
    return true;
}

bool resolveControl(const PointerText& p, arx::RobotControl*& out) {
    if (p.null) return nullReference(), false;
    LiveObject* live = lookup(p, PtrType::RobotControl);
    if (live == nullptr) return false;
    out = static_cast<arx::RobotControl*>(live->object);
    return true;
}

bool resolveImp(const PointerText& p, arx::RobotControlImp*& out) {
    if (p.null) return nullReference(), false;
    LiveObject* live = lookup(p, PtrType::RobotControlImp);
    if (live == nullptr) return false;
    out = static_cast<arx::RobotControlImp*>(static_cast<arx::RobotControl*>(live->object));
    return true;
}

bool resolveFactory(const PointerText& p, arx::RobotControlFactory*& out) {
    if (p.null) return nullReference(), false;
    LiveObject* live = lookup(p, PtrType::RobotControlFactory);
    if (live == nullptr) return false;
    out = static_cast<arx::RobotControlFactory*>(live->object);
    return true;
}

bool resolvePar(const PointerText& p, Null null, arx::RobotControlPar*& out) {
    if (p.null) {
        if (null == Null::Refused) return nullReference(), false;
        out = nullptr;
        return true;
    }
    LiveObject* live = lookup(p, PtrType::RobotControlPar);
    if (live == nullptr) return false;
    out = static_cast<arx::RobotControlPar*>(live->object);
    return true;
}

bool resolveFlagDirArray(const PointerText& p, arx::FLAG_DIR*& out) {
    if (p.null) return nullReference(), false;
    arx::RobotControlPar* par = nullptr;
    if (p.typeName == typeName(PtrType::FlagDirArray)) {
        par = liveObjects().recordOfArray(p.address, PtrType::FlagDirArray);
    }
    if (par == nullptr) return typeError(PtrType::FlagDirArray), false;
    out = par->flagdir;
    return true;
}

bool resolveUnsignedArray(const PointerText& p, unsigned int*& out) {
    if (p.null) return nullReference(), false;
    arx::RobotControlPar* par = nullptr;
    if (p.typeName == typeName(PtrType::UnsignedArray)) {
        par = liveObjects().recordOfArray(p.address, PtrType::UnsignedArray);
    }
    if (par == nullptr) return typeError(PtrType::UnsignedArray), false;
    // The address is one of the record's own arrays (checked above), so it may be written.
    out = static_cast<unsigned int*>(const_cast<void*>(p.address));
    return true;
}

bool resolveException(const PointerText& p, PtrType type, void*& out) {
    if (p.null) return nullReference(), false;
    LiveObject* live = lookup(p, type);
    if (live == nullptr) return false;
    out = live->object;
    return true;
}

PyObject* shadowClass(PtrType type) { return g_shadowClasses[static_cast<std::size_t>(type)]; }

PyObject* registerShadowClass(PtrType type, PyObject* args, const char* form) {
    PyObject* cls = nullptr;
    if (!PyArg_ParseTuple(args, form, &cls)) return nullptr;
    if (!PyCallable_Check(cls)) {
        PyErr_SetString(PyExc_TypeError, "a class is expected");
        return nullptr;
    }
    Py_XSETREF(g_shadowClasses[static_cast<std::size_t>(type)], Py_NewRef(cls));
    Py_RETURN_NONE;
}

PyObject* pointerResult(const void* address, PtrType type, Handout handout) {
    bool fresh = handout != Handout::Borrowed;
    std::string text = formatPointer(address, type);
    PyObject* result =
        PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
    PyObject* cls = shadowClass(type);
    if (result != nullptr && cls != nullptr) {
        PyObject* instance = PyObject_CallOneArg(cls, result);
        Py_SETREF(result, instance);
        if (result != nullptr && handout == Handout::Owned && !setOwned(result)) Py_CLEAR(result);
        if (result != nullptr) liveObjects().addShadow(address, result);
    }
    // A new object nobody could reach again would only leak.
    if (result == nullptr && fresh) liveObjects().destroy(address);
    return result;
}

PyObject* deleteLive(PyObject* args, const char* form, PtrType type) {
    PyObject* arg = nullptr;
    if (!PyArg_ParseTuple(args, form, &arg)) return nullptr;
    PointerText p;
    if (!readPointer(arg, type, p)) return nullptr;
    if (p.null) return nullReference();
    LiveObject* live = lookup(p, type);
    if (live == nullptr) return nullptr;
    if (!live->deletable) {
        // Only the static factory: it was never allocated, so it must never be freed.
        PyErr_SetString(PyExc_ValueError,
                        "arx::RobotControlFactory::theFactory is static and is never deleted");
        return nullptr;
    }
    liveObjects().destroy(p.address);
    if (!PyUnicode_Check(arg) && PyObject_HasAttrString(arg, "thisown") &&
        PyObject_SetAttrString(arg, "thisown", Py_False) < 0) {
        PyErr_Clear();
    }
    Py_RETURN_NONE;
}

PyObject* raiseLibraryException(PtrType type, const char* text) {
    PyObject* cls = shadowClass(type);
    if (cls == nullptr) {
        PyErr_SetString(PyExc_RuntimeError, className(type).c_str());
        return nullptr;
    }
    void* object = nullptr;
    try {
        object = newException(type);
    } catch (const std::bad_alloc&) {
        return PyErr_NoMemory();
    }
    liveObjects().add(object, type, object, true);
    PyObject* instance = pointerResult(object, type, Handout::Owned);
    if (instance == nullptr) return nullptr;
    if (text != nullptr && PyExceptionInstance_Check(instance)) {
        // The exception's args carry the text that says what happened this time.
        PyObject* args = Py_BuildValue("(s)", text);
        if (args == nullptr || PyObject_SetAttrString(instance, "args", args) < 0) {
            Py_XDECREF(args);
            Py_DECREF(instance);
            return nullptr;
        }
        Py_DECREF(args);
    }
    if (PyExceptionInstance_Check(instance)) {
        PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(instance)), instance);
    } else {
        // Not raisable, so nobody will hold the instance: the object goes with it.
        liveObjects().destroy(object);
        PyErr_SetString(PyExc_RuntimeError, className(type).c_str());
    }
    Py_DECREF(instance);
    return nullptr;
}

void flushPythonStdout() {
    PyObject* out = PySys_GetObject("stdout");  // borrowed
    if (out == nullptr || out == Py_None) return;
    PyObject* done = PyObject_CallMethod(out, "flush", nullptr);
    if (done == nullptr) {
        PyErr_Clear();  // the order of the output is a nicety; the robot call still goes ahead
        return;
    }
    Py_DECREF(done);
}

}  // namespace arxpy
