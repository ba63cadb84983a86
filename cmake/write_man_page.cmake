# Writes the manual page of kova-cli: the template with the usage of every command, as `kova-cli COMANDO --help`
# prints it, so that the page lists exactly the commands the program has.
# Inputs: KOVA_CLI (the built program), TEMPLATE, OUTPUT.
execute_process(COMMAND "${KOVA_CLI}" --help OUTPUT_VARIABLE overview RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${KOVA_CLI} --help failed: ${result}")
endif()

# Text printed as it is, in roff: backslashes doubled as \e, a leading dot or quote protected.
function(roff_literal text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(sections "")
string(REGEX MATCHALL "\n  [a-z]+ " names "${overview}")
foreach(name ${names})
  string(STRIP "${name}" name)
  execute_process(COMMAND "${KOVA_CLI}" ${name} --help OUTPUT_VARIABLE usage RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${KOVA_CLI} ${name} --help failed: ${result}")
  endif()
  roff_literal("${usage}" usage)
  string(APPEND sections ".SS ${name}\n.nf\n${usage}.fi\n")
endforeach()

file(READ "${TEMPLATE}" page)
string(REPLACE "@KOVA_CLI_COMMANDS@\n" "${sections}" page "${page}")
file(WRITE "${OUTPUT}" "${page}")
