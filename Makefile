# Parcelwick: build, run and test. Every target first installs missing Debian packages.
BUILD       ?= build
BUILD_DEBUG ?= build-debug
BUILD_BENCH ?= build-bench
BUILD_FUZZ  ?= build-fuzz
BUILD_RELEASE ?= build-release
PREFIX      ?= /usr/local
JOBS        ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test debug bench fuzz fuzz-smoke screenshots install clean

all: build

deps:
	@bash scripts/install-deps.sh

# The tree the tests run in is optimized, as users' builds are, and runs under the address and
# undefined-behaviour sanitizers with its assertions kept (faults of object lifetime that a Debug
# build hides show here). Line tables only: the sanitizers' reports name files and lines.
# The benchmarks are compiled with the tests (and run only by make bench), so that they keep building.
$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1" \
	  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1" -DPW_SANITIZE=ON -DPW_BUILD_BENCH=ON $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	ASAN_OPTIONS=detect_leaks=0 $(BUILD)/src/parcelwick

test: build
	python3 tools/check_source.py
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen LC_ALL=C ASAN_OPTIONS=detect_leaks=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# A Debug tree without sanitizers, for stepping through in a debugger.
debug: deps
	cmake -S . -B $(BUILD_DEBUG) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)
	cmake --build $(BUILD_DEBUG) -j $(JOBS)

bench: deps
	cmake -S . -B $(BUILD_BENCH) -G Ninja -DCMAKE_BUILD_TYPE=Release -DPW_BUILD_TESTS=OFF -DPW_BUILD_BENCH=ON
	cmake --build $(BUILD_BENCH) -j $(JOBS)
	@for b in $(BUILD_BENCH)/bench/pw_bench_*; do if [ -f "$$b" ] && [ -x "$$b" ]; then QT_QPA_PLATFORM=offscreen "$$b" || exit 1; fi; done

# The fuzz programs and the libraries they use, nothing else of the tree.
FUZZ_CONFIGURE = CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" \
	  -DPW_BUILD_TESTS=OFF -DPW_BUILD_FUZZ=ON
fuzz: deps
	$(FUZZ_CONFIGURE)
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target pw_fuzz_targets

# Builds what `make fuzz` builds, then runs each fuzz target over its seeds for FUZZ_SECONDS
# seconds: what CI runs after the tests.
FUZZ_SECONDS ?= 5
fuzz-smoke: deps
	$(FUZZ_CONFIGURE) -DPW_FUZZ_SMOKE_SECONDS=$(FUZZ_SECONDS)
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target pw_fuzz_smoke

# A PNG of every window, panel and sheet at its default size, and again at 200 %.
screenshots: configure
	cmake --build $(BUILD) -j $(JOBS) --target pw_screenshots
	QT_QPA_PLATFORM=offscreen $(BUILD)/tools/screenshots/pw_screenshots $(BUILD)/screenshots
	QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 $(BUILD)/tools/screenshots/pw_screenshots $(BUILD)/screenshots/scale-200

# The program, its content library (sample designs, clip art and its index, masks, postage art,
# shapes), its desktop entry, the MIME type of design files and the icons, from a release build,
# below PREFIX (default /usr/local); DESTDIR stages them for a package.
install: deps
	cmake -S . -B $(BUILD_RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DPW_BUILD_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD_RELEASE) -j $(JOBS) --target parcelwick pw_content
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_RELEASE) --prefix "$(PREFIX)"

clean:
	rm -rf $(BUILD) $(BUILD_DEBUG) $(BUILD_BENCH) $(BUILD_FUZZ) $(BUILD_RELEASE)
