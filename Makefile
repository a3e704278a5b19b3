# The README's commands. Each installs the Debian packages it is missing first.
BUILD ?= build
WINDOWS_BUILD ?= build-windows
WEB_BUILD ?= build-web
JOBS ?= $(shell nproc)
CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
VERSION := $(shell sed -n 's/^project.* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

.PHONY: play check bench package build windows check-windows web play-web web-test-tools \
  check-web

# The game alone: no test or benchmark is built on the way to the first sound.
play:
	tools/install-deps play
	$(CONFIGURE)
	cmake --build $(BUILD) -j$(JOBS) --target scurrow
	$(BUILD)/scurrow

check:
	tools/install-deps play check
	$(MAKE) build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	tests/check-sanitized.sh

bench: web-test-tools
	tools/install-deps play check bench
	$(MAKE) build
	SCURROW_NPM=$(abspath $(WEB_BUILD))/npm bench/run $(BUILD) $(WEB_FOLDER)

package:
	tools/install-deps play check
	$(MAKE) build
	cmake --build $(BUILD) --target package

build:
	$(CONFIGURE)
	cmake --build $(BUILD) -j$(JOBS)

# $(WINDOWS_BUILD)/scurrow-$(VERSION)-windows-x64.zip, cross-built with
# mingw-w64 against SDL2 and SDL2_mixer built from Debian's sources (once).
windows:
	tools/install-deps windows
	JOBS=$(JOBS) tools/build-sdl windows $(WINDOWS_BUILD)
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_FIND_ROOT_PATH=$(abspath $(WINDOWS_BUILD))/sdl/prefix
	cmake --build $(WINDOWS_BUILD) -j$(JOBS)


# The zip's program under Wine, unpacked into a folder with a non-ASCII name, checked from
# outside as the Linux program is.
WINDOWS_FOLDER = $(WINDOWS_BUILD)/unpacked/Für Spieler
check-windows: windows
	tools/install-deps windows-check
	rm -rf "$(WINDOWS_FOLDER)" && mkdir -p "$(WINDOWS_FOLDER)"
	cd "$(WINDOWS_FOLDER)" && unzip -q $(abspath $(WINDOWS_BUILD))/scurrow-$(VERSION)-windows-x64.zip
	tools/with-xvfb tests/program_test.sh "$(WINDOWS_FOLDER)/scurrow-$(VERSION)-windows-x64/scurrow.exe" \
	  game odd-folder failures

# $(WEB_BUILD)/scurrow-$(VERSION)-web.zip and the same folder unpacked beside it, built with
# emscripten against SDL2 and SDL2_mixer built from Debian's sources (once). With a Node.js from
# outside Debian, emscripten finds its modules through NODE_PATH.
EMSCRIPTEN_ENV = NODE_PATH=/usr/share/nodejs
WEB_FOLDER = $(WEB_BUILD)/scurrow-$(VERSION)-web
web:
	tools/install-deps web
	JOBS=$(JOBS) tools/build-sdl web $(WEB_BUILD)
	$(EMSCRIPTEN_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_FIND_ROOT_PATH=$(abspath $(WEB_BUILD))/sdl/prefix
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_BUILD) -j$(JOBS)

# The page on this computer only, at http://127.0.0.1:8000/.
play-web: web
	@echo "Scurrow is served at http://127.0.0.1:8000/ : open it in a browser (Ctrl+C stops)."
	python3 -m http.server --bind 127.0.0.1 --directory $(WEB_FOLDER) 8000

# The page and, in $(WEB_BUILD)/npm, puppeteer-core (locked in tests/web), which drives Debian's
# chromium and Firefox ESR for the browser's test and benchmark.
web-test-tools: web
	tools/install-deps web-check
	rm -rf $(WEB_BUILD)/npm && mkdir -p $(WEB_BUILD)/npm
	cp tests/web/package.json tests/web/package-lock.json $(WEB_BUILD)/npm/
	cd $(WEB_BUILD)/npm && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error

# The zip's page, unpacked, in chromium, Firefox ESR and WebKitGTK; WebKit's browser needs a
# display, and Firefox's and WebKit's sound a sound server.
check-web: web-test-tools
	rm -rf $(WEB_BUILD)/unpacked && mkdir -p $(WEB_BUILD)/unpacked
	cd $(WEB_BUILD)/unpacked && unzip -q $(abspath $(WEB_BUILD))/scurrow-$(VERSION)-web.zip
	SCURROW_NPM=$(abspath $(WEB_BUILD))/npm tools/with-xvfb tools/with-pulse node tests/web_test.mjs \
	  $(WEB_BUILD)/unpacked/scurrow-$(VERSION)-web
