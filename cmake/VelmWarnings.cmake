# Our own targets build with every warning as an error; third-party code does not see these flags.
function(velm_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
