# SPDX-License-Identifier: GPL-3.0-or-later
# The README's commands. Everything builds under build/ with CMake and Ninja. Each command first
# installs what it needs, and only that (scripts/bootstrap SET).
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all configure build program test run sim demo bench check fuzz mutate clean

all: build

bootstrap-%:
	@scripts/bootstrap $*

# CMake runs again whenever CMAKE_FLAGS differ from those the build folder was made with.
configure:
	@if [ ! -f $(BUILD)/build.ninja ] || \
	    [ "$$(cat $(BUILD)/.cmake-flags 2>/dev/null)" != "$(CMAKE_FLAGS)" ]; then \
	  cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) && echo "$(CMAKE_FLAGS)" >$(BUILD)/.cmake-flags; \
	fi

build: bootstrap-build configure
	@cmake --build $(BUILD)

# Only what the program and the demo run: the program, the access libraries, the root helper,
# the demo's screenshot tool.
program: bootstrap-demo configure
	@cmake --build $(BUILD) --target quoril-bus qbus_access_linux qbus_access_sim \
	  qbus_access_elevated quoril-bus-helper quoril-bus-screenshot

test: bootstrap-test configure
	@cmake --build $(BUILD)
	@scripts/run_tests $(BUILD)

# The window runs as you; the elevated library's root helper asks for the password (pkexec).
run: program
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
	  LD_LIBRARY_PATH=$(BUILD)/elevated $(BUILD)/bin/quoril-bus; \
	else \
	  echo "No display found: running 'make demo' on a virtual X server instead."; \
	  $(MAKE) --no-print-directory demo; \
	fi

# The window on the simulated machine: an absolute folder, so it cannot miss from any directory.
sim: program
	@LD_LIBRARY_PATH=$(abspath $(BUILD))/sim $(BUILD)/bin/quoril-bus

demo: program
	@scripts/demo $(BUILD)

# Each row says whether it times work in one process or whole processes (their CPU counted),
# and each figure with a baseline is printed beside it with the ratio. CMake looks for the
# benchmark library again, which the bootstrap may just have installed.
bench: bootstrap-bench configure
	@cmake $(BUILD) >/dev/null
	@cmake --build $(BUILD) --target benchmarks
	@bench/run_bench.sh $(BUILD)
	@bench/whole_process.sh $(BUILD)
	@bench/dialog_open.sh $(BUILD)
	@bench/function_view_open.sh . $(BUILD)
	@bench/find_device_keys.sh $(BUILD)
	@bench/save_all_memory.sh $(BUILD)

# The sanitizer build and its whole suite, each fuzzer for 60 s, the GUI monkey for 60 s, and
# lintian on the package of the plain build.
check: bootstrap-check
	@scripts/check

# The fuzzers, each for FUZZ_SECONDS (default 600).
fuzz: bootstrap-fuzz
	@scripts/fuzz build-fuzz $(or $(FUZZ_SECONDS),600)

# One-line mutants of the C++ lines changed since BASE (default: origin/main, else HEAD~1),
# each tried against the tests that run it, in build-mutate/; prints the score and survivors.
mutate: bootstrap-test
	@scripts/mutate $(BASE)

clean:
	rm -rf $(BUILD) build-check build-fuzz build-mutate
