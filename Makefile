# The two commands of the README: `make run` and `make test`. `make bench` runs the benchmarks.
.PHONY: setup build build-asan run test bench fuzz format format-check clean

JOBS ?= 2

setup:
	@scripts/setup

build: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

build-asan: setup
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)

run: build
	build/default/tools/sldb/sldb demo

test: build build-asan
	ctest --preset default
	ctest --preset asan

bench: build
	scripts/run-bench build/default

# Not part of CI: needs clang and takes FUZZ_SECONDS (default 180) per target.
fuzz: setup
	scripts/fuzz

format:
	scripts/check-format --fix

format-check:
	scripts/check-format

clean:
	rm -rf build
