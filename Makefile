# Thin driver over CMake. `make run` and `make test` set up a fresh Debian 12
# machine themselves (missing packages are installed with apt-get).
BUILD       ?= build
BUILD_TYPE  ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS        ?= 2
FUZZ_SECONDS ?= 60
# `make install PREFIX=~/.local` installs there (default: CMake's /usr/local);
# DESTDIR, when set, is put before it, as usual.
PREFIX      ?=

.PHONY: all setup setup-tests setup-package setup-format configure build run demo test test-asan fuzz bench format format-check install package clean

all: build

setup:
	@scripts/setup.sh

setup-tests:
	@scripts/setup.sh --with-tests

setup-package:
	@scripts/setup.sh --with-package

setup-format:
	@scripts/setup.sh --with-format

configure:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: setup configure
	cmake --build $(BUILD) -j$(JOBS)

# Starts the editor; without a display it says so and runs the command-line demo.
run: build
	@scripts/run.sh $(BUILD)

# The bundled demo: a project made by the command-line tool, then printed.
demo: build
	@scripts/demo.sh $(BUILD)

test: setup-tests configure
	cmake --build $(BUILD) -j$(JOBS)
	ctest --test-dir $(BUILD) -j$(JOBS) --timeout 600 --output-on-failure

# The tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: setup-tests
	cmake -S . -B $(BUILD)-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZADARAVOD_SANITIZE=ON \
	    -DZADARAVOD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD)-asan -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --test-dir $(BUILD)-asan -j$(JOBS) --timeout 600 --output-on-failure

# Each libFuzzer target for FUZZ_SECONDS, seeded with files the tests write.
fuzz: setup-tests
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DZADARAVOD_SANITIZE=ON -DZADARAVOD_FUZZ=ON -DZADARAVOD_TESTS=OFF -DZADARAVOD_BENCH=OFF \
	    -DZADARAVOD_GUI=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD)-fuzz -j$(JOBS) --target zadaravod_fuzzers
	@scripts/run-fuzzers.sh $(BUILD)-fuzz $(FUZZ_SECONDS) $(BUILD)/fuzz-seeds

bench: build
	@scripts/run-benchmarks.sh $(BUILD)

format: setup-format
	@scripts/format.sh

# Fails when a tracked C++ file drifts from .clang-format.
format-check: setup-format
	@scripts/format.sh --check

# The commands zadaravod, zadaravod-cli and zadaravod-download in PREFIX/bin,
# links into the application folder PREFIX/lib/zadaravod.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) $(if $(PREFIX),--prefix "$(PREFIX)")

# The Debian package, $(BUILD)/package/zadaravod_<version>_<arch>.deb
# (install it with: sudo apt install ./$(BUILD)/package/zadaravod_*.deb).
package: setup-package configure
	cmake --build $(BUILD) -j$(JOBS) --target package

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-fuzz
