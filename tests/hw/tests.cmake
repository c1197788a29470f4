# The NI-DAQmx stand-in: a shared library with the NI-DAQmx functions the board layer calls,
# loaded by the tests through the board's real dlopen path. Its source is C so that the test
# glob (*.cpp) does not also compile it into velm_tests.
add_library(velm_daqmx_stub SHARED ${CMAKE_CURRENT_LIST_DIR}/ad/daqmx_stub.c)
set_target_properties(velm_daqmx_stub PROPERTIES C_VISIBILITY_PRESET hidden)
target_compile_options(velm_daqmx_stub PRIVATE -Wall -Wextra -Werror)
target_compile_definitions(velm_tests PRIVATE VELM_DAQMX_STUB="$<TARGET_FILE:velm_daqmx_stub>")
add_dependencies(velm_tests velm_daqmx_stub)
