// The library objects that _arxusb handed to Python, so that a forged or stale pointer string
// is refused instead of being followed into memory.
#include "live_objects.h"

#include <iterator>

namespace arxpy {
namespace {

std::uintptr_t key(const void* address) { return reinterpret_cast<std::uintptr_t>(address); }

void deleteObject(PtrType type, void* object) {
  switch (type) {
    case PtrType::RobotControl:
    case PtrType::RobotControlImp:
      // The interface's destructor is virtual: one delete suits every implementation.
      delete static_cast<arx::RobotControl*>(object);
      break;
    case PtrType::RobotControlFactory:
      delete static_cast<arx::RobotControlFactory*>(object);
      break;
    case PtrType::RobotControlPar:
      delete static_cast<arx::RobotControlPar*>(object);
      break;
    case PtrType::RobotParEx:
      delete static_cast<arx::RobotParEx*>(object);
      break;
    case PtrType::ReadErrorEx:
      delete static_cast<arx::ReadErrorEx*>(object);
      break;
    case PtrType::WriteErrorEx:
      delete static_cast<arx::WriteErrorEx*>(object);
      break;
    case PtrType::UnreliableFlagEx:
      delete static_cast<arx::UnreliableFlagEx*>(object);
      break;
    case PtrType::FlagDirArray:
    case PtrType::UnsignedArray:
      break;  // arrays belong to their record
  }
}

bool startsArray(const arx::RobotControlPar& par, const void* address, PtrType arrayType) {
  if (arrayType == PtrType::FlagDirArray) return address == par.flagdir;
  const unsigned int* arrays[] = {par.accel,    par.v_max,   par.v_home_f, par.v_home_s,
                                  par.maxstep, par.homestep};
  for (const unsigned int* array : arrays) {
    if (address == array) return true;
  }
  return false;
}

void disown(const std::vector<PyObject*>& shadows) {
  for (PyObject* ref : shadows) {
    PyObject* instance = PyWeakref_GetObject(ref);  // borrowed; None once the instance died
    if (instance != nullptr && instance != Py_None) {
      Py_INCREF(instance);
      if (PyObject_SetAttrString(instance, "thisown", Py_False) < 0) PyErr_Clear();
      Py_DECREF(instance);
    }
    Py_DECREF(ref);
  }
}

}  // namespace

void LiveObjects::add(const void* address, PtrType type, void* object, bool deletable) {
  objects_[key(address)] = LiveObject{type, object, deletable, {}};
}

LiveObject* LiveObjects::find(const void* address) {
  auto it = objects_.find(key(address));
  return it == objects_.end() ? nullptr : &it->second;
}

arx::RobotControlPar* LiveObjects::recordOfArray(const void* address, PtrType arrayType) {
  // The arrays lie inside their record: only the record at or below the address can hold it.
  auto it = objects_.upper_bound(key(address));
  if (it == objects_.begin()) return nullptr;
  LiveObject& candidate = std::prev(it)->second;
  if (candidate.type != PtrType::RobotControlPar) return nullptr;
  auto* par = static_cast<arx::RobotControlPar*>(candidate.object);
  return startsArray(*par, address, arrayType) ? par : nullptr;
}

void LiveObjects::addShadow(const void* address, PyObject* instance) {
  LiveObject* live = find(address);
  if (live == nullptr) return;
  PyObject* ref = PyWeakref_NewRef(instance, nullptr);
  if (ref == nullptr) {
    PyErr_Clear();  // a class without weak references: its instances are simply not tracked
    return;
  }
  // Drop references to instances that died, so that a long-lived object (the static factory,
  // read again and again through cvar) does not collect them without end.
  std::erase_if(live->shadows, [](PyObject* old) {
    if (PyWeakref_GetObject(old) != Py_None) return false;
    Py_DECREF(old);
    return true;
  });
  live->shadows.push_back(ref);
}

void LiveObjects::destroy(const void* address) {
  auto it = objects_.find(key(address));
  if (it == objects_.end()) return;
  LiveObject gone = std::move(it->second);
  objects_.erase(it);
  deleteObject(gone.type, gone.object);
  // Last, as setting an attribute can run Python code that calls back into the module.
  disown(gone.shadows);
}

LiveObjects& liveObjects() {
  static LiveObjects registry;
  return registry;
}

}  // namespace arxpy
