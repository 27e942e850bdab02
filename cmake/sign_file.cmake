# Signs a Windows executable in place with Authenticode (SHA-256) and verifies
# the signature. On any failure the file is removed: it must neither be
# shipped unsigned nor be taken as up to date by the next build.
#   cmake -DFILE=launcher.exe -DCERTIFICATE=cert.pem -DKEY=key.pem
#         [-DPASSWORD_FILE=password.txt] [-DCA_FILE=roots.pem]
#         [-DOSSLSIGNCODE=/usr/bin/osslsigncode] -P sign_file.cmake
cmake_minimum_required(VERSION 3.20)

foreach(required FILE CERTIFICATE KEY)
  if(NOT ${required})
    message(FATAL_ERROR "sign_file.cmake needs -D${required}=...")
  endif()
endforeach()
if(NOT OSSLSIGNCODE)
  set(OSSLSIGNCODE osslsigncode)
endif()
set(signed "${FILE}.signed")

function(fail what output)
  file(REMOVE "${FILE}" "${signed}")
  message(FATAL_ERROR "${what}; ${FILE} removed.\n${output}")
endfunction()

# The description is what Windows shows as the signed program's name.
set(sign ${OSSLSIGNCODE} sign -h sha256 -n "Velto Backup" -certs ${CERTIFICATE} -key ${KEY})
if(PASSWORD_FILE)
  list(APPEND sign -readpass ${PASSWORD_FILE})
endif()
file(REMOVE "${signed}")
# No terminal: a key whose password is missing fails instead of asking.
execute_process(COMMAND ${sign} -in ${FILE} -out ${signed}
                INPUT_FILE /dev/null RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output
                TIMEOUT 120)
if(NOT result EQUAL 0)
  fail("Signing ${FILE} failed (${result})" "${output}")
endif()

set(verify ${OSSLSIGNCODE} verify -in ${signed})
if(CA_FILE)
  list(APPEND verify -CAfile ${CA_FILE})
endif()
execute_process(COMMAND ${verify}
                INPUT_FILE /dev/null RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output
                TIMEOUT 120)
if(NOT result EQUAL 0)
  fail("The signature of ${FILE} does not verify (${result})" "${output}")
endif()

file(RENAME "${signed}" "${FILE}")
message(STATUS "Signed and verified ${FILE}")
