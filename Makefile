# The newcomer's commands: `make demo` and `make test`. Each installs what is missing,
# configures the build folder when needed, builds, then runs.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build demo workflow-demo test test-nogui lint format bench fuzz clean

all: build

deps:
	@scripts/install-deps

# The test build: sanitizers on, so that demo and tests both run under them.
$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_SANITIZE=ON $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The core, orvane-batch, the robot library and the module must build and pass without Qt.
test-nogui:
	@$(MAKE) --no-print-directory test BUILD=build-nogui CMAKE_FLAGS="-DORVANE_BUILD_GUI=OFF $(CMAKE_FLAGS)"

demo: build
	scripts/demo $(BUILD)

# Three generated slides through workflow/Snakefile (orvane-batch steps, reports, limma).
workflow-demo: build
	scripts/workflow-demo $(BUILD)

# Style: the format check and clang-tidy (`format` applies the format).
lint: build
	scripts/lint $(BUILD)

format:
	scripts/lint --fix-format

# Benchmarks want an optimised build without sanitizers.
# OpenCV (scripts/install-deps --bench) gives the reference figures.
bench:
	@scripts/install-deps --bench
	@test -f build-release/build.ninja || cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build build-release -j $(JOBS) --target speed_bench auto_place_bench spot_results_bench grid_view_bench gui_speed_bench report_bench accuracy_bench \
	  orvane-demo-slide orvane-batch
	scripts/bench build-release

# Every fuzz harness for FUZZ_SECONDS (default 30) each: clang, sanitizers, no GUI.
FUZZ_SECONDS ?= 30
fuzz:
	@scripts/install-deps --fuzz
	@test -f build-fuzz/build.ninja || CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_FUZZ=ON -DORVANE_BUILD_GUI=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzzers
	FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz build-fuzz

clean:
	rm -rf build build-nogui build-release build-fuzz
