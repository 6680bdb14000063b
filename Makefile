# Set-up, build, test and run in one command each. Debian packages that are missing are installed
# when run as root; otherwise their names are printed.

BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# Build: compiler, CMake, Qt 6 Widgets, Google Benchmark. Tests: Xvfb, xdotool and xclip drive the
# real program; DejaVu gives every machine the same sans-serif face; dbus-daemon hosts a private bus
# for the desktop-portal tests.
PACKAGES := cmake g++ make qt6-base-dev libxcb1-dev libbenchmark-dev \
            xvfb xdotool xclip fonts-dejavu-core dbus

CONFIGURE := cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DCORVELLA_BUILD_BENCH=ON

# Leaks inside system libraries are listed in tests/lsan.supp; everything else fails the run.
SANITIZER_ENV := LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
                 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: all deps build run test test-sanitize bench clean

all: build

deps:
	@tools/install-deps $(PACKAGES)

build: deps
	$(CONFIGURE)
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

run: build
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
	    echo "make run: no display to show Corvella on (neither DISPLAY nor WAYLAND_DISPLAY is set)" >&2; \
	    exit 1; \
	fi
	$(BUILD_DIR)/bin/corvella

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure --parallel $(JOBS)

test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVELLA_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) --parallel $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir $(SANITIZE_DIR) --output-on-failure --parallel $(JOBS)

bench: build
	$(BUILD_DIR)/bench/bench_core --benchmark_repetitions=7 --benchmark_report_aggregates_only=true
	$(BUILD_DIR)/bench/bench_scroll
	bench/startup.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
