// The functions of the four exception classes: new_, delete_ and _swigregister for each.
#include <memory>

#include "convert.h"
#include "wrappers.h"

namespace arxpy {
namespace {

template <PtrType T>
struct Exception;

template <>
struct Exception<PtrType::RobotParEx> {
  using Type = arx::RobotParEx;
  static constexpr const char* make = ":new_RobotParEx";
  static constexpr const char* destroy = "O:delete_RobotParEx";
  static constexpr const char* swigregister = "O:RobotParEx_swigregister";
};
template <>
struct Exception<PtrType::ReadErrorEx> {
  using Type = arx::ReadErrorEx;
  static constexpr const char* make = ":new_ReadErrorEx";
  static constexpr const char* destroy = "O:delete_ReadErrorEx";
  static constexpr const char* swigregister = "O:ReadErrorEx_swigregister";
};
template <>
struct Exception<PtrType::WriteErrorEx> {
  using Type = arx::WriteErrorEx;
  static constexpr const char* make = ":new_WriteErrorEx";
  static constexpr const char* destroy = "O:delete_WriteErrorEx";
  static constexpr const char* swigregister = "O:WriteErrorEx_swigregister";
};
template <>
struct Exception<PtrType::UnreliableFlagEx> {
  using Type = arx::UnreliableFlagEx;
  static constexpr const char* make = ":new_UnreliableFlagEx";
  static constexpr const char* destroy = "O:delete_UnreliableFlagEx";
  static constexpr const char* swigregister = "O:UnreliableFlagEx_swigregister";
};

constexpr const char* nameOf(const char* form) {
  while (*form != ':') ++form;
  return form + 1;
}

template <PtrType T>
PyObject* make(PyObject*, PyObject* args) {
  if (!PyArg_ParseTuple(args, Exception<T>::make)) return nullptr;
  return guarded([] {
    auto made = std::make_unique<typename Exception<T>::Type>();
    void* object = made.get();
    liveObjects().add(object, T, object, true);
    made.release();  // the registry owns it now
    return pointerResult(object, T, Handout::Owned);
  });
}

template <PtrType T>
PyObject* destroy(PyObject*, PyObject* args) {
  return deleteLive(args, Exception<T>::destroy, T);
}

template <PtrType T>
PyObject* swigregister(PyObject*, PyObject* args) {
  return registerShadowClass(T, args, Exception<T>::swigregister);
}

template <PtrType T>
void addException(std::vector<PyMethodDef>& table) {
  table.push_back({nameOf(Exception<T>::make), make<T>, METH_VARARGS, nullptr});
  table.push_back({nameOf(Exception<T>::destroy), destroy<T>, METH_VARARGS, nullptr});
  table.push_back({nameOf(Exception<T>::swigregister), swigregister<T>, METH_VARARGS, nullptr});
}

}  // namespace

void addExceptionFunctions(std::vector<PyMethodDef>& table) {
  addException<PtrType::RobotParEx>(table);
  addException<PtrType::ReadErrorEx>(table);
  addException<PtrType::WriteErrorEx>(table);
  addException<PtrType::UnreliableFlagEx>(table);
}

}  // namespace arxpy
