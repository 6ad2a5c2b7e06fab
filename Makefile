# Thin wrapper over CMake: `make run` builds and starts the game, `make test` builds and runs
# every test (once normally, once under AddressSanitizer + UndefinedBehaviorSanitizer), the
# browser version's too, which is why it builds `make web` first.
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

# --- Release build, install and package -------------------------------------------------------
# The player's build: the game alone, optimised and stripped on install. `make package` writes
# skypop_<version>_<arch>.deb and a .tar.gz of the same tree into $(RELEASE_BUILD).
RELEASE_BUILD ?= build-release
PREFIX ?= /usr/local
DESTDIR ?=
PLAYER_OPTIONS = -DSKYPOP_TESTS=OFF -DSKYPOP_BENCH=OFF -DSKYPOP_TOOLS=OFF
# Debian's hardening flags, all of them, as a distribution's own build would use them. They are
# read when $(RELEASE_BUILD) is first configured.
BUILDFLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
RELEASE_FLAGS = CXXFLAGS="$$($(BUILDFLAGS) CXXFLAGS 2>/dev/null) $$($(BUILDFLAGS) CPPFLAGS 2>/dev/null)" \
                LDFLAGS="$$($(BUILDFLAGS) LDFLAGS 2>/dev/null)"
# ---------------------------------------------------------------------------------------------

.PHONY: run test build setup setup-run setup-package release bench install package clean format \
        fuzz fuzz-build release-build web web-setup serve-web

# --- The browser version: a folder of static files in $(WEB_BUILD)/site ----------------------
WEB_BUILD ?= build-web
WEB_PORT ?= 8170
# Debian's emcc runs its optimiser under whatever node is first on the PATH; a node that is not
# Debian's own finds Debian's JavaScript modules only through NODE_PATH.
WEB_ENV = NODE_PATH=/usr/share/nodejs

run: build
	./$(BUILD)/skypop

test: setup package web
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKYPOP_TESTS=ON -DSKYPOP_TOOLS=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSKYPOP_SANITIZE=ON -DSKYPOP_TESTS=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -LE 'e2e|package'
# ---- hardening: the fuzz targets over their corpus plus a short fresh run, and the Release
# configuration compiled (not run) so optimiser-only warnings show before `make bench`.
	$(MAKE) fuzz-build
	bash tests/fuzz/run.sh $(FUZZ_BUILD) $(TEST_FUZZ_SECONDS)
	$(MAKE) release-build
# ---- end of hardening ----

build: setup-run
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(PLAYER_OPTIONS)
	cmake --build $(BUILD) -j $(JOBS) --target skypop

# ---- hardening: Release and fuzz builds ----
bench: release-build
	bash bench/run_all.sh $(BENCH_BUILD)

release-build: setup
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DSKYPOP_TESTS=ON -DSKYPOP_TOOLS=ON \
	  -DSKYPOP_BENCH=ON
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
	@bash tools/install_deps.sh test package

setup-run:
	@bash tools/install_deps.sh run

setup-package:
	@bash tools/install_deps.sh package

release: setup-run
	$(RELEASE_FLAGS) cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release $(PLAYER_OPTIONS)
	cmake --build $(RELEASE_BUILD) -j $(JOBS)

install: release
	DESTDIR="$(DESTDIR)" cmake --install $(RELEASE_BUILD) --strip --prefix "$(PREFIX)"

package: setup-package release
	cd $(RELEASE_BUILD) && cpack
	@ls -l $(RELEASE_BUILD)/skypop_*.deb $(RELEASE_BUILD)/skypop_*.tar.gz

web: web-setup
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)

web-setup:
	@bash tools/install_deps.sh web
	@[ -f node_modules/.package-lock.json ] && [ ! package-lock.json -nt node_modules/.package-lock.json ] \
	  || npm ci --ignore-scripts --no-audit --no-fund

serve-web: web
	node tools/serve_site.js $(WEB_BUILD)/site $(WEB_PORT)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(RELEASE_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(WEB_BUILD)
