# The Windows build: one program file with no console window and no DLL but
# the system's, and the zip that players unpack. Cross-built with
# cmake/mingw-w64-x86_64.cmake against tools/build-sdl's SDL.

# localtime_r, which mingw-w64's time.h offers under this name.
target_compile_definitions(scurrow_sdl PRIVATE _POSIX_THREAD_SAFE_FUNCTIONS)

# SDL2main starts main() from WinMain; the C, C++ and threads runtimes are
# linked in.
set_target_properties(scurrow PROPERTIES WIN32_EXECUTABLE ON)
target_link_libraries(scurrow PRIVATE SDL2::SDL2main)
target_link_options(scurrow PRIVATE -static)

# The texts that go with the program, with Windows line ends: the README for
# players and the licences of SDL2, SDL2_mixer and the mingw-w64 runtime
# (Debian's copyright file for all of it: its C runtime, gdtoa and winpthreads
# are linked in).
set(SCURROW_ZIP_EXTRAS ${CMAKE_CURRENT_BINARY_DIR}/zip-extras)
file(REMOVE_RECURSE ${SCURROW_ZIP_EXTRAS})
function(scurrow_write_windows_text path text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${path} "${text}")
endfunction()

configure_file(data/windows/README.txt ${SCURROW_ZIP_EXTRAS}/README.txt @ONLY
               NEWLINE_STYLE WIN32)
foreach(library SDL2 SDL2_mixer)
  # <prefix>/lib/cmake/<library> holds the package found above.
  cmake_path(SET license NORMALIZE
             "${${library}_DIR}/../../../share/licenses/${library}/LICENSE.txt")
  file(READ ${license} text)
  scurrow_write_windows_text(${SCURROW_ZIP_EXTRAS}/licenses/${library}.txt "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${license})
endforeach()
set(SCURROW_MINGW_COPYRIGHT /usr/share/doc/mingw-w64-common/copyright)
file(READ ${SCURROW_MINGW_COPYRIGHT} text)
scurrow_write_windows_text(${SCURROW_ZIP_EXTRAS}/licenses/mingw-w64.txt "${text}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SCURROW_MINGW_COPYRIGHT})

# build-windows/scurrow-<version>-windows-x64.zip: one folder with the
# program, its 39 sounds and the texts above.
set(SCURROW_ZIP_NAME scurrow-${PROJECT_VERSION}-windows-x64)
set(SCURROW_ZIP ${CMAKE_CURRENT_BINARY_DIR}/${SCURROW_ZIP_NAME}.zip)
set(SCURROW_ZIP_STAGE ${CMAKE_CURRENT_BINARY_DIR}/zip-stage)
set(SCURROW_ZIP_FOLDER ${SCURROW_ZIP_STAGE}/${SCURROW_ZIP_NAME})
add_custom_command(
  OUTPUT ${SCURROW_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${SCURROW_ZIP_STAGE} ${SCURROW_ZIP}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${SCURROW_ZIP_EXTRAS} ${SCURROW_ZIP_FOLDER}
  COMMAND ${CMAKE_STRIP} -o ${SCURROW_ZIP_FOLDER}/scurrow.exe $<TARGET_FILE:scurrow>
  COMMAND ${CMAKE_COMMAND} -E copy ${SCURROW_SOUNDS} ${SCURROW_ZIP_FOLDER}
  COMMAND ${CMAKE_COMMAND} -E chdir ${SCURROW_ZIP_STAGE}
          ${CMAKE_COMMAND} -E tar cf ${SCURROW_ZIP} --format=zip ${SCURROW_ZIP_NAME}
  DEPENDS scurrow ${SCURROW_SOUNDS} ${SCURROW_ZIP_EXTRAS}/README.txt
  VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${SCURROW_ZIP})
