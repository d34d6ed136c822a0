cmake_minimum_required(VERSION 3.25)

# Fails when 32-bit x86 code of ours does floating-point arithmetic on the x87
# unit. Built with -msse2 -mfpmath=sse, every addition, multiplication,
# division and square root runs in SSE2 registers at the precision of its
# type, exactly as on x86-64, where x87 arithmetic would round to 64-bit
# significands first. The x87 unit may still move values, which is exact:
# doubles returned in st(0) by the 32-bit calling convention, and conversions
# to and from 64-bit integers (fild, fistp with a truncating control word),
# which SSE2 cannot do in 32-bit code.
#
# Run with cmake -DOBJDUMP=... -DFILES=a.a,b.a -P CheckSse2Arithmetic.cmake

set(x87_arithmetic
    "^(fi?(add|subr?|mul|divr?)[sl]?p?|fsqrt|fsin|fcos|fsincos|fptan|fpatan|fprem1?|fscale|frndint|f2xm1|fyl2x|fyl2xp1|fabs|fchs|fxtract)$")

string(REPLACE "," ";" files "${FILES}")
foreach(file IN LISTS files)
  execute_process(COMMAND "${OBJDUMP}" -d --no-show-raw-insn "${file}"
                  OUTPUT_VARIABLE listing RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${file}: ${error}")
  endif()
  string(REGEX MATCHALL "\n[ \t]*[0-9a-f]+:[ \t]+f[a-z0-9]+" instructions "${listing}")
  set(found)
  foreach(instruction IN LISTS instructions)
    string(REGEX REPLACE ".*[ \t]" "" mnemonic "${instruction}")
    if(mnemonic MATCHES "${x87_arithmetic}")
      list(APPEND found "${mnemonic}")
    endif()
  endforeach()
  if(found)
    list(REMOVE_DUPLICATES found)
    message(FATAL_ERROR "${file} does x87 arithmetic: ${found}")
  endif()
  message(STATUS "${file}: no x87 arithmetic")
endforeach()
