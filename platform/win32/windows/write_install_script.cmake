# Writes the package's install.bat: the registry values an installer writes, with "dir" the
# folder the script runs from. The values themselves come from the content generator's registry
# file, so the package and the Linux installation never disagree.
#   cmake -DTOOL=<vesperglen_content> -DOUTPUT=<install.bat> -DVIEW=<32|64> -P write_install_script.cmake
# VIEW is the registry view the saver reads: a 32-bit program on 64-bit Windows sees WOW6432Node.
foreach(var TOOL OUTPUT VIEW)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "write_install_script: ${var} is not set")
  endif()
endforeach()

get_filename_component(out_dir ${OUTPUT} DIRECTORY)
set(reg_file ${out_dir}/registry_values.tmp)
execute_process(COMMAND ${TOOL} --registry ${reg_file} C:\\Vesperglen RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "write_install_script: ${TOOL} could not write the registry values")
endif()
file(STRINGS ${reg_file} lines)
file(REMOVE ${reg_file})

foreach(line IN LISTS lines)
  if(line MATCHES "^\\[HKEY_LOCAL_MACHINE\\\\(.*)\\]$")
    set(key "HKLM\\${CMAKE_MATCH_1}")
  elseif(line MATCHES "^\"(name|musicname)\"=\"(.*)\"$")
    set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
  elseif(line MATCHES "^\"settingsex\"=hex:(.*)$")
    string(REPLACE "," "" settingsex "${CMAKE_MATCH_1}")
  endif()
endforeach()
foreach(var key name musicname settingsex)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "write_install_script: the registry file has no ${var}")
  endif()
endforeach()

set(nl "\r\n")
set(reg "reg add \"%key%\" /f /reg:${VIEW}")
# "if errorlevel" rather than "||", which not every cmd applies to external programs.
set(check "if errorlevel 1 goto failed${nl}")
string(CONCAT text
  "@echo off${nl}"
  "rem Vesperglen: records this folder as the installation folder and copies the saver to the${nl}"
  "rem Windows folder, where the Display Properties list it. Run as administrator.${nl}"
  "setlocal${nl}"
  "set \"key=${key}\"${nl}"
  "set \"dir=%~dp0\"${nl}"
  "set \"dir=%dir:~0,-1%\"${nl}"
  "${reg} /v dir /t REG_SZ /d \"%dir%\"${nl}" "${check}"
  "${reg} /v name /t REG_SZ /d \"${name}\"${nl}" "${check}"
  "${reg} /v musicname /t REG_SZ /d \"${musicname}\"${nl}" "${check}"
  "${reg} /v settingsex /t REG_BINARY /d ${settingsex}${nl}" "${check}"
  "copy /y \"%~dp0Vesperglen.scr\" \"%SystemRoot%\\Vesperglen.scr\" > nul${nl}" "${check}"
  "echo Vesperglen is installed.${nl}"
  "exit /b 0${nl}"
  ":failed${nl}"
  "echo Vesperglen could not be installed: run this script as administrator.${nl}"
  "exit /b 1${nl}")
file(WRITE ${OUTPUT} "${text}")
