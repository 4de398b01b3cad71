# Warnings as errors on our own targets only (GoogleTest and other vendored code keep theirs).
function(plotxfer_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
