// The "cvar" object of _arxusb: the library's global variables, read and written by name.
#include <array>
#include <cstring>
#include <string>

#include "convert.h"
#include "wrappers.h"

namespace arxpy {
namespace {

struct Variable {
    const char* name;
    PyObject* (*get)();
    int (*set)(PyObject* value);  // null for a read-only variable
};

PyObject* getFactory() {
    return pointerResult(&arx::RobotControlFactory::theFactory, PtrType::RobotControlFactory,
                         Handout::Borrowed);
}

int factoryTypeError() {
    PyErr_SetString(PyExc_TypeError,
                    "C variable 'arx::RobotControlFactory::theFactory (arx::RobotControlFactory)'");
    return -1;
}

// Assigns another factory to the static one. A value that is no live factory, None included
// (there is nothing to copy from), gives the variable's type error.
int setFactory(PyObject* value) {
    if (value == nullptr) return factoryTypeError();  // del cvar.RobotControlFactory_theFactory
    PointerText p;
    arx::RobotControlFactory* factory = nullptr;
    if (!readPointer(value, PtrType::RobotControlFactory, p) || !resolveFactory(p, factory)) {
        if (!PyErr_ExceptionMatches(PyExc_TypeError)) return -1;
        PyErr_Clear();
        return factoryTypeError();
    }
    arx::RobotControlFactory::theFactory = *factory;
    return 0;
}

template <int Value>
PyObject* getConstant() {
    return PyLong_FromLong(Value);
}

// In the order of linking; printing lists them the other way round.
const std::array<Variable, 8> kVariables = {{
    {"RobotControlFactory_theFactory", getFactory, setFactory},
    {"DIR_FLAG", getConstant<arx::DIR_FLAG>, nullptr},
    {"IDLE_FLAG", getConstant<arx::IDLE_FLAG>, nullptr},
    {"DECEL_FLAG", getConstant<arx::DECEL_FLAG>, nullptr},
    {"CRESET_FLAG", getConstant<arx::CRESET_FLAG>, nullptr},
    {"RAISE_FLAG", getConstant<arx::RAISE_FLAG>, nullptr},
    {"V_MAX_LIM", getConstant<arx::V_MAX_LIM>, nullptr},
    {"V_MAX_HOME", getConstant<arx::V_MAX_HOME>, nullptr},
}};

const Variable* findVariable(PyObject* name) {
    const char* text = PyUnicode_Check(name) ? PyUnicode_AsUTF8(name) : nullptr;
    if (text == nullptr) {
        PyErr_Clear();
        return nullptr;
    }
    for (const Variable& v : kVariables) {
        if (std::strcmp(v.name, text) == 0) return &v;
    }
    return nullptr;
}

PyObject* unknownVariable() {
    PyErr_SetString(PyExc_NameError, "Unknown C global variable");
    return nullptr;
}

// Python's own protocol names, such as "__class__" that isinstance() reads.
bool isSpecialName(PyObject* name) {
    const char* text = PyUnicode_Check(name) ? PyUnicode_AsUTF8(name) : nullptr;
    if (text == nullptr) {
        PyErr_Clear();
        return false;
    }
    std::size_t length = std::strlen(text);
    return length > 4 && std::strncmp(text, "__", 2) == 0 &&
           std::strcmp(text + length - 2, "__") == 0;
}

// Any other name is a NameError; the special names keep their usual meaning, else isinstance()
// and help() would fail on the module that holds cvar.
PyObject* varlinkGetattro(PyObject* self, PyObject* name) {
    const Variable* v = findVariable(name);
    if (v != nullptr) return v->get();
    return isSpecialName(name) ? PyObject_GenericGetAttr(self, name) : unknownVariable();
}

int varlinkSetattro(PyObject*, PyObject* name, PyObject* value) {
    const Variable* v = findVariable(name);
    if (v == nullptr) {
        unknownVariable();
        return -1;
    }
    if (v->set == nullptr) {
        PyErr_Format(PyExc_TypeError, "Variable %s is read-only.", v->name);
        return -1;
    }
    return v->set(value);
}

PyObject* varlinkRepr(PyObject*) { return PyUnicode_FromString("<Global variables>"); }

// print() adds the line feed after the closing brace.
PyObject* varlinkStr(PyObject*) {
    std::string text = "Global variables { ";
    for (auto it = kVariables.rbegin(); it != kVariables.rend(); ++it) {
        if (it != kVariables.rbegin()) text += ", ";
        text += it->name;
    }
    text += " }";
    return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}

PyTypeObject varlinkType = [] {
    PyTypeObject type{};
    Py_SET_REFCNT(reinterpret_cast<PyObject*>(&type), 1);  // what PyVarObject_HEAD_INIT sets
    type.tp_name = "swigvarlink";
    type.tp_basicsize = sizeof(PyObject);
    type.tp_flags = Py_TPFLAGS_DEFAULT;
    type.tp_doc = "The global variables of the arx robot library.";
    type.tp_repr = varlinkRepr;
    type.tp_str = varlinkStr;
    type.tp_getattro = varlinkGetattro;
    type.tp_setattro = varlinkSetattro;
    return type;
}();

PyObject* g_cvar = nullptr;

}  // namespace

PyObject* globalVariables() {
    if (g_cvar == nullptr) {
        if (PyType_Ready(&varlinkType) < 0) return nullptr;
        g_cvar = PyObject_New(PyObject, &varlinkType);
        if (g_cvar == nullptr) return nullptr;
    }
    return Py_NewRef(g_cvar);
}

}  // namespace arxpy
