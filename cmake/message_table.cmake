# Reads the message table IN (lines "number<TAB>Name<TAB>text", "#" lines are comments) and writes
#   DATA:   the numbers and texts as one C++ raw string literal ("number<TAB>text" lines),
#   HEADER: a C++ header that names every number: kSql<Name> for an SQL text, kMsg<Name> else.
# A malformed line, a name that is no identifier, or a number or name used twice stops the build.
cmake_minimum_required(VERSION 3.25)

# Splits text at the first separator (one character): what stands before it goes into head_var,
# what follows into rest_var; without a separator, rest_var is left undefined.
function(split_first text separator head_var rest_var)
  string(FIND "${text}" "${separator}" at)
  if(at EQUAL -1)
    set(${head_var} "${text}" PARENT_SCOPE)
    unset(${rest_var} PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${text}" 0 ${at} head)
  math(EXPR after "${at} + 1")
  string(SUBSTRING "${text}" ${after} -1 rest)
  set(${head_var} "${head}" PARENT_SCOPE)
  set(${rest_var} "${rest}" PARENT_SCOPE)
endfunction()

file(READ "${IN}" content)
if(NOT content MATCHES "\n$")
  string(APPEND content "\n")
endif()
set(data "")
set(names "")
set(seen_numbers "")
set(seen_names "")
set(line_no 0)
while(NOT content STREQUAL "")
  split_first("${content}" "\n" line content)
  math(EXPR line_no "${line_no} + 1")
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  split_first("${line}" "\t" number tail)
  if(DEFINED tail)
    split_first("${tail}" "\t" name text)
  endif()
  if(NOT DEFINED tail OR NOT DEFINED text OR number STREQUAL "" OR name STREQUAL "")
    message(FATAL_ERROR "${IN}:${line_no}: expected number, tab, name, tab, text")
  endif()
  if(NOT number MATCHES "^[1-9][0-9]*$")
    message(FATAL_ERROR "${IN}:${line_no}: '${number}' is no message number")
  endif()
  if(NOT name MATCHES "^[A-Z][A-Za-z0-9]*$")
    message(FATAL_ERROR "${IN}:${line_no}: '${name}' is no name (a capital letter, then letters and digits)")
  endif()
  if(number IN_LIST seen_numbers)
    message(FATAL_ERROR "${IN}:${line_no}: number ${number} is used twice")
  endif()
  if(text MATCHES "^(SELECT|UPDATE|INSERT|DELETE) ")
    set(constant "kSql${name}")
  else()
    set(constant "kMsg${name}")
  endif()
  if(constant IN_LIST seen_names)
    message(FATAL_ERROR "${IN}:${line_no}: name ${constant} is used twice")
  endif()
  list(APPEND seen_numbers ${number})
  list(APPEND seen_names ${constant})
  string(APPEND data "${number}\t${text}\n")
  # A backslash at the end of a comment would join the next line to it.
  string(REGEX REPLACE "[\\]+$" "" comment "${text}")
  string(APPEND names "// ${number}: ${comment}\ninline constexpr int32_t ${constant} = ${number};\n")
endwhile()

# Each file is replaced only when its content changed, so what includes it is not compiled again.
function(write_if_changed path content)
  file(WRITE "${path}.tmp" "${content}")
  file(COPY_FILE "${path}.tmp" "${path}" ONLY_IF_DIFFERENT)
  file(REMOVE "${path}.tmp")
endfunction()

write_if_changed("${DATA}" "R\"zxembed(${data})zxembed\"\n")
write_if_changed("${HEADER}" "#pragma once

// Generated from resources/messages.txt: the numbers of the program's messages and SQL texts.
// Edit the table, never this file.

#include <cstdint>

${names}")
