# SKYPOP FRENZY's commands: a thin wrapper over CMake. `make help` lists them by purpose.
# `make run` builds and starts the game; `make test` is the whole gate that CI runs.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
RELEASE_BUILD ?= build-release
WEB_BUILD ?= build-web
WINDOWS_BUILD ?= build-windows
WEB_PORT ?= 8170
PREFIX ?= /usr/local
DESTDIR ?=
FUZZ_SECONDS ?= 600
# Fresh fuzzing per target in `make test` (four targets: about 30 s in all).
TEST_FUZZ_SECONDS ?= 8

TEST_OPTIONS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKYPOP_TESTS=ON -DSKYPOP_TOOLS=ON
# The player's build: the game alone, optimised and stripped on install.
PLAYER_OPTIONS = -DSKYPOP_TESTS=OFF -DSKYPOP_BENCH=OFF -DSKYPOP_TOOLS=OFF
# Debian's hardening flags, all of them, as a distribution's own build would use them. They are
# read when $(RELEASE_BUILD) is first configured.
BUILDFLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
RELEASE_FLAGS = CXXFLAGS="$$($(BUILDFLAGS) CXXFLAGS 2>/dev/null) $$($(BUILDFLAGS) CPPFLAGS 2>/dev/null)" \
                LDFLAGS="$$($(BUILDFLAGS) LDFLAGS 2>/dev/null)"
# Debian's emcc runs its optimiser under whatever node is first on the PATH; a node that is not
# Debian's own finds Debian's JavaScript modules only through NODE_PATH.
WEB_ENV = NODE_PATH=/usr/share/nodejs

.PHONY: run build help test check bench fuzz fuzz-build release-build format release install \
        package web web-test serve-web windows setup setup-run setup-package web-setup \
        windows-setup clean

# ---- Play ----------------------------------------------------------------------------------

run: build ## build the game and start it
	./$(BUILD)/skypop

build: setup-run ## build the game alone in build/
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(PLAYER_OPTIONS)
	cmake --build $(BUILD) -j $(JOBS) --target skypop

# ---- Test ----------------------------------------------------------------------------------

test: setup package web-test windows ## every test: the suites, under ASan + UBSan too, the fuzz targets
	cmake -S . -B $(BUILD) $(TEST_OPTIONS)
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSKYPOP_SANITIZE=ON -DSKYPOP_TESTS=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -LE 'e2e|package|web'
	$(MAKE) fuzz-build
	bash tests/fuzz/run.sh $(FUZZ_BUILD) $(TEST_FUZZ_SECONDS)
	$(MAKE) release-build

check: setup ## the unit and simulation tests alone: no X server, package, browser or fuzzing
	cmake -S . -B $(BUILD) $(TEST_OPTIONS)
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE 'e2e|package|web'

bench: release-build ## the benchmarks, the million-tick soak and the kill test
	bash bench/run_all.sh $(BENCH_BUILD)

release-build: setup ## the Release configuration with tests and benchmarks, in build-bench/
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DSKYPOP_TESTS=ON -DSKYPOP_TOOLS=ON \
	  -DSKYPOP_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS)

fuzz-build: setup ## the clang + libFuzzer + ASan + UBSan build of the fuzz targets
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DSKYPOP_FUZZ=ON -DSKYPOP_TESTS=OFF -DSKYPOP_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build ## fuzz each target FUZZ_SECONDS long
	bash tests/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

format: ## clang-format every C++ file
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# ---- Release -------------------------------------------------------------------------------

release: setup-run ## the player's optimised build in build-release/
	$(RELEASE_FLAGS) cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release $(PLAYER_OPTIONS)
	cmake --build $(RELEASE_BUILD) -j $(JOBS)

install: release ## install under PREFIX (and DESTDIR)
	DESTDIR="$(DESTDIR)" cmake --install $(RELEASE_BUILD) --strip --prefix "$(PREFIX)"

package: setup-package release ## the Debian package and a .tar.gz in build-release/
	cd $(RELEASE_BUILD) && cpack
	@ls -l $(RELEASE_BUILD)/skypop_*.deb $(RELEASE_BUILD)/skypop_*.tar.gz

# ---- Web -----------------------------------------------------------------------------------

web: web-setup ## the browser version's site in build-web/site/
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DSKYPOP_WEB_TEST_SITE=OFF
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)

web-test: web-setup ## the site, and beside it site-test/ with the browser tests' hooks
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DSKYPOP_WEB_TEST_SITE=ON
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)

serve-web: web ## serve the site on http://127.0.0.1:8170/ (WEB_PORT=...)
	node tools/serve_site.js $(WEB_BUILD)/site $(WEB_PORT)

# ---- Windows -------------------------------------------------------------------------------

windows: windows-setup ## the Windows build: build-windows/skypop.exe and skypop-<version>-windows-x64.zip
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

# ---- Set-up and housekeeping ---------------------------------------------------------------

setup: ## install the Debian packages the tests need
	@bash tools/install_deps.sh test package

setup-run:
	@bash tools/install_deps.sh run

setup-package:
	@bash tools/install_deps.sh package

windows-setup:
	@bash tools/install_deps.sh windows

web-setup:
	@bash tools/install_deps.sh web
	@[ -f node_modules/.package-lock.json ] && [ ! package-lock.json -nt node_modules/.package-lock.json ] \
	  || npm ci --ignore-scripts --no-audit --no-fund

clean: ## remove every build folder
	rm -rf $(BUILD) $(ASAN_BUILD) $(RELEASE_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(WEB_BUILD) \
	  $(WINDOWS_BUILD)

help: ## list the commands
	@awk 'BEGIN {FS = ":.*## "} /^# ---- / {sub(/^# ---- /, ""); sub(/ -+$$/, ""); printf "\n%s\n", $$0} \
	  /^[a-z-]+:.*## / {printf "  make %-14s %s\n", $$1, $$2}' $(MAKEFILE_LIST)
