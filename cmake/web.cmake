# The browser build: the program as index.js and index.wasm, its sounds preloaded from
# index.data, the page around it, and the zip. Built with emscripten against tools/build-sdl's
# SDL.
set_target_properties(scurrow PROPERTIES OUTPUT_NAME index SUFFIX .js)
set(SCURROW_SOUNDS_DIR ${CMAKE_CURRENT_SOURCE_DIR}/sounds)
target_link_options(scurrow PRIVATE
  # The game's waits block; ASYNCIFY lets them give the browser its turns.
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  # The page starts the program on the player's first key, and learns when it ends.
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 -sEXPORTED_RUNTIME_METHODS=callMain
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web
  # SDL's audio calls these from its JavaScript; the list is in a file, as a "$" would not
  # survive the build tool's quoting.
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_CURRENT_BINARY_DIR}/library-functions.json
  # The sounds lie in the program folder, "/".
  --preload-file ${SCURROW_SOUNDS_DIR}@/)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/library-functions.json
     "[\"$autoResumeAudioContext\", \"$dynCall\"]\n")
set_property(TARGET scurrow APPEND PROPERTY LINK_DEPENDS ${SCURROW_SOUNDS})

# build-web/scurrow-<version>-web/: the page, the program, its sounds and the licence texts, all
# that a static web server needs; and build-web/scurrow-<version>-web.zip, the same folder zipped.
set(SCURROW_WEB_NAME scurrow-${PROJECT_VERSION}-web)
set(SCURROW_WEB_FOLDER ${CMAKE_CURRENT_BINARY_DIR}/${SCURROW_WEB_NAME})
set(SCURROW_WEB_ZIP ${CMAKE_CURRENT_BINARY_DIR}/${SCURROW_WEB_NAME}.zip)
set(SCURROW_WEB_PAGE ${CMAKE_CURRENT_SOURCE_DIR}/web/index.html ${CMAKE_CURRENT_SOURCE_DIR}/web/page.js)
# The licences of what the program holds: the game's own, SDL2's, SDL2_mixer's, and emscripten's
# runtime (Debian's copyright file for all of it).
set(SCURROW_WEB_LICENSES
    ${CMAKE_CURRENT_SOURCE_DIR}/data/copyright
    ${SDL2_DIR}/../../../share/licenses/SDL2/LICENSE.txt
    ${SDL2_mixer_DIR}/../../../share/licenses/SDL2_mixer/LICENSE.txt
    /usr/share/doc/emscripten/copyright)
set(SCURROW_WEB_LICENSE_NAMES Scurrow SDL2 SDL2_mixer emscripten)
set(copies)
foreach(license name IN ZIP_LISTS SCURROW_WEB_LICENSES SCURROW_WEB_LICENSE_NAMES)
  list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy ${license}
       ${SCURROW_WEB_FOLDER}/licenses/${name}.txt)
endforeach()
add_custom_command(
  OUTPUT ${SCURROW_WEB_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${SCURROW_WEB_FOLDER} ${SCURROW_WEB_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SCURROW_WEB_FOLDER}/licenses
  COMMAND ${CMAKE_COMMAND} -E copy ${SCURROW_WEB_PAGE} $<TARGET_FILE:scurrow>
          $<TARGET_FILE_DIR:scurrow>/index.wasm $<TARGET_FILE_DIR:scurrow>/index.data
          ${SCURROW_WEB_FOLDER}
  ${copies}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_CURRENT_BINARY_DIR}
          ${CMAKE_COMMAND} -E tar cf ${SCURROW_WEB_ZIP} --format=zip ${SCURROW_WEB_NAME}
  DEPENDS scurrow ${SCURROW_WEB_PAGE} ${SCURROW_WEB_LICENSES}
  VERBATIM)
add_custom_target(web_zip ALL DEPENDS ${SCURROW_WEB_ZIP})
