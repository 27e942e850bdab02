# Authenticode signing for vendors: given a code-signing certificate and its
# private key (files kept outside the repository), every link of launcher.exe
# is followed by signing it (SHA-256) and verifying the signature
# (cmake/sign_file.cmake). Each setting is a cache variable; when it is empty,
# the environment variable of the same name is read at configure time.
set(CODE_SIGNING_CERTIFICATE "" CACHE FILEPATH
    "Code-signing certificate, PEM or DER (may hold the intermediate certificates)")
set(CODE_SIGNING_KEY "" CACHE FILEPATH "The certificate's private key, PEM or DER")
set(CODE_SIGNING_KEY_PASSWORD_FILE "" CACHE FILEPATH
    "Optional: a file whose first line is the key's password")
set(CODE_SIGNING_CA_FILE "" CACHE FILEPATH
    "Optional: root certificates to verify the signature against (default: osslsigncode's)")

foreach(setting CODE_SIGNING_CERTIFICATE CODE_SIGNING_KEY CODE_SIGNING_KEY_PASSWORD_FILE CODE_SIGNING_CA_FILE)
  if(NOT ${setting} AND NOT "$ENV{${setting}}" STREQUAL "")
    set(${setting} "$ENV{${setting}}")
  endif()
  if(${setting} AND NOT EXISTS "${${setting}}")
    message(FATAL_ERROR "${setting}: no such file: ${${setting}}")
  endif()
endforeach()

if(CODE_SIGNING_CERTIFICATE AND CODE_SIGNING_KEY)
  find_program(OSSLSIGNCODE_PROGRAM osslsigncode REQUIRED)
  add_custom_command(TARGET launcher POST_BUILD
    COMMAND ${CMAKE_COMMAND}
            -DFILE=$<TARGET_FILE:launcher>
            -DCERTIFICATE=${CODE_SIGNING_CERTIFICATE}
            -DKEY=${CODE_SIGNING_KEY}
            -DPASSWORD_FILE=${CODE_SIGNING_KEY_PASSWORD_FILE}
            -DCA_FILE=${CODE_SIGNING_CA_FILE}
            -DOSSLSIGNCODE=${OSSLSIGNCODE_PROGRAM}
            -P ${PROJECT_SOURCE_DIR}/cmake/sign_file.cmake
    VERBATIM)
  set(LAUNCHER_SIGNED ON CACHE INTERNAL "launcher.exe is signed after each link")
  message(STATUS "launcher.exe is signed with ${CODE_SIGNING_CERTIFICATE}")
elseif(CODE_SIGNING_CERTIFICATE OR CODE_SIGNING_KEY)
  message(FATAL_ERROR "Signing needs both CODE_SIGNING_CERTIFICATE and CODE_SIGNING_KEY")
else()
  set(LAUNCHER_SIGNED OFF CACHE INTERNAL "launcher.exe is signed after each link")
  set(unsigned_note "launcher.exe is unsigned (to sign it, set CODE_SIGNING_CERTIFICATE and CODE_SIGNING_KEY)")
  message(STATUS ${unsigned_note})
  add_custom_command(TARGET launcher POST_BUILD COMMAND ${CMAKE_COMMAND} -E echo ${unsigned_note} VERBATIM)
endif()
