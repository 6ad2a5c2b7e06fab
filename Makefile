# Thin wrapper over CMake: `make run` builds and starts the game, `make test` builds and runs
# every test (once normally, once under AddressSanitizer + UndefinedBehaviorSanitizer).
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
# ---- hardening: Release (bench) and clang fuzz builds, each in its own folder ----
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 600
# Fresh fuzzing per target in `make test` (four targets: about 30 s in all).
TEST_FUZZ_SECONDS ?= 8
# ---- end of hardening ----

.PHONY: run test build setup bench install clean format fuzz fuzz-build release-build

run: build
	./$(BUILD)/skypop

test: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSKYPOP_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -LE e2e
# ---- hardening: the fuzz targets over their corpus plus a short fresh run, and the Release
# configuration compiled (not run) so optimiser-only warnings show before `make bench`.
	$(MAKE) fuzz-build
	bash tests/fuzz/run.sh $(FUZZ_BUILD) $(TEST_FUZZ_SECONDS)
	$(MAKE) release-build
# ---- end of hardening ----

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target skypop

# ---- hardening: Release and fuzz builds ----
bench: release-build
	bash bench/run_all.sh $(BENCH_BUILD)

release-build: setup
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) -j $(JOBS)

# clang + libFuzzer, ASan + UBSan; `make fuzz FUZZ_SECONDS=600` fuzzes each target that long.
fuzz-build: setup
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DSKYPOP_FUZZ=ON -DSKYPOP_TESTS=OFF -DSKYPOP_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	bash tests/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)
# ---- end of hardening ----

setup:
	@bash tools/install_deps.sh test

install: build
	cmake --install $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
