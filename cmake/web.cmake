# The browser build: the program as index.js and index.wasm, its sounds as MP3 in sounds.data
# (tools/web-sounds), the page around them, and the zip. Built with emscripten against
# tools/build-sdl's SDL2; the page decodes the sounds and Web Audio plays them.
set(SCURROW_WEB_LINK_OPTIONS
  # The game's waits block; ASYNCIFY lets them give the browser its turns.
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  # createScurrow() makes a fresh program for each game, which the page starts on the player's
  # key and learns when it ends.
  -sMODULARIZE=1 -sEXPORT_NAME=createScurrow
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 -sEXPORTED_RUNTIME_METHODS=callMain
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web)
set_target_properties(scurrow PROPERTIES OUTPUT_NAME index SUFFIX .js)
target_link_options(scurrow PRIVATE ${SCURROW_WEB_LINK_OPTIONS})

set(SCURROW_WEB_SOUNDS ${CMAKE_CURRENT_BINARY_DIR}/sounds.data)
add_custom_command(
  OUTPUT ${SCURROW_WEB_SOUNDS} ${CMAKE_CURRENT_BINARY_DIR}/sounds.json
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tools/web-sounds ${CMAKE_CURRENT_SOURCE_DIR}/sounds
          ${SCURROW_WEB_SOUNDS} ${CMAKE_CURRENT_BINARY_DIR}/sounds.json
  DEPENDS ${SCURROW_SOUNDS} ${CMAKE_CURRENT_SOURCE_DIR}/tools/web-sounds
  VERBATIM)
# The home screen's icon on iPhones, which take a PNG only.
set(SCURROW_WEB_ICON ${CMAKE_CURRENT_SOURCE_DIR}/data/io.github.scurrow.scurrow.svg)
set(SCURROW_WEB_TOUCH_ICON ${CMAKE_CURRENT_BINARY_DIR}/apple-touch-icon.png)
add_custom_command(
  OUTPUT ${SCURROW_WEB_TOUCH_ICON}
  # Square and opaque, in the icon's own blue: the system rounds the corners itself.
  COMMAND rsvg-convert --width=180 --height=180 "--background-color=#1d2b53"
          --output=${SCURROW_WEB_TOUCH_ICON} ${SCURROW_WEB_ICON}
  DEPENDS ${SCURROW_WEB_ICON}
  VERBATIM)

# build-web/scurrow-<version>-web/: the page, the program, its sounds, the icons and the licence
# texts, all that a static web server needs; and build-web/scurrow-<version>-web.zip, the same
# folder zipped. web/stamp.py adds files.json (the sizes, and each sound's place and checksum) and
# sw.js (the offline copy, versioned by the hash of everything else).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(SCURROW_WEB_NAME scurrow-${PROJECT_VERSION}-web)
set(SCURROW_WEB_FOLDER ${CMAKE_CURRENT_BINARY_DIR}/${SCURROW_WEB_NAME})
set(SCURROW_WEB_ZIP ${CMAKE_CURRENT_BINARY_DIR}/${SCURROW_WEB_NAME}.zip)
set(SCURROW_WEB_PAGE ${CMAKE_CURRENT_SOURCE_DIR}/web/index.html ${CMAKE_CURRENT_SOURCE_DIR}/web/page.js
    ${CMAKE_CURRENT_SOURCE_DIR}/web/manifest.webmanifest)
set(SCURROW_WEB_STAMP ${CMAKE_CURRENT_SOURCE_DIR}/web/stamp.py ${CMAKE_CURRENT_SOURCE_DIR}/web/sw.js)
# The licences of what the program holds: the game's own, SDL2's, and emscripten's runtime
# (Debian's copyright file for all of it).
set(SCURROW_WEB_LICENSES
    ${CMAKE_CURRENT_SOURCE_DIR}/data/copyright
    ${SDL2_DIR}/../../../share/licenses/SDL2/LICENSE.txt
    /usr/share/doc/emscripten/copyright)
set(SCURROW_WEB_LICENSE_NAMES Scurrow SDL2 emscripten)
set(copies)
foreach(license name IN ZIP_LISTS SCURROW_WEB_LICENSES SCURROW_WEB_LICENSE_NAMES)
  list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy ${license}
       ${SCURROW_WEB_FOLDER}/licenses/${name}.txt)
endforeach()
add_custom_command(
  OUTPUT ${SCURROW_WEB_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${SCURROW_WEB_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${SCURROW_WEB_FOLDER}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SCURROW_WEB_FOLDER}/licenses
  COMMAND ${CMAKE_COMMAND} -E copy ${SCURROW_WEB_PAGE} $<TARGET_FILE:scurrow>
          $<TARGET_FILE_DIR:scurrow>/index.wasm ${SCURROW_WEB_SOUNDS} ${SCURROW_WEB_TOUCH_ICON}
          ${SCURROW_WEB_FOLDER}
  COMMAND ${CMAKE_COMMAND} -E copy ${SCURROW_WEB_ICON} ${SCURROW_WEB_FOLDER}/icon.svg
  ${copies}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/web/stamp.py ${SCURROW_WEB_FOLDER}
          ${CMAKE_CURRENT_BINARY_DIR}/sounds.json ${CMAKE_CURRENT_SOURCE_DIR}/web/sw.js
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_CURRENT_BINARY_DIR}
          ${CMAKE_COMMAND} -E tar cf ${SCURROW_WEB_ZIP} --format=zip ${SCURROW_WEB_NAME}
  DEPENDS scurrow ${SCURROW_WEB_PAGE} ${SCURROW_WEB_SOUNDS} ${SCURROW_WEB_TOUCH_ICON} ${SCURROW_WEB_ICON}
          ${SCURROW_WEB_STAMP} ${SCURROW_WEB_LICENSES}
  VERBATIM)
add_custom_target(web_zip ALL DEPENDS ${SCURROW_WEB_ZIP})
