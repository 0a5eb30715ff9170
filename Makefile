# Thin wrapper around CMake. `make run` and `make test` are the two commands a
# new user needs; both install missing packages first.

BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)

.PHONY: run test deps build sanitize bench classic-flows format clean

run: build
	cd $(BUILD) && ./vantor-setup

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

deps:
	@tools/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_TESTS=ON -DVANTOR_BENCHMARKS=ON
	cmake --build $(BUILD) -j $(JOBS)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
# Built with clang++, so that its warnings are errors too.
sanitize: deps
	CXX=clang++ cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVANTOR_SANITIZE=ON \
	  -DVANTOR_BENCHMARKS=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The whole-program flows with the classic SDL 1.2.15 runtime instead of sdl12-compat.
classic-flows: build
	tools/classic-sdl $(BUILD)/classic-sdl
	VANTOR_SDL_LIBRARY_PATH=$(CURDIR)/$(BUILD)/classic-sdl \
	  ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -L flow

bench: build
	$(BUILD)/frame-bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
