# The README's commands. Each installs the Debian packages it is missing first.
BUILD ?= build
WINDOWS_BUILD ?= build-windows
JOBS ?= $(shell nproc)
CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
VERSION := $(shell sed -n 's/^project.* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

.PHONY: play check bench package build windows check-windows

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

bench:
	tools/install-deps play check bench
	$(MAKE) build
	bench/run $(BUILD)

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
