# Writes the manual page of bitvane-cli from its own --help texts, so that the two tell
# one story, and compresses it as a manual page is installed.
#   cmake -DCLI=path/to/bitvane-cli -DOUT=bitvane-cli.1 -DVERSION=x.y.z -DDATE=yyyy-mm-dd
#         -P man_page.cmake            writes OUT.gz
foreach(name CLI OUT VERSION DATE)
  if(NOT DEFINED ${name})
    message(FATAL_ERROR "man_page.cmake: ${name} is not set")
  endif()
endforeach()

# The output of `CLI args...` in `var`; a failure stops the build.
function(help_text var)
  execute_process(COMMAND ${CLI} ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "man_page.cmake: ${CLI} ${ARGN} failed (${status})")
  endif()
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# `text` as roff: backslashes and minus signs kept literally, no line read as a request.
function(roff var text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

help_text(main --help)
help_text(describe describe --help)

# The main text's first paragraph is its usage: the synopsis, one form a line.
string(FIND "${main}" "\n\n" split)
string(SUBSTRING "${main}" 0 ${split} usage)
math(EXPR rest "${split} + 2")
string(SUBSTRING "${main}" ${rest} -1 main)
string(REGEX REPLACE "^Usage: +" "" usage "${usage}")
string(REGEX REPLACE "\n +" "\n" usage "${usage}")
roff(usage "${usage}")
string(REPLACE "\n" "\n.br\n" usage "${usage}")
roff(main "${main}")
# The describe text's usage line repeats the synopsis.
string(FIND "${describe}" "\n\n" split)
math(EXPR rest "${split} + 2")
string(SUBSTRING "${describe}" ${rest} -1 describe)
roff(describe "${describe}")

file(WRITE ${OUT} ".TH BITVANE\\-CLI 1 \"${DATE}\" \"Bitvane ${VERSION}\" \"User Commands\"
.SH NAME
bitvane\\-cli \\- encode, decode and examine a 64\\-bit value from the command line
.SH SYNOPSIS
${usage}
.SH DESCRIPTION
.nf
${main}.fi
.SH DESCRIBE
.nf
${describe}.fi
.SH SEE ALSO
.BR bitvane (1)
is the window that shows the same views and keeps its settings between runs.
")
execute_process(COMMAND gzip -9 -n -f ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "man_page.cmake: gzip ${OUT} failed")
endif()
