# The two commands of the README. Each installs what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: play check bench package build deps-play deps-check

play: deps-play build
	$(BUILD)/scurrow

check: deps-check build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

deps-play:
	tools/install-deps play

deps-check:
	tools/install-deps play check
