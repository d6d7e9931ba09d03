# The two commands of the README: `make run` and `make test`. `make bench` runs the benchmarks,
# `make mutate` the mutation run of tests/mutants.txt (MUTANTS="3 7-9 platform/ut" runs a subset).
.PHONY: setup build build-asan run test bench mutate format format-check clean

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

mutate: setup
	scripts/mutate $(MUTANTS)

format:
	scripts/check-format --fix

format-check:
	scripts/check-format

clean:
	rm -rf build
