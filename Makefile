# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
RELEASE_DIR ?= build-release
ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= 2
CMAKE_FLAGS ?=
# Tests labelled `slow` (long, with memory and timing bounds) run in `make test` only.
ASAN_CTEST_FLAGS ?= --label-exclude '^slow$$'

.PHONY: deps configure build test run package install-check bench build-asan test-asan fuzz format format-check clean

deps:
	@bash scripts/install-deps.sh

# Warnings are errors: the tree builds clean with the compiler install-deps.sh installs.
configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUM_WERROR=ON \
		-DKESTRUM_BUILD_BENCH=OFF $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

run: build
	bash scripts/run-loopback.sh $(BUILD_DIR)

# A .deb of the build in $(BUILD_DIR)/package (CPack; see docs/install.md).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# Installs into a temporary prefix and unpacks the .deb into a temporary root, then checks both.
install-check: build
	cd $(BUILD_DIR) && ctest -L install --output-on-failure

bench: deps
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUM_BUILD_TESTS=OFF \
		-DKESTRUM_BUILD_BENCH=ON
	cmake --build $(RELEASE_DIR) -j$(JOBS)
	bash scripts/run-benchmarks.sh $(RELEASE_DIR)

# Also compiles (without running) the benchmarks and the icon drawer, so that neither rots.
build-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRUM_SANITIZE=ON \
		-DKESTRUM_WERROR=ON -DKESTRUM_BUILD_BENCH=ON -DKESTRUM_BUILD_TOOLS=ON
	cmake --build $(ASAN_DIR) -j$(JOBS)

test-asan: build-asan
	cd $(ASAN_DIR) && ctest --output-on-failure -j$(JOBS) $(ASAN_CTEST_FLAGS)

# libFuzzer (clang) over every target in fuzz/, FUZZ_SECONDS each, into fuzz/corpus/<target>.
fuzz:
	@KESTRUM_WITH_FUZZ=1 bash scripts/install-deps.sh
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DKESTRUM_FUZZ=ON -DKESTRUM_BUILD_TESTS=OFF -DKESTRUM_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) -j$(JOBS) --target kestrum_fuzz
	bash fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

format: deps
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format -i

# Fails, naming each place, where a tracked source differs from what `make format` makes.
format-check: deps
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD_DIR) $(RELEASE_DIR) $(ASAN_DIR) $(FUZZ_DIR) build-icons
