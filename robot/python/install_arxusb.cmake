# Install step of the Python module: chooses the folder under the prefix that cmake --install
# was given, which is known only now. Set by the install code before it: ARXUSB_INSTALL_DIR
# (configure-time choice, may be empty), ARXUSB_PYTHON_DIR ("python3.X"), ARXUSB_MODULE (the
# built extension), ARXUSB_FILES (the Python files) and ARXUSB_STUBS (the folder of the stub
# packages).
set(dir "${ARXUSB_INSTALL_DIR}")
if(NOT dir)
  if(EXISTS "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/pyvenv.cfg")
    set(dir "${CMAKE_INSTALL_PREFIX}/lib/${ARXUSB_PYTHON_DIR}/site-packages")
  else()
    set(dir "${CMAKE_INSTALL_PREFIX}/lib/${ARXUSB_PYTHON_DIR}/dist-packages")
  endif()
elseif(NOT IS_ABSOLUTE "${dir}")
  set(dir "${CMAKE_INSTALL_PREFIX}/${dir}")
endif()
file(INSTALL DESTINATION "${dir}" TYPE MODULE FILES "${ARXUSB_MODULE}")
file(INSTALL DESTINATION "${dir}" TYPE FILE FILES ${ARXUSB_FILES})
foreach(package arxusb-stubs _arxusb-stubs)
  file(INSTALL DESTINATION "${dir}/${package}" TYPE FILE FILES
       "${ARXUSB_STUBS}/${package}/__init__.pyi")
endforeach()
