# The README's commands. Each installs the Debian packages it is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: play check bench package build

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
	tools/check-sanitized

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
