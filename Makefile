# Set-up, build, test and run in one command each. Debian packages that are missing are installed
# when run as root; otherwise their names are printed.

BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# Build: compiler, CMake, Qt 6 Widgets, Google Benchmark.
PACKAGES := cmake g++ make qt6-base-dev libbenchmark-dev

CONFIGURE := cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DCORVELLA_BUILD_BENCH=ON

.PHONY: all deps build test bench clean

all: build

deps:
	@tools/install-deps $(PACKAGES)

build: deps
	$(CONFIGURE)
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure --parallel $(JOBS)

bench: build
	$(BUILD_DIR)/bench/bench_core --benchmark_repetitions=7 --benchmark_report_aggregates_only=true

clean:
	rm -rf $(BUILD_DIR)
