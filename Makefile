# The README's commands. Each installs the Debian packages it is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: play check bench package build

play: build
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
	tools/install-deps play
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)
