# Set-up, build, test and run in one command each. Debian packages that are missing are installed
# when run as root; otherwise their names are printed.

BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
PREFIX ?= /usr/local
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# Build: compiler, CMake, Qt 6 Widgets, Google Benchmark; dpkg-dev and file for the package's
# dependencies (CPack's dpkg-shlibdeps support needs the file program); clang-format for make lint.
# Tests: Xvfb, xdotool, xclip and python3-xlib drive the real program; DejaVu gives every machine the
# same sans-serif face; dbus-daemon hosts a private bus for the desktop-portal tests; at-spi2-core and
# python3-pyatspi are a screen reader's view; python3-pil redraws the pictures to compare them with the
# committed ones; the desktop entry and the AppStream metadata are validated.
PACKAGES := cmake g++ make qt6-base-dev libxcb1-dev libbenchmark-dev dpkg-dev file clang-format \
            xvfb xdotool xclip python3-xlib fonts-dejavu-core dbus at-spi2-core python3-pyatspi \
            python3-pil desktop-file-utils appstream

CONFIGURE := cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DCORVELLA_BUILD_BENCH=ON

# Leaks inside system libraries are listed in tests/lsan.supp; everything else fails the run.
SANITIZER_ENV := LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
                 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# What CI holds the code to beyond -Wall -Wextra: these warnings as errors, tests and benchmarks included,
# and the repository's clang-format style.
LINT_DIR ?= build-lint
LINT_FLAGS := -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast -Werror

.PHONY: all deps build run test test-sanitize lint bench install package clean

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

lint: deps
	cmake -S . -B $(LINT_DIR) -DCMAKE_BUILD_TYPE=Release -DCORVELLA_BUILD_BENCH=ON "-DCMAKE_CXX_FLAGS=$(LINT_FLAGS)"
	cmake --build $(LINT_DIR) --parallel $(JOBS)
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

bench: build
	$(BUILD_DIR)/bench/bench_core --benchmark_repetitions=7 --benchmark_report_aggregates_only=true
	$(BUILD_DIR)/bench/bench_scroll
	bench/startup.sh $(BUILD_DIR)

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# corvella_<version>_<arch>.deb in this folder: sudo apt-get install ./corvella_*.deb
package: build
	cd $(BUILD_DIR) && cpack -G DEB -B $(CURDIR)/$(BUILD_DIR)/package
	cp $(BUILD_DIR)/package/corvella_*.deb .

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(LINT_DIR)
