# Thin wrapper over CMake: `make run` builds and starts the game, `make test` builds and runs
# every test (once normally, once under AddressSanitizer + UndefinedBehaviorSanitizer), the
# browser version's too, which is why it builds `make web` first.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan

WEB_BUILD ?= build-web
WEB_PORT ?= 8170
# Debian's emcc runs its optimiser under whatever node is first on the PATH; a node that is not
# Debian's own finds Debian's JavaScript modules only through NODE_PATH.
WEB_ENV = NODE_PATH=/usr/share/nodejs

.PHONY: run test build setup bench install clean format web web-setup serve-web

run: build
	./$(BUILD)/skypop

test: setup web
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSKYPOP_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -LE e2e

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target skypop

bench: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)
	bash bench/run_all.sh $(BUILD)

setup:
	@bash tools/install_deps.sh test

# The browser version: a folder of static files in $(WEB_BUILD)/site.
web: web-setup
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)

web-setup:
	@bash tools/install_deps.sh web
	@[ -f node_modules/.package-lock.json ] && [ ! package-lock.json -nt node_modules/.package-lock.json ] \
	  || npm ci --ignore-scripts --no-audit --no-fund

serve-web: web
	node tools/serve_site.js $(WEB_BUILD)/site $(WEB_PORT)

install: build
	cmake --install $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WEB_BUILD)
