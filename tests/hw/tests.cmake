# The NI-DAQmx stand-in: a shared library with the NI-DAQmx functions the board layer calls,
# loaded by the tests through the board's real dlopen path. A second build lacks one function,
# to test the message about an incomplete library. The sources are C so that the test glob
# (*.cpp) does not also compile them into velm_tests.
add_library(velm_daqmx_stub SHARED ${CMAKE_CURRENT_LIST_DIR}/ad/daqmx_stub.c)
add_library(velm_daqmx_stub_partial SHARED ${CMAKE_CURRENT_LIST_DIR}/ad/daqmx_stub.c)
target_compile_definitions(velm_daqmx_stub_partial PRIVATE VELM_STUB_PARTIAL=1)
foreach(stub velm_daqmx_stub velm_daqmx_stub_partial)
    set_target_properties(${stub} PROPERTIES C_VISIBILITY_PRESET hidden)
    target_compile_options(${stub} PRIVATE -Wall -Wextra -Werror)
endforeach()
target_compile_definitions(velm_tests PRIVATE
    VELM_DAQMX_STUB="$<TARGET_FILE:velm_daqmx_stub>"
    VELM_DAQMX_STUB_PARTIAL="$<TARGET_FILE:velm_daqmx_stub_partial>")
add_dependencies(velm_tests velm_daqmx_stub velm_daqmx_stub_partial)
