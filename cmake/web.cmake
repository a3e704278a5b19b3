# The browser build: the program as index.js and index.wasm, its sounds preloaded from
# index.data, the page around it, and the zip. Built with emscripten against tools/build-sdl's
# SDL.
set(SCURROW_SOUNDS_DIR ${CMAKE_CURRENT_SOURCE_DIR}/sounds)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/library-functions.json
     "[\"$autoResumeAudioContext\", \"$dynCall\"]\n")
set(SCURROW_WEB_LINK_OPTIONS
  # The game's waits block; ASYNCIFY lets them give the browser its turns.
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  # createScurrow() makes a fresh program for each game, which the page starts on the player's
  # key and learns when it ends.
  -sMODULARIZE=1 -sEXPORT_NAME=createScurrow
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 -sEXPORTED_RUNTIME_METHODS=callMain
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web
  # SDL's audio calls these from its JavaScript; the list is in a file, as a "$" would not
  # survive the build tool's quoting.
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_CURRENT_BINARY_DIR}/library-functions.json
  # The sounds lie in the program folder, "/".
  --preload-file ${SCURROW_SOUNDS_DIR}@/)
set_target_properties(scurrow PROPERTIES OUTPUT_NAME index SUFFIX .js)
target_link_options(scurrow PRIVATE ${SCURROW_WEB_LINK_OPTIONS})
set_property(TARGET scurrow APPEND PROPERTY LINK_DEPENDS ${SCURROW_SOUNDS})

# build-web/scurrow-<version>-web/: the page, the program, its sounds and the licence texts, all
# that a static web server needs; and build-web/scurrow-<version>-web.zip, the same folder zipped.
# web/stamp.py adds files.json (the sizes and each sound's checksum) and sw.js (the offline copy,
# versioned by the hash of everything else).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(SCURROW_WEB_NAME scurrow-${PROJECT_VERSION}-web)
set(SCURROW_WEB_FOLDER ${CMAKE_CURRENT_BINARY_DIR}/${SCURROW_WEB_NAME})
set(SCURROW_WEB_ZIP ${CMAKE_CURRENT_BINARY_DIR}/${SCURROW_WEB_NAME}.zip)
set(SCURROW_WEB_PAGE ${CMAKE_CURRENT_SOURCE_DIR}/web/index.html ${CMAKE_CURRENT_SOURCE_DIR}/web/page.js
    ${CMAKE_CURRENT_SOURCE_DIR}/web/manifest.webmanifest)
set(SCURROW_WEB_ICON ${CMAKE_CURRENT_SOURCE_DIR}/data/io.github.scurrow.scurrow.svg)
set(SCURROW_WEB_STAMP ${CMAKE_CURRENT_SOURCE_DIR}/web/stamp.py ${CMAKE_CURRENT_SOURCE_DIR}/web/sw.js)
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
# The page's folder from the program target's files: rm, copy, stamp.
function(scurrow_web_folder folder target)
  set(commands
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${folder}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}/licenses
    COMMAND ${CMAKE_COMMAND} -E copy ${SCURROW_WEB_PAGE} $<TARGET_FILE:${target}>
            $<TARGET_FILE_DIR:${target}>/index.wasm $<TARGET_FILE_DIR:${target}>/index.data ${folder}
    COMMAND ${CMAKE_COMMAND} -E copy ${SCURROW_WEB_ICON} ${folder}/icon.svg
    ${ARGN}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/web/stamp.py ${folder}
            ${CMAKE_CURRENT_SOURCE_DIR}/web/sw.js)
  set(commands ${commands} PARENT_SCOPE)
endfunction()
scurrow_web_folder(${SCURROW_WEB_FOLDER} scurrow ${copies})
add_custom_command(
  OUTPUT ${SCURROW_WEB_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${SCURROW_WEB_ZIP}
  ${commands}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_CURRENT_BINARY_DIR}
          ${CMAKE_COMMAND} -E tar cf ${SCURROW_WEB_ZIP} --format=zip ${SCURROW_WEB_NAME}
  DEPENDS scurrow ${SCURROW_WEB_PAGE} ${SCURROW_WEB_ICON} ${SCURROW_WEB_STAMP} ${SCURROW_WEB_LICENSES}
  VERBATIM)
add_custom_target(web_zip ALL DEPENDS ${SCURROW_WEB_ZIP})

# For the benchmark only (target web_bench): the same page with the program built at other mixer
# sizes, in bench-<frames>/ beside the page; bench/web_mixer_frames.cpp replaces the shipped size.
add_custom_target(web_bench)
foreach(frames 256 512 1024 2048 4096)
  set(target scurrow_frames_${frames})
  add_executable(${target} EXCLUDE_FROM_ALL app/main.cpp bench/web_mixer_frames.cpp)
  target_compile_definitions(${target} PRIVATE SCURROW_MIXER_FRAMES=${frames})
  target_link_libraries(${target} PRIVATE scurrow_sdl)
  target_link_options(${target} PRIVATE ${SCURROW_WEB_LINK_OPTIONS})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME index SUFFIX .js
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${target})
  scurrow_web_folder(${CMAKE_CURRENT_BINARY_DIR}/bench-${frames} ${target})
  add_custom_target(web_bench_${frames} ${commands}
    DEPENDS ${target} ${SCURROW_WEB_PAGE} ${SCURROW_WEB_STAMP} VERBATIM)
  add_dependencies(web_bench web_bench_${frames})
endforeach()
