# Parcelwick: build, run and test. Every target first installs missing Debian packages.
BUILD       ?= build
BUILD_ASAN  ?= build-asan
BUILD_BENCH ?= build-bench
BUILD_FUZZ  ?= build-fuzz
JOBS        ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench test-asan fuzz fuzz-smoke screenshots clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/parcelwick

test: build
	python3 tools/check_source.py
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen LC_ALL=C ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPW_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && QT_QPA_PLATFORM=offscreen LC_ALL=C ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BUILD_BENCH) -G Ninja -DCMAKE_BUILD_TYPE=Release -DPW_BUILD_TESTS=OFF -DPW_BUILD_BENCH=ON
	cmake --build $(BUILD_BENCH) -j $(JOBS)
	@for b in $(BUILD_BENCH)/bench/pw_bench_*; do if [ -f "$$b" ] && [ -x "$$b" ]; then QT_QPA_PLATFORM=offscreen "$$b" || exit 1; fi; done

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPW_BUILD_TESTS=OFF -DPW_BUILD_FUZZ=ON
	cmake --build $(BUILD_FUZZ) -j $(JOBS)

.PHONY: all deps configure build run test bench test-asan fuzz fuzz-smoke screenshots clean
clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_BENCH) $(BUILD_FUZZ)
