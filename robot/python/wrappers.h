// The function tables of _arxusb, one per wrapper file, and the cvar object.
#pragma once

#include <Python.h>

#include <vector>

namespace arx {
class RobotControlPar;
}

namespace arxpy {

// Each appends its functions to the module's table.
void addParFunctions(std::vector<PyMethodDef>& table);
void addControlFunctions(std::vector<PyMethodDef>& table);
void addExceptionFunctions(std::vector<PyMethodDef>& table);

// A new record owned by the caller: a copy of source, or the defaults when it is null.
PyObject* newParRecord(const arx::RobotControlPar* source);

// The "swigvarlink" object of the module attribute "cvar"; a new reference, made once.
PyObject* globalVariables();

}  // namespace arxpy
